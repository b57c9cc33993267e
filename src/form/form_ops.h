#pragma once
// Small window operations every handler uses: the message line, the
// operation buttons, numbers written as the messages write them.
#include "core/texts.h"
#include "form/form.h"

#include <initializer_list>
#include <string>

namespace quelm {

// A number in decimal with one leading blank, as messages show it (" 3").
std::string Str(long long n);
// A number as a text box shows it: plain decimal, no blank ("100", "50.5").
std::string NumberText(double n);
// Box table line k, or the built-in French or English text for a table that
// does not carry the line (the tool's own messages beyond the shared lines).
std::string BoxLineOr(const Form& f, int k, Said builtIn);
// Text5 shows box table line k, repainted at once.
void ShowBoxLine(Form& f, int k);
// Text5 shows `text`, repainted at once.
void ShowMessage(Form& f, const std::string& text);
// An exchange is running: a reply awaited or a step pending, that is any
// timer running but the connection test's (Timer1, Timer4) and the stop
// watch (Timer3).
bool ExchangeRunning(const Form& f);
// The connection test is listening or about to send again.
bool ConnectionTestRunning(const Form& f);
// Command3, 4, 5, 6, 7, 8, 9 and 13, always switched together in this order.
// Enabling them gives the window back: every held control comes back too.
void SetButtonsEnabled(Form& f, bool enabled);
// Enables each of `controls`.
void Enable(std::initializer_list<Control*> controls);
// Enables Option(first) to Option(last).
void EnableOptions(Form& f, int first, int last);
// Disables `c` for the running operation, which gives it back at its end.
void HoldControl(Form& f, Control* c);
// Enables every held control again.
void GiveHeldBack(Form& f);
// The held controls that are still disabled stay so: the end of an address
// read keeps the boxes no report came for disabled, as not read.
void KeepHeldDisabled(Form& f);

} // namespace quelm
