#pragma once
// Small window operations every handler uses: the message line, the
// operation buttons, numbers written as the messages write them.
#include "core/message_lines.h"
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
std::string MessageLineOr(const Form& f, MessageLine k, Said builtIn);

// The message line, Text5. Each of these records the line of the message table
// it shows (noLine for a text of no line), so that a front end knows how an
// operation ended without reading its text. The Show... ones repaint at once;
// after a Set... the handler repaints once it has done the rest.
void SetMessage(Form& f, MessageLine k, const std::string& text);
void ShowMessage(Form& f, MessageLine k, const std::string& text);
// A text of no line of the table.
void ShowMessage(Form& f, const std::string& text);
// Line k as the table has it.
void SetMessageLine(Form& f, MessageLine k);
void ShowMessageLine(Form& f, MessageLine k);
// A count, then line k: " 3 attempt(s) - ...".
std::string CountedLine(const Form& f, long long count, MessageLine k);
void ShowCountedLine(Form& f, long long count, MessageLine k);
// Line k, or its built-in text for a table without it, then `detail`.
void ShowLineWith(Form& f, MessageLine k, Said builtIn, const std::string& detail);
// The last box check found no box to use: none, several, or a port the
// driver could not open.
bool SaysNoBox(const Form& f);
// The tries so far and the address in hand: " 3 attempt(s) - address 4 in
// progress".
std::string AddressTriesText(const Form& f);
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
// Disables `c` until a reading fills it: the reply that fills it enables it
// again, and an operation that ends before (done, failed or stopped) leaves
// it disabled, visibly not read, rather than give back the text of an
// earlier detector as if it were this one's.
void HoldUntilRead(Form& f, Control* c);
// Enables every held control again, but those held until read that no
// reading has filled.
void GiveHeldBack(Form& f);
// A send of parameters or addresses that ends without agreeing, after some
// of its writes went out, leaves the detector holding some new values and
// some old: the message line says so, after what it shows, and asks for a
// read. Nothing when no write went out.
void SayValuesUncertain(Form& f);

} // namespace quelm
