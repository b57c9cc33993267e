// Reads the ten addresses of a simulated detector behind a pseudo-terminal,
// then sends it ten new addresses (all different from those it holds), each
// many times, through the real serial driver on the Qt event loop. Prints the
// median and worst time of a whole read and of a whole send next to the
// floor the protocol's own schedule sets, and the CPU time per operation.
#include "cli/live_read.h"
#include "pty_bench.h"

#include "drivers/qt/qt_scheduler.h"

#include <QCoreApplication>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <string>
#include <vector>

using namespace quelm;
using namespace quelm::bench;

namespace {

constexpr int kRuns = 30;
constexpr int kReadCommand = 4, kSendCommand = 5;

// Two sets of ten addresses, all different from each other: each send
// replaces the other set, so every address is written.
std::array<std::uint32_t, 10> AddressSet(int which) {
    std::array<std::uint32_t, 10> a{};
    for (std::size_t i = 0; i < 10; ++i) a[i] = static_cast<std::uint32_t>(1000 * (which + 1) + i);
    return a;
}

sim::BoxConfig Box() {
    sim::BoxConfig c;
    sim::Detector d;
    d.number = 300;
    d.addresses = AddressSet(1);
    c.detectors.push_back(d);
    return c;
}

struct Figures {
    std::vector<double> wallMs;
    double cpuPerRunMs = 0;
    int failed = 0;
};

Figures Measure(Form& form, int command, const std::string& done) {
    Figures fig;
    const double cpuStart = Seconds(CLOCK_PROCESS_CPUTIME_ID);
    for (int i = 0; i < kRuns; ++i) {
        if (command == kSendCommand) {
            const auto wanted = AddressSet(i % 2);
            for (std::size_t k = 0; k < 10; ++k) form.ui.Text2[k]->setText(std::to_string(wanted[k]));
        }
        const double t0 = Seconds(CLOCK_MONOTONIC);
        cli::RunUntilOver(
            form, [&form, command] { form.ui.Command[static_cast<std::size_t>(command)]->click(); }, 20);
        fig.wallMs.push_back((Seconds(CLOCK_MONOTONIC) - t0) * 1000);
        if (form.ui.Text5->text() != done) ++fig.failed;
    }
    fig.cpuPerRunMs = (Seconds(CLOCK_PROCESS_CPUTIME_ID) - cpuStart) * 1000 / kRuns;
    std::sort(fig.wallMs.begin(), fig.wallMs.end());
    return fig;
}

void Print(const char* what, const Figures& fig, double floorMs, const char* derivation) {
    const double median = (fig.wallMs[kRuns / 2 - 1] + fig.wallMs[kRuns / 2]) / 2;
    std::printf("%s, %d runs (%d failed)\n", what, kRuns, fig.failed);
    std::printf("  protocol floor   %7.2f ms  %s\n", floorMs, derivation);
    std::printf("  median           %7.2f ms  ratio %.3f (target 1.15 at most)\n", median, median / floorMs);
    std::printf("  worst            %7.2f ms  ratio %.3f\n", fig.wallMs.back(), fig.wallMs.back() / floorMs);
    std::printf("  best             %7.2f ms\n", fig.wallMs.front());
    std::printf("  CPU time per run %7.3f ms  (this process: tool and simulated box thread)\n", fig.cpuPerRunMs);
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const sim::BoxConfig config = Box();
    PtyBridge bridge{sim::SimBox(config)};
    const auto tool = ToolBehind(bridge, "bench_addresses_pty", std::make_unique<QtScheduler>());
    if (!tool) return 2;
    Form& form = *tool->form;
    form.tables.messages[18] = "done";
    form.ui.Text3->setText("300");
    // The window shows the box's channel since start-up: its report in each
    // acknowledgement then sends nothing.
    form.ui.Option[1]->setValue(true);

    const double turnaroundMs = static_cast<double>(config.turnaroundUs) / 1000.0;
    const double requestMs = RequestFloorMs(turnaroundMs);
    const double readStepMs = form.ui.Timer[18]->interval();
    const double writeStepMs = form.ui.Timer[19]->interval();
    // The acknowledgement of a write costs one try: the read-back follows
    // after 10 + 5 x 1 ms.
    const double readBackMs = 10 + 5 * 1;
    char request[200];
    std::snprintf(request, sizeof request,
                  "request R = %.0f ms: 4 x 1 ms pauses, wire %.3f ms, turnaround %.1f ms, 5 bytes back, taken by "
                  "the 10 ms polling",
                  requestMs, static_cast<double>(sim::kByteWireUs) / 1000.0, turnaroundMs);

    const Figures reads = Measure(form, kReadCommand, "done");
    const Figures sends = Measure(form, kSendCommand, "done");

    std::printf("%s\n", request);
    char derivation[200];
    std::snprintf(derivation, sizeof derivation, "(10 x R + 9 x %.0f ms Timer18)", readStepMs);
    Print("ten addresses read through the serial driver and a pseudo-terminal", reads, 10 * requestMs + 9 * readStepMs,
          derivation);
    std::snprintf(derivation, sizeof derivation,
                  "(21 x R: read 0, 10 writes, 10 read-backs; 10 x %.0f ms Timer19 before the writes\n"
                  "                               + 10 x %.0f ms Timer18 before the read-backs)",
                  writeStepMs, readBackMs);
    Print("ten different addresses sent and read back", sends, 21 * requestMs + 10 * writeStepMs + 10 * readBackMs,
          derivation);
    return reads.failed + sends.failed == 0 ? 0 : 1;
}
