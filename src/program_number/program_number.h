#pragma once
// "Programmer": calls the detector of Text3 (command 96, operation 6) and,
// once it has answered, gives it the number of Text4 (command 97,
// operation 61). The decoder handles both replies.
#include "form/form.h"

namespace quelm {

// Shown while the first step looks for the box, in every language.
inline constexpr const char* kConnectionTestText = "Test de connexion avec la BOX";

void Command6_Click(Form& f);
void Timer20_Timer(Form& f);
void SendNewNumber(Form& f);
// The new number is at most 1048574.
void Text4_Change(Form& f);

} // namespace quelm
