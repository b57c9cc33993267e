#pragma once
// The command-line front end: the window's handlers without a window, for
// scripted work. It clicks the same buttons, and its timers run on the
// steady clock instead of the window's event loop.
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
};

// Runs the command in `args` (args[0] is the program name). Output to `out`,
// messages and the trace to `err`.
int Run(const std::vector<std::string>& args, std::FILE* out, std::FILE* err);

} // namespace quelm::cli
