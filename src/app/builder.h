#pragma once
// The one place that puts the tool together: from the options to the
// scheduler, the driver chain (serial port or simulated box, traced on
// request) and the window model with its handlers bound. The window, the
// command line and the benchmarks all start here.
#include "app/backend.h"
#include "core/scheduler.h"
#include "form/form.h"
#include "trace/trace_driver.h"
#include "trace/trace_log.h"

#include <functional>
#include <memory>
#include <string>

namespace quelm {

// Declared in the order of construction; each part refers only to those
// before it, so they are destroyed safely in reverse.
struct Tool {
    ~Tool();
    std::unique_ptr<Scheduler> scheduler;
    Backend backend;
    std::unique_ptr<TraceLog> traceLog; // only when asked for
    std::unique_ptr<TraceDriver> trace;
    std::unique_ptr<Form> form;
};

// Receives each trace line; empty for no trace.
using TraceSink = std::function<void(const std::string&)>;

// The tool on `scheduler`: the window's Qt event loop, the command line's
// steady clock, or a virtual clock. Nothing on a bad option or box file, with
// the reason in `error`. With `keepTraceLog` the tool also keeps a TraceLog of
// every frame, driver event and log line, with the operation and step of each
// (the trace window).
std::unique_ptr<Tool> BuildTool(const BackendOptions& options, std::unique_ptr<Scheduler> scheduler, TraceSink trace,
                                std::string& error, bool keepTraceLog = false);

// What the tool talks to, for the window's title, in the language of `code`
// (1 French, 2 English): "simulated box", the port, "first FTDI adapter".
std::string describeLink(const BackendOptions& options, int language);

} // namespace quelm
