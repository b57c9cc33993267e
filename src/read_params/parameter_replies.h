#pragma once
// The reply half of reading parameters: the replies 64, 65 and 66, the
// step-over and retry rules of operations 7, 20 and 21, and the retry timer.
#include "form/form.h"

namespace quelm {

// Each says whether it took the frame: the reply of the group being read,
// or any parameter reply while no other reply is awaited.
FrameUse HandleReply64(Form& f, const Frame& b);
FrameUse HandleReply65(Form& f, const Frame& b);
// A reply 66 taken ends the read: a send of parameters goes on from there.
FrameUse HandleReply66(Form& f, const Frame& b);

void ParameterReadStepOver(Form& f, StepOutcome end);
void ParameterReadRetry(Form& f);

void Timer28_Timer(Form& f);

} // namespace quelm
