#pragma once
// survey, apply and audit: the site runner on the headless window, with a
// line per detector (or the JSON report) on the output, the report file on
// request, and a live progress line on a terminal.
#include "cli/cli_options.h"
#include "form/form.h"

#include <cstdio>

namespace quelm::cli {

int RunSiteCommand(Form& f, const Options& o, std::FILE* out, std::FILE* err);

} // namespace quelm::cli
