#pragma once
// The connection test: the box is sent 0, 1, 1, 2, 2 until a detector
// reports its number, the window's way of waiting for one.
#include "form/form.h"

namespace quelm {

// Sends the connection-test frame 0, 1, 1, 2, 2 with the buttons disabled and
// starts listening with Timer1, as the start-up does with exactly one box.
void StartConnectionTest(Form& f);

void Timer1_Timer(Form& f);
void PollConnectionTest(Form& f);
void Timer4_Timer(Form& f);

} // namespace quelm
