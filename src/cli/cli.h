#pragma once
// The command-line front end: the window's handlers without a window, for
// scripted work. It clicks the same buttons, and its timers run on the
// steady clock instead of the window's event loop.
#include "app/builder.h"
#include "cli/cli_options.h"

#include <cstdio>
#include <string>
#include <vector>

namespace quelm::cli {

// Exit codes.
enum Exit : int {
    kSuccess = 0,
    kOperationFailed = 1, // the detector did not give a valid answer in ten frames
    kUsage = 2,           // bad arguments, or the box file could not be read
    kNoBox = 3,           // no box attached, or more than one
    kStopped = 4,         // --timeout ran out: stopped as by a key, " STOP"
    kSignalled = 128,     // plus the signal that stopped it as by a key: 130 SIGINT, 143 SIGTERM
};

// Runs the command in `args` (args[0] is the program name). Output to `out`,
// messages and the trace to `err`; output that cannot be written fails the
// command.
int Run(const std::vector<std::string>& args, std::FILE* out, std::FILE* err);

// Runs the box command of `options` on a tool built with its trace log.
int RunOnTool(Tool& tool, const Options& options, std::FILE* out, std::FILE* err);

} // namespace quelm::cli
