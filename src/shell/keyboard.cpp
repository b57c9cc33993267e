#include "shell/keyboard.h"

namespace quelm {

void Form_KeyDown(Form& f, int keyCode) { f.x.keyPressed = keyCode; }

void Form_KeyPress(Form& f, int charCode) { f.x.keyPressed = charCode; }

} // namespace quelm
