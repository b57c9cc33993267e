#pragma once
// The box's own channel, chosen with Option1 (A) and Option2 (B).
#include "core/form.h"

namespace quelm {

void Option1_Click(Form& f);
void Option2_Click(Form& f);

} // namespace quelm
