#pragma once
// Operations on the box itself: its channel, chosen with Option1 (A) and
// Option2 (B), and a test number sent with Command13 from Text7.
#include "form/form.h"

namespace quelm {

// An acknowledgement reports the box's channel: the window follows it.
void FollowReportedChannel(Form& f, const Frame& b);
void Option1_Click(Form& f);
void Option2_Click(Form& f);
// Sends 1, number, check to the box; the window is given back after Timer25.
void Command13_Click(Form& f);
void Timer25_Timer(Form& f);

} // namespace quelm
