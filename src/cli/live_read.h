#pragma once
// A read of the parameters in real time, on the Qt event loop: what the
// command line does, and what the benchmark and the serial tests measure.
#include "core/form.h"

namespace quelm::cli {

// The operation is over when the buttons are back and no exchange timer
// runs (the stop watch may stay armed after a failed first group).
bool OperationOver(const Form& f);

// Clicks Command7 and runs the event loop until the read is over; past the
// time-out, presses the stop key and waits for the stop watch to act.
// Returns whether the time-out stopped it.
bool ReadUntilOver(Form& f, double timeoutSeconds);

} // namespace quelm::cli
