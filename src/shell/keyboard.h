#pragma once
// The window sees every key before the focused control: each key is kept as
// a request to stop the exchange in progress.
#include "form/form.h"

namespace quelm {

// A key went down anywhere in the window: keeps its virtual key code.
void Form_KeyDown(Form& f, int keyCode);
// A character was typed anywhere in the window: keeps its character code.
void Form_KeyPress(Form& f, int charCode);

} // namespace quelm
