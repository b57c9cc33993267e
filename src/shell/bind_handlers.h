#pragma once
// Connects every control event of the window model to its handler.
#include "form/form.h"

namespace quelm {

void bindHandlers(Form& f);
// The send of parameters and the number programming (bind_send_number.cpp).
void BindSendAndNumberHandlers(Form& f);

} // namespace quelm
