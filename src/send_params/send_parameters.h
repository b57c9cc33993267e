#pragma once
// "Envoyer les paramètres": saves the parameters the window shows, reads the
// detector, then walks one step per parameter (Timer7 to Timer15), writing
// only what differs and calling the detector after each write; step 16
// (Timer16) compares everything and reads again until a read shows exactly
// the saved values.
#include "form/form.h"

#include <string>

namespace quelm {

// The message line of send step `timer` (7 to 15), and the caption of the
// group it writes; 0 and empty text outside those steps.
MessageLine SendStepLine(int timer);
std::string SendStepCaption(const Form& f, int timer);

void Command8_Click(Form& f);
void Timer7_Timer(Form& f);
void SendChannelStep(Form& f);
void Timer8_Timer(Form& f);
void Timer9_Timer(Form& f);
void Timer10_Timer(Form& f);
void Timer11_Timer(Form& f);
void Timer12_Timer(Form& f);
void Timer13_Timer(Form& f);
void Timer14_Timer(Form& f);
void Timer15_Timer(Form& f);
void Timer16_Timer(Form& f);

} // namespace quelm
