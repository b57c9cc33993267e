#pragma once
// The connection test, the reply watchdog and the stop watch.
#include "exchange/form.h"

#include <string>

namespace quelm {

// Sends the connection-test frame 0, 1, 1, 2, 2 with the buttons disabled and
// starts listening with Timer1, as the start-up does with exactly one box.
void StartConnectionTest(Form& f);

void Timer1_Timer(Form& f);
void PollConnectionTest(Form& f);
void Timer4_Timer(Form& f);
void Timer6_Timer(Form& f);
void Timer3_Timer(Form& f);

// Ends whatever runs as the stop key does (device closed, every exchange
// timer off, buttons back, nothing running) and shows `message`.
void StopExchange(Form& f, const std::string& message);
// The box went away under a running exchange: it ends as with no box.
void EndOnLostBox(Form& f);

} // namespace quelm
