#pragma once
// The detector number box: it names the project file and stops a running
// connection test when a number arrives in it.
#include "form/form.h"

namespace quelm {

void Text3_Change(Form& f);

} // namespace quelm
