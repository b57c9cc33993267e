#pragma once
// The reply half of reading parameters: the replies 64, 65 and 66, the
// step-over and retry rules of operations 7, 20 and 21, and the retry timer.
#include "form/form.h"

namespace quelm {

void HandleReply64(Form& f, const Frame& b);
void HandleReply65(Form& f, const Frame& b);
// Returns whether it took the frame: a send of parameters goes on from there.
bool HandleReply66(Form& f, const Frame& b);

void ParameterReadStepOver(Form& f);
void ParameterReadRetry(Form& f);

void Timer28_Timer(Form& f);

} // namespace quelm
