#pragma once
// The decoder's share of reading parameters: the replies 64, 65 and 66, the
// step-over and retry rules of operations 7, 20 and 21, the retry timer, and
// the restore of the user's choices when a send stops on a failed read.
#include "detector/parameters.h"
#include "exchange/form.h"

namespace quelm {

void HandleReply64(Form& f, const Frame& b);
void HandleReply65(Form& f, const Frame& b);
void HandleReply66(Form& f, const Frame& b);

void ParameterReadStepOver(Form& f);
void ParameterReadRetry(Form& f);

void Timer28_Timer(Form& f);
void RestoreParameterControls(Form& f);

// Ends a read that cannot go on (no box, several boxes, a detector number
// with no frame form) the way ten wrong frames end it, keeping the message
// that says why: the buttons come back and the box is closed.
void EndReadGivingWindowBack(Form& f);

} // namespace quelm
