#pragma once
// The reply half of number programming: the replies 96 (a called detector
// answers with its number) and 97 (it confirms a new number), and the
// step-over and retry rules of operations 6 and 61.
#include "form/form.h"
#include "protocol/frame.h"

namespace quelm {

// Each says whether it took the frame.
FrameUse HandleReply96(Form& f, const Frame& b);
FrameUse HandleReply97(Form& f, const Frame& b);

// Operations 61, then 6, then the probe 62.
void NumberStepOver(Form& f, StepOutcome end);
// Operations 6 and 61 alike: the same frame again at once.
void NumberRetry(Form& f);

} // namespace quelm
