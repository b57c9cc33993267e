// Reads the parameters of a simulated detector behind a pseudo-terminal, 50
// times, through the real serial driver on the Qt event loop, and prints the
// median and worst time of a whole read next to the floor the protocol's own
// schedule sets, and the process's CPU time per read.
#include "app/builder.h"
#include "cli/live_read.h"
#include "support/pty_bridge.h"

#include <QCoreApplication>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <vector>

using namespace quelm;

namespace {

constexpr int kReads = 50;
constexpr double kPauseMs = 1.0;
constexpr double kPollMs = 10.0;
constexpr double kChainMs = 10.0;

double Seconds(clockid_t clock) {
    timespec t{};
    clock_gettime(clock, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

sim::BoxConfig Box() {
    sim::BoxConfig c;
    sim::Detector d;
    d.number = 300;
    d.riseTime = 3;
    d.levelOnPlus = 80;
    c.detectors.push_back(d);
    return c;
}

// The protocol's own schedule for one request: four pauses while the bytes
// go out, the last byte's wire time, the detector's turnaround and five bytes
// back; the reply is taken by the first 10 ms polling tick after it is whole,
// polling having started when the send ended.
double RequestFloorMs(double turnaroundMs) {
    const double wireMs = static_cast<double>(sim::kByteWireUs) / 1000.0;
    const double sendMs = 4 * kPauseMs;
    const double replyWholeMs = sendMs + wireMs + turnaroundMs + 5 * wireMs;
    const double ticks = std::ceil((replyWholeMs - sendMs) / kPollMs);
    return sendMs + ticks * kPollMs;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const sim::BoxConfig config = Box();
    PtyBridge bridge{sim::SimBox(config)};
    bridge.start();
    BackendOptions options;
    options.port = bridge.slavePath();
    std::string error;
    const auto tool = BuildTool(options, {}, error);
    if (!tool) {
        std::fprintf(stderr, "bench_read_pty: %s\n", error.c_str());
        return 2;
    }
    Form& form = *tool->form;
    form.tables.box[17] = "done";
    form.ui.Text3->setText("300");

    std::vector<double> wallMs;
    const double cpuStart = Seconds(CLOCK_PROCESS_CPUTIME_ID);
    int failed = 0;
    for (int i = 0; i < kReads; ++i) {
        const double t0 = Seconds(CLOCK_MONOTONIC);
        cli::ReadUntilOver(form, 10);
        wallMs.push_back((Seconds(CLOCK_MONOTONIC) - t0) * 1000);
        if (form.ui.Text5->text() != "done") ++failed;
    }
    const double cpuPerReadMs = (Seconds(CLOCK_PROCESS_CPUTIME_ID) - cpuStart) * 1000 / kReads;

    std::sort(wallMs.begin(), wallMs.end());
    const double median = (wallMs[kReads / 2 - 1] + wallMs[kReads / 2]) / 2;
    const double turnaroundMs = static_cast<double>(config.turnaroundUs) / 1000.0;
    const double floorMs = 3 * RequestFloorMs(turnaroundMs) + 2 * kChainMs;
    std::printf("whole parameter read through the serial driver and a pseudo-terminal, %d reads (%d failed)\n", kReads,
                failed);
    std::printf("  protocol floor   %7.2f ms  (3 x [4 x 1 ms pauses, wire %.3f ms, turnaround %.1f ms, 5 bytes back,\n"
                "                               taken by the 10 ms polling] + 2 x 10 ms chain timers)\n",
                floorMs, static_cast<double>(sim::kByteWireUs) / 1000.0, turnaroundMs);
    std::printf("  median           %7.2f ms  ratio %.3f (target 1.3 at most)\n", median, median / floorMs);
    std::printf("  worst            %7.2f ms  ratio %.3f\n", wallMs.back(), wallMs.back() / floorMs);
    std::printf("  best             %7.2f ms\n", wallMs.front());
    std::printf("  CPU time per read %6.3f ms  (this process: tool and simulated box thread)\n", cpuPerReadMs);
    return failed == 0 ? 0 : 1;
}
