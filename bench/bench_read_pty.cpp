// Reads the parameters of a simulated detector behind a pseudo-terminal, 50
// times, through the real serial driver, on the window's Qt event loop and on
// the command line's steady-clock scheduler, and prints the
// median and worst time of a whole read next to the floor the protocol's own
// schedule sets, and the process's CPU time per read: with the bytes passed
// on at once, then held as an FTDI adapter holds them with its latency timer
// at the default 16 ms and at 1 ms (what the serial driver asks for).
#include "cli/live_read.h"
#include "drivers/qt/qt_scheduler.h"
#include "drivers/serial/steady_scheduler.h"
#include "pty_bench.h"

#include <QCoreApplication>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <utility>
#include <vector>

using namespace quelm;
using namespace quelm::bench;

namespace {

constexpr int kReads = 50;
constexpr double kChainMs = 10.0;

sim::BoxConfig Box() {
    sim::BoxConfig c;
    sim::Detector d;
    d.number = 300;
    d.riseTime = 3;
    d.levelOnPlus = 80;
    c.detectors.push_back(d);
    return c;
}

struct Result {
    std::vector<double> wallMs;
    double cpuPerReadMs = 0;
    int failed = 0;
};

bool Measure(const sim::BoxConfig& config, std::int64_t holdingUs, bool steady, Result& r) {
    PtyBridge bridge{sim::SimBox(config)};
    bridge.setHoldingDelayUs(holdingUs);
    std::unique_ptr<Scheduler> scheduler;
    if (steady)
        scheduler = std::make_unique<SteadyScheduler>();
    else
        scheduler = std::make_unique<QtScheduler>();
    const auto tool = ToolBehind(bridge, "bench_read_pty", std::move(scheduler));
    if (!tool) return false;
    Form& form = *tool->form;
    form.tables.messages[17] = "done";
    form.ui.Text3->setText("300");
    const double cpuStart = Seconds(CLOCK_PROCESS_CPUTIME_ID);
    for (int i = 0; i < kReads; ++i) {
        const double t0 = Seconds(CLOCK_MONOTONIC);
        cli::ReadUntilOver(form, 10);
        r.wallMs.push_back((Seconds(CLOCK_MONOTONIC) - t0) * 1000);
        if (form.ui.Text5->text() != "done") ++r.failed;
    }
    r.cpuPerReadMs = (Seconds(CLOCK_PROCESS_CPUTIME_ID) - cpuStart) * 1000 / kReads;
    std::sort(r.wallMs.begin(), r.wallMs.end());
    return true;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const sim::BoxConfig config = Box();
    const double turnaroundMs = static_cast<double>(config.turnaroundUs) / 1000.0;
    const double floorMs = 3 * RequestFloorMs(turnaroundMs) + 2 * kChainMs;
    std::printf("whole parameter read through the serial driver and a pseudo-terminal, %d reads each\n", kReads);
    std::printf("  protocol floor   %7.2f ms  (3 x [4 x 1 ms pauses, wire %.3f ms, turnaround %.1f ms, 5 bytes back,\n"
                "                               taken by the 10 ms polling] + 2 x 10 ms chain timers)\n",
                floorMs, static_cast<double>(sim::kByteWireUs) / 1000.0, turnaroundMs);
    int failed = 0;
    for (const auto& [holdingMs, what] :
         {std::pair{0, "bytes passed on at once"}, std::pair{16, "held 16 ms (adapter default latency timer)"},
          std::pair{1, "held 1 ms (latency timer at 1 ms)"}})
        for (const bool steady : {false, true}) {
            Result r;
            if (!Measure(config, holdingMs * 1000, steady, r)) return 2;
            failed += r.failed;
            const double median = (r.wallMs[kReads / 2 - 1] + r.wallMs[kReads / 2]) / 2;
            std::printf("%s, %s (%d failed)\n", what, steady ? "command line's steady clock" : "window's Qt event loop",
                        r.failed);
            std::printf("  median           %7.2f ms  ratio %.3f (target 1.3 at most)\n", median, median / floorMs);
            std::printf("  worst            %7.2f ms  ratio %.3f\n", r.wallMs.back(), r.wallMs.back() / floorMs);
            std::printf("  best             %7.2f ms\n", r.wallMs.front());
            std::printf("  CPU time per read %6.3f ms  (this process: tool and simulated box thread)\n",
                        r.cpuPerReadMs);
        }
    return failed == 0 ? 0 : 1;
}
