#pragma once
// The reply decoder: one run on every tick of the polling timer. It takes a
// frame and hands it to each operation's reply handler in a fixed order,
// then to each operation's step-over or retry rule.
#include "form/form.h"

namespace quelm {

void Timer17_Timer(Form& f);
void DecodeReply(Form& f);

// The box's own acknowledgement 0, 1, 2, 3, channel.
void HandleAcknowledgement(Form& f, const Frame& b);
// After a real frame: step over, retry, or nothing.
void EvaluateStep(Form& f);

} // namespace quelm
