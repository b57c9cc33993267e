#pragma once
// An operation run in real time on the tool's scheduler: what the command
// line does, and what the benchmark and the serial tests measure.
#include "form/form.h"
#include "form/parameters.h"
#include "site/line_watch.h"
#include "site/project_values.h"

#include <cstdio>
#include <functional>

namespace quelm::cli {

// Starts the operation (a click, as in the window) and runs the scheduler
// until no exchange is running; past the time-out, or on SIGINT or SIGTERM,
// presses the stop key and waits for the stop watch to act. Returns whether
// the time-out or the signal stopped it (after a signal it starts nothing).
bool RunUntilOver(Form& f, const std::function<void()>& start, double timeoutSeconds);

// RunUntilOver with a click on "Lire les paramètres".
bool ReadUntilOver(Form& f, double timeoutSeconds);

// The read of the parameters (or the addresses) of the detector in Text3,
// made again when the line saw something unusual during it, until two reads
// agree, all within the time-out. `stopped` is what RunUntilOver said of the
// last read; a read that did not end well gives no values.
SettledRead<DetectorParameters> ReadParametersSettled(Form& f, double timeoutSeconds, bool& stopped);
SettledRead<AddressList> ReadAddressesSettled(Form& f, double timeoutSeconds, bool& stopped);
// Says that the reads never agreed; returns the exit code.
int SayReadsDisagree(std::FILE* err, int reads);
// "read 2 times: something unusual was seen on the line; the last two reads agree".
std::string ReadTwiceNote(int reads);

} // namespace quelm::cli
