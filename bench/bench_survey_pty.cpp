// Surveys 50 simulated detectors behind a pseudo-terminal through the real
// serial driver on the Qt event loop, with the site runner as the command
// line's survey runs it, several times, reading only, then saving a
// project file per detector with the report kept as the command line keeps
// it, and reading only without the presence probe;
// prints the median, best and worst survey next to 50 times the floor the
// protocol's own schedule sets for one parameter read. The probe asks a
// present detector nothing more: the read's first request is its first try.
#include "pty_bench.h"
#include "site/live_report.h"
#include "site/site_runner.h"

#include "drivers/qt/qt_scheduler.h"

#include <QCoreApplication>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

using namespace quelm;
using namespace quelm::bench;

namespace {

constexpr int kDetectors = 50;
constexpr int kSurveys = 7;
constexpr double kChainMs = 10.0; // Timer23 and Timer24 between the three requests
constexpr double kTargetRatio = 1.1;

sim::BoxConfig Box(std::vector<std::string>& numbers) {
    sim::BoxConfig c;
    for (int i = 0; i < kDetectors; ++i) {
        sim::Detector d;
        d.number = static_cast<std::uint32_t>(300 + i);
        d.riseTime = static_cast<std::uint8_t>(i % 7);
        d.levelOnPlus = static_cast<std::uint8_t>(i);
        c.detectors.push_back(d);
        numbers.push_back(std::to_string(d.number));
    }
    return c;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    std::vector<std::string> numbers;
    const sim::BoxConfig config = Box(numbers);
    PtyBridge bridge{sim::SimBox(config)};
    const auto tool = ToolBehind(bridge, "bench_survey_pty", std::make_unique<QtScheduler>());
    if (!tool) return 2;
    Form& form = *tool->form;
    form.tables.messages[17] = "done";
    const std::filesystem::path dir = std::filesystem::temp_directory_path() / "quelm-bench-survey";
    std::filesystem::create_directories(dir);

    const double turnaroundMs = static_cast<double>(config.turnaroundUs) / 1000.0;
    const double readFloorMs = 3 * RequestFloorMs(turnaroundMs) + 2 * kChainMs;
    const double floorMs = kDetectors * readFloorMs;
    std::printf("survey of %d present detectors through the serial driver and a pseudo-terminal, %d surveys\n",
                kDetectors, kSurveys);
    std::printf("  one read's floor %8.2f ms  (3 x [4 x 1 ms pauses, wire %.3f ms, turnaround %.1f ms, 5 bytes back,\n"
                "                               taken by the 10 ms polling] + 2 x 10 ms chain timers)\n",
                readFloorMs, static_cast<double>(sim::kByteWireUs) / 1000.0, turnaroundMs);
    std::printf("  survey floor     %8.2f ms  (%d x one read's floor)\n", floorMs, kDetectors);
    std::printf("  target           %8.2f ms  (%.1f x the survey floor)\n", kTargetRatio * floorMs, kTargetRatio);

    int failed = 0;
    for (const int config : {0, 1, 2}) {
        const bool save = config == 1, probe = config != 2;
        std::vector<double> ms;
        for (int s = 0; s < kSurveys; ++s) {
            SiteSettings settings;
            settings.probe = probe;
            std::string error;
            LiveReport report(dir / "report.csv", SiteMode::survey, numbers.size(), 2);
            if (save) settings.detectorDone = [&](const DetectorReport& r) { failed += report.done(r, error) ? 0 : 1; };
            SiteRunner runner(form, settings);
            const double t0 = Seconds(CLOCK_MONOTONIC);
            if (save && !report.start(error)) ++failed;
            const SiteRun run = runner.survey({numbers, false, save ? dir : std::filesystem::path()});
            if (save && !report.finish(run.rows, error)) ++failed;
            ms.push_back((Seconds(CLOCK_MONOTONIC) - t0) * 1000);
            for (const DetectorReport& r : run.rows) {
                if (r.state == DetectorState::done) continue;
                ++failed;
                std::printf("  not done: %s, %s: %s\n", r.detector.c_str(), StateName(r.state), r.failure.c_str());
            }
        }
        std::sort(ms.begin(), ms.end());
        const double median = ms[ms.size() / 2];
        std::printf("%s\n", config == 0   ? "reads only, each number probed first"
                            : config == 1 ? "reads, a project file saved per detector (written whole and flushed "
                                            "to the disk) and the report kept"
                                          : "reads only, without the probe");
        std::printf("  median           %8.2f ms  ratio %.3f (target %.1f at most), %.2f ms per detector\n", median,
                    median / floorMs, kTargetRatio, median / kDetectors);
        std::printf("  best             %8.2f ms  ratio %.3f\n", ms.front(), ms.front() / floorMs);
        std::printf("  worst            %8.2f ms  ratio %.3f\n", ms.back(), ms.back() / floorMs);
    }
    std::filesystem::remove_all(dir);
    std::printf("detectors not done: %d\n", failed);
    return failed == 0 ? 0 : 1;
}
