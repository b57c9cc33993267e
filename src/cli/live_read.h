#pragma once
// An operation run in real time on the tool's scheduler: what the command
// line does, and what the benchmark and the serial tests measure. The site
// library's operation runner runs it; a SIGINT or SIGTERM asks the stop.
#include "form/form.h"
#include "form/parameters.h"
#include "site/line_watch.h"
#include "site/operation_runner.h"
#include "site/project_values.h"

#include <cstdio>
#include <functional>

namespace quelm::cli {

// The runner of the command line: a stop is asked by SIGINT or SIGTERM.
OperationRunner SignalledRunner(Form& f);
// The time-out in whole milliseconds, rounded up.
std::int64_t LimitMs(double timeoutSeconds);

// Starts the operation (a click, as in the window) and runs the scheduler
// until no exchange is running; past the time-out, or on SIGINT or SIGTERM,
// presses the stop key and waits for the stop watch to act. Returns whether
// the time-out or the signal stopped it (after a signal it starts nothing).
bool RunUntilOver(Form& f, const std::function<void()>& start, double timeoutSeconds);

// RunUntilOver with a click on "Lire les paramètres".
bool ReadUntilOver(Form& f, double timeoutSeconds);

// The read of the parameters (or the addresses) of the detector in Text3,
// made again when the line saw something unusual during it, until two reads
// agree, all within the time-out. `last` is the last read's result; a read
// that did not end done gives no values, nor does a read of the addresses
// that left one not read.
SettledRead<DetectorParameters> ReadParametersSettled(Form& f, double timeoutSeconds, OperationResult& last);
SettledRead<AddressList> ReadAddressesSettled(Form& f, double timeoutSeconds, OperationResult& last);
// Says that the reads never agreed; returns the exit code.
int SayReadsDisagree(std::FILE* err, int reads);
// "read 2 times: something unusual was seen on the line; the last two reads agree".
std::string ReadTwiceNote(int reads);

} // namespace quelm::cli
