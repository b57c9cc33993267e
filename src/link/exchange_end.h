#pragma once
// How a running exchange ends when no reply handler ends it: the reply
// watchdog that sends the frame again, the stop watch that watches the keys,
// the stop itself, a box gone away, and the end that gives the window back
// after a failure.
#include "form/form.h"

#include <string>

namespace quelm {

// The reply watchdog: no reply came in its interval, the frame goes again.
void Timer6_Timer(Form& f);
// The stop watch: a key pressed stops the exchange.
void Timer3_Timer(Form& f);

// Ends whatever runs as the stop key does (device closed, every exchange
// timer off, buttons back, nothing running) and shows `message`, which says
// line k.
void StopExchange(Form& f, MessageLine k, const std::string& message);
// The box went away under a running exchange: it ends as with no box.
void EndOnLostBox(Form& f);

// Ends an operation that cannot go on (no box, several boxes, a detector
// number with no frame form, a step that never got its answer) the way ten
// wrong frames end a read, keeping the message that says why: nothing runs,
// the box is closed, the buttons and the user's parameter values come back.
void EndGivingWindowBack(Form& f);

} // namespace quelm
