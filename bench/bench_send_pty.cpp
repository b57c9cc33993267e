// Sends all nine parameters to a simulated detector behind a pseudo-terminal,
// and programs its number, through the real serial driver on the Qt event
// loop; prints the median and worst time of each next to the floor the
// protocol's own schedule sets, as ratios.
#include "cli/live_read.h"
#include "pty_bench.h"

#include "drivers/qt/qt_scheduler.h"
#include "program_number/program_number.h"

#include <QCoreApplication>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <functional>
#include <string>
#include <vector>

using namespace quelm;
using namespace quelm::bench;

namespace {

constexpr int kSends = 20;
constexpr int kProgrammings = 40;

// A send where all nine parameters differ takes two passes.
// Pass 1: read (3 requests, Timer23 and Timer24 10 ms each), call (1), then
// for each of the nine steps a write and a call (18), with Timer7 10 ms,
// Timer8..Timer15 1 ms each, Timer27 10 ms after each write's
// acknowledgement and Timer16 1 ms: 22 requests + 20 + 10 + 8 + 90 + 1 ms.
// Pass 2: read and call (4 requests), Timer23/24 20 ms, Timer7 20 ms,
// Timer8..Timer15 11 ms each, Timer16 1 ms: 4 requests + 20 + 20 + 88 + 1 ms.
constexpr int kSendRequests = 26;
constexpr double kSendTimersMs = (20 + 10 + 8 + 90 + 1) + (20 + 20 + 88 + 1);
// A programming: the probe of the new number (each call 4 x 1 ms pauses and
// its least wait, the replies here being far faster than a third of it),
// the call, Timer20 10 ms, the new number.
constexpr int kProgramRequests = 2;
constexpr double kProgramTimersMs = 10;
constexpr double kProbeMs = NumberProbe::kCalls * (4 + static_cast<double>(NumberProbe::kLeastUs) / 1000);

// Two parameter sets that differ in all nine parameters: options to select
// and the three levels.
struct Set {
    std::vector<int> options;
    const char* levels[3];
};
const Set kSets[2] = {
    {{12, 4, 8, 17, 24, 29}, {"80", "60", "25"}},
    {{11, 3, 9, 15, 26, 28}, {"33", "44", "5"}},
};

void Show(Form& f, const Set& s) {
    for (int n : s.options) f.ui.Option[static_cast<std::size_t>(n)]->select();
    f.ui.Text8->setText(s.levels[0]);
    f.ui.Text9->setText(s.levels[1]);
    f.ui.Text10->setText(s.levels[2]);
}

struct Figures {
    double median, worst, best;
};

Figures Measure(int runs, const std::function<void(int)>& prepare, const std::function<void()>& start, Form& f,
                const std::string& done, int& failed) {
    std::vector<double> ms;
    for (int i = 0; i < runs; ++i) {
        prepare(i);
        const double t0 = Seconds(CLOCK_MONOTONIC);
        cli::RunUntilOver(f, start, 10);
        ms.push_back((Seconds(CLOCK_MONOTONIC) - t0) * 1000);
        if (f.ui.Text5->text() != done) ++failed;
    }
    std::sort(ms.begin(), ms.end());
    return {(ms[static_cast<std::size_t>(runs / 2 - 1)] + ms[static_cast<std::size_t>(runs / 2)]) / 2, ms.back(),
            ms.front()};
}

void Print(const char* what, const Figures& x, double floorMs) {
    std::printf("  %-12s median %7.2f ms  ratio %.3f (target 1.15 at most)\n", what, x.median, x.median / floorMs);
    std::printf("  %-12s worst  %7.2f ms  ratio %.3f   best %7.2f ms\n", "", x.worst, x.worst / floorMs, x.best);
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    sim::BoxConfig config;
    config.detectors.push_back({.number = 300,
                                .outputPower = 1,
                                .channel = 1,
                                .dynamicTime = 4,
                                .riseTime = 3,
                                .fallTime = 3,
                                .levelOnPlus = 80,
                                .levelDynPlus = 60,
                                .levelDynMinus = 25,
                                .commandType = 1});
    PtyBridge bridge{sim::SimBox(config)};
    const auto tool = ToolBehind(bridge, "bench_send_pty", std::make_unique<QtScheduler>());
    if (!tool) return 2;
    Form& form = *tool->form;
    form.tables.messages[37] = "sent";
    form.tables.messages[14] = "programmed";
    form.ui.Option[1]->setValue(true); // the box's channel, as the start-up leaves it
    form.ui.Text3->setText("300");
    Show(form, kSets[0]);

    const double turnaroundMs = static_cast<double>(config.turnaroundUs) / 1000.0;
    const double request = RequestFloorMs(turnaroundMs);
    const double sendFloor = kSendRequests * request + kSendTimersMs;
    const double programFloor = kProbeMs + kProgramRequests * request + kProgramTimersMs;

    int sendFailed = 0, programFailed = 0;
    const double cpu0 = Seconds(CLOCK_PROCESS_CPUTIME_ID);
    const Figures send = Measure(
        kSends, [&](int i) { Show(form, kSets[(i + 1) % 2]); }, [&] { form.ui.Command[8]->click(); }, form, "sent",
        sendFailed);
    const double cpuSend = (Seconds(CLOCK_PROCESS_CPUTIME_ID) - cpu0) * 1000 / kSends;
    const Figures program = Measure(
        kProgrammings, [&](int i) { form.ui.Text4->setText(i % 2 == 0 ? "301" : "300"); },
        [&] { form.ui.Command[6]->click(); }, form, "programmed", programFailed);

    std::printf("through the serial driver and a pseudo-terminal, turnaround %.1f ms, wire %.3f ms a byte\n",
                turnaroundMs, static_cast<double>(sim::kByteWireUs) / 1000.0);
    std::printf("one request and its reply: 4 x 1 ms pauses + the reply (%.2f ms) taken by the next 10 ms poll "
                "= %.0f ms\n",
                static_cast<double>(6 * sim::kByteWireUs) / 1000.0 + turnaroundMs, request);
    std::printf("send of all nine parameters, %d sends (%d failed), two passes each\n", kSends, sendFailed);
    std::printf("  floor        %7.2f ms  (%d requests x %.0f ms + %.0f ms of step, chain and call timers)\n",
                sendFloor, kSendRequests, request, kSendTimersMs);
    Print("send", send, sendFloor);
    std::printf("  CPU time per send %.3f ms (tool and simulated box thread)\n", cpuSend);
    std::printf("number programming, %d programmings (%d failed)\n", kProgrammings, programFailed);
    std::printf("  floor        %7.2f ms  (probe %.0f ms: %d calls x [4 x 1 ms pauses + %lld ms wait]; %d requests x "
                "%.0f ms + Timer20 %.0f ms)\n",
                programFloor, kProbeMs, NumberProbe::kCalls, static_cast<long long>(NumberProbe::kLeastUs / 1000),
                kProgramRequests, request, kProgramTimersMs);
    Print("programming", program, programFloor);
    return sendFailed + programFailed == 0 ? 0 : 1;
}
