#pragma once
// Connects every control event of the window model to its handler.
#include "exchange/form.h"

namespace quelm {

void bindHandlers(Form& f);

} // namespace quelm
