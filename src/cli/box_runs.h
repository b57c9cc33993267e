#pragma once
// read-params, channel and test-number on the headless window, with their
// outcome as an exit code.
#include "form/form.h"

#include <cstdio>

namespace quelm::cli {

struct Options;

int ReadParams(Form& form, const Options& o, std::FILE* out, std::FILE* err);
// Selecting the option sends the channel frame, as a click in the window;
// done only when the box acknowledges the channel asked for.
int SetChannel(Form& form, const Options& o, std::FILE* out, std::FILE* err);
int SendTestNumber(Form& form, const Options& o, std::FILE* out, std::FILE* err);

} // namespace quelm::cli
