// Surveys a range of 100 numbers holding 20 simulated detectors (every
// fifth number) behind a pseudo-terminal, through the real serial driver on
// the Qt event loop, with the site runner as the command line's survey runs
// it, several times. Each number is first asked with the presence probe;
// prints the median, best and worst survey next to the floor: 20 reads at
// the protocol's own schedule and 80 probes at the probe's own (its tries,
// each a request and the wait its schedule sets from the answers heard).
// Today's survey without the probe is measured on one absent number and
// counted for the 80.
#include "pty_bench.h"
#include "site/presence_probe.h"
#include "site/site_runner.h"

#include "drivers/qt/qt_scheduler.h"

#include <QCoreApplication>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

using namespace quelm;
using namespace quelm::bench;

namespace {

constexpr int kNumbers = 100;
constexpr int kEvery = 5; // a detector at every fifth number, the first included
constexpr int kSurveys = 5;
constexpr double kChainMs = 10.0; // Timer23 and Timer24 between the three requests
constexpr double kTargetRatio = 1.1;

sim::BoxConfig Box(std::vector<std::string>& numbers) {
    sim::BoxConfig c;
    for (int i = 0; i < kNumbers; ++i) {
        numbers.push_back(std::to_string(300 + i));
        if (i % kEvery != 0) continue;
        sim::Detector d;
        d.number = static_cast<std::uint32_t>(300 + i);
        d.levelOnPlus = static_cast<std::uint8_t>(i);
        c.detectors.push_back(d);
    }
    return c;
}

double RunMs(Form& form, const std::vector<std::string>& numbers, bool probe, int& wrong) {
    SiteSettings settings;
    settings.probe = probe;
    SiteRunner runner(form, settings);
    const double t0 = Seconds(CLOCK_MONOTONIC);
    const SiteRun run = runner.survey({numbers, false, {}});
    const double ms = (Seconds(CLOCK_MONOTONIC) - t0) * 1000;
    for (const DetectorReport& r : run.rows) {
        const bool present = (std::stoi(r.detector) - 300) % kEvery == 0;
        const DetectorState expected = present ? DetectorState::done
                                       : probe ? DetectorState::absent
                                               : DetectorState::noAnswer;
        wrong += r.state == expected ? 0 : 1;
    }
    return ms;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    std::vector<std::string> numbers;
    const sim::BoxConfig config = Box(numbers);
    PtyBridge bridge{sim::SimBox(config)};
    const auto tool = ToolBehind(bridge, "bench_sparse_survey_pty", std::make_unique<QtScheduler>());
    if (!tool) return 2;
    Form& form = *tool->form;
    form.tables.messages[17] = "done";

    const double wireMs = static_cast<double>(sim::kByteWireUs) / 1000.0;
    const double turnaroundMs = static_cast<double>(config.turnaroundUs) / 1000.0;
    const double readFloorMs = 3 * RequestFloorMs(turnaroundMs) + 2 * kChainMs;
    // The probe hears a whole reply this long after its request went out,
    // and waits for it as its schedule says.
    const double answerMs = wireMs + turnaroundMs + 5 * wireMs;
    const double waitMs = static_cast<double>(ProbeSchedule::WaitUs(static_cast<std::int64_t>(answerMs * 1000))) / 1000;
    // Each try sends after 4 x 1 ms pauses and waits; the last listens on
    // until the listening time has passed since the first try went out.
    const double listenMs = static_cast<double>(ProbeSchedule::kListenUs) / 1000;
    const double probeFloorMs = std::max(ProbeSchedule::kTries * (4 * kPauseMs + waitMs), 4 * kPauseMs + listenMs);
    const int present = (kNumbers + kEvery - 1) / kEvery;
    const int absent = kNumbers - present;
    const double floorMs = present * readFloorMs + absent * probeFloorMs;
    std::printf(
        "survey of %d numbers holding %d detectors through the serial driver and a pseudo-terminal, %d surveys\n",
        kNumbers, present, kSurveys);
    std::printf("  one read's floor  %8.2f ms  (3 requests at the protocol's schedule + 2 x 10 ms chain timers)\n",
                readFloorMs);
    std::printf("  one probe's floor %8.2f ms  (the longer of %d tries x [4 x 1 ms pauses + a wait of %.1f ms: %d x "
                "a whole reply's %.2f ms, at least %lld ms] and 4 x 1 ms pauses + %.0f ms of listening)\n",
                probeFloorMs, ProbeSchedule::kTries, waitMs, ProbeSchedule::kAnswerTimes, answerMs,
                static_cast<long long>(ProbeSchedule::kLeastWaitUs / 1000), listenMs);
    std::printf("  survey floor      %8.2f ms  (%d reads + %d probes at their floors)\n", floorMs, present, absent);
    std::printf("  target            %8.2f ms  (%.1f x the survey floor)\n", kTargetRatio * floorMs, kTargetRatio);

    int wrong = 0;
    std::vector<double> ms;
    for (int s = 0; s < kSurveys; ++s) ms.push_back(RunMs(form, numbers, true, wrong));
    std::sort(ms.begin(), ms.end());
    const double median = ms[ms.size() / 2];
    std::printf("with the presence probe\n");
    std::printf("  median            %8.2f ms  ratio %.3f (target %.1f at most)\n", median, median / floorMs,
                kTargetRatio);
    std::printf("  best              %8.2f ms  ratio %.3f\n", ms.front(), ms.front() / floorMs);
    std::printf("  worst             %8.2f ms  ratio %.3f\n", ms.back(), ms.back() / floorMs);

    // Without the probe, an absent number costs the whole wait of a read.
    const double oneRead = RunMs(form, {numbers[0]}, false, wrong);
    const double oneAbsent = RunMs(form, {numbers[1]}, false, wrong);
    const double todayMs = present * oneRead + absent * oneAbsent;
    std::printf("without the probe (one read and one absent number measured, counted for the range)\n");
    std::printf("  one read %.2f ms, one absent number %.2f ms: the range %.1f s, %.0f x the probe's median\n", oneRead,
                oneAbsent, todayMs / 1000, todayMs / median);
    std::printf("numbers not as the box holds them: %d\n", wrong);
    return wrong == 0 ? 0 : 1;
}
