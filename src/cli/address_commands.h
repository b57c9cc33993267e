#pragma once
// read-addresses and send-addresses: Command4 and Command5 of the window,
// headless, with their outcome as an exit code.
#include "cli/cli_options.h"
#include "form/form.h"

#include <cstdio>

namespace quelm::cli {

int ReadAddresses(Form& form, const Options& o, std::FILE* out, std::FILE* err);
int SendAddresses(Form& form, const Options& o, std::FILE* out, std::FILE* err);

} // namespace quelm::cli
