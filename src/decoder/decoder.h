#pragma once
// The reply decoder: one run on every tick of the polling timer. It takes a
// frame and hands it to each operation's reply handler in a fixed order,
// then to each operation's step-over or retry rule.
#include "form/form.h"

namespace quelm {

void Timer17_Timer(Form& f);
// One run: what the handlers did with the frame, passedOn when none came.
FrameUse DecodeReply(Form& f);

// The box's own acknowledgement 0, 1, 2, 3, channel.
FrameUse HandleAcknowledgement(Form& f, const Frame& b);
// After a real frame: a frame taken ends the step in hand (it was answered),
// one passed on costs it a try, and the last try ends it too. The step-over
// or retry rules act on what the operation in hand awaits.
void EvaluateStep(Form& f, FrameUse use);

} // namespace quelm
