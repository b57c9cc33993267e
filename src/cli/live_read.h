#pragma once
// An operation run in real time on the tool's scheduler: what the command
// line does, and what the benchmark and the serial tests measure.
#include "form/form.h"

#include <functional>

namespace quelm::cli {

// Starts the operation (a click, as in the window) and runs the scheduler
// until no exchange is running; past the time-out, or on SIGINT or SIGTERM,
// presses the stop key and waits for the stop watch to act. Returns whether
// the time-out or the signal stopped it (after a signal it starts nothing).
bool RunUntilOver(Form& f, const std::function<void()>& start, double timeoutSeconds);

// RunUntilOver with a click on "Lire les paramètres".
bool ReadUntilOver(Form& f, double timeoutSeconds);

} // namespace quelm::cli
