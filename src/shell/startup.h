#pragma once
// What the tool does when its window is created, and again when the user
// picks a language or waits for a detector's number: settings, language
// tables, captions, one-time scaling, defaults, the box check and, with
// exactly one box, the connection test.
#include "form/form.h"

#include <string>
#include <vector>

namespace quelm {

// Runs the start-up. Returns false, with the reason naming the settings file
// in `error`, when the settings file is missing, unreadable or empty; nothing
// after reading it runs then. A start-up that goes on despite a fault (an
// unknown language code, which starts in French; a language file that
// cannot be read) says so in Text5 once the box check is done, logs each
// fault with its file and reason, and gives those lines in `notes`.
bool StartUp(Form& f, std::string& error, std::vector<std::string>* notes = nullptr);
// StartUp run again from the open window: a failure is shown in Text5.
void StartUpAgain(Form& f);
// "Attendre N°": start-up again, which empties Text3 and Text4 and, with one
// box, listens for a detector that reports its number.
void Command9_Click(Form& f);
// Language menu items: keep the code in the settings file, start up again.
void French_Click(Form& f);
void English_Click(Form& f);

} // namespace quelm
