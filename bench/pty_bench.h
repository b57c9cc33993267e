#pragma once
// What the benchmarks behind a pseudo-terminal share: the tool built on the
// serial driver behind the bridge, the clocks they read, and the protocol's
// own schedule for one request, the floor their figures are set against.
#include "app/builder.h"
#include "drivers/sim/sim_box.h"
#include "support/pty_bridge.h"

#include <cmath>
#include <cstdio>
#include <ctime>
#include <memory>
#include <string>

namespace quelm::bench {

constexpr double kPauseMs = 1.0; // between two bytes of a request
constexpr double kPollMs = 10.0; // the reply poll's period

// Seconds on `clock` (CLOCK_MONOTONIC for wall time, CLOCK_PROCESS_CPUTIME_ID
// for the process's CPU time).
inline double Seconds(clockid_t clock) {
    timespec t{};
    clock_gettime(clock, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

// One request: four pauses while the bytes go out, the last byte's wire
// time, the detector's turnaround and five bytes back; the reply is taken by
// the first polling tick after it is whole, polling having started when the
// send ended.
inline double RequestFloorMs(double turnaroundMs) {
    const double wireMs = static_cast<double>(sim::kByteWireUs) / 1000.0;
    const double sendMs = 4 * kPauseMs;
    const double replyWholeMs = wireMs + turnaroundMs + 5 * wireMs;
    return sendMs + std::ceil(replyWholeMs / kPollMs) * kPollMs;
}

// Starts `bridge` and builds the tool as the front ends do, on the serial
// driver behind it and on `scheduler` (the window's Qt event loop or the
// command line's steady clock); null, with the reason on standard error, if
// it cannot.
inline std::unique_ptr<Tool> ToolBehind(PtyBridge& bridge, const char* program, std::unique_ptr<Scheduler> scheduler) {
    bridge.start();
    BackendOptions options;
    options.port = bridge.slavePath();
    std::string error;
    auto tool = BuildTool(options, std::move(scheduler), {}, error);
    if (!tool) std::fprintf(stderr, "%s: %s\n", program, error.c_str());
    return tool;
}

} // namespace quelm::bench
