#pragma once
// The command-line front end: the window's handlers without a window, for
// scripted work. It clicks the same buttons, and its timers run on the
// steady clock instead of the window's event loop.
#include "app/builder.h"
#include "cli/cli_options.h"
#include "cli/exit_codes.h"

#include <cstdio>
#include <string>
#include <vector>

namespace quelm::cli {

// Runs the command in `args` (args[0] is the program name). Output to `out`,
// messages and the trace to `err`; output that cannot be written fails the
// command.
int Run(const std::vector<std::string>& args, std::FILE* out, std::FILE* err);

// Runs the box command of `options` on a tool built with its trace log.
int RunOnTool(Tool& tool, const Options& options, std::FILE* out, std::FILE* err);

} // namespace quelm::cli
