#pragma once
// send-params, program-number and wait-number: the buttons "Envoyer les
// paramètres", "Programmer" and the connection test of "Attendre N°",
// clicked on a headless window.
#include "cli/cli_options.h"
#include "form/form.h"

#include <cstdio>

namespace quelm::cli {

// With --trace: every new message of the window goes to `err` as well.
void TraceMessages(Form& f, std::FILE* err);

int SendParams(Form& f, const Options& o, std::FILE* out, std::FILE* err);
int ProgramNumber(Form& f, const Options& o, std::FILE* out, std::FILE* err);
int WaitNumber(Form& f, const Options& o, std::FILE* out, std::FILE* err);

} // namespace quelm::cli
