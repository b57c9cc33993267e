#pragma once
// "Lire les paramètres": three requests, one per parameter group, each sent
// once the previous reply has been handled.
#include "form/form.h"

namespace quelm {

void Command7_Click(Form& f);
void ReadParameterGroup2(Form& f);
void ReadParameterGroup3(Form& f);
void Timer23_Timer(Form& f);
void Timer24_Timer(Form& f);

} // namespace quelm
