// The cost of keeping a site report on the disk during a survey, without
// the survey: 500, 2,000 and 5,000 detectors, CSV and JSON, each row added
// as its detector ends and the whole report written once at the end (the
// command line's way), and for comparison the report rewritten whole after
// each detector (the way before, whose cost grows with the square of the
// site). Prints the time per detector and its share of one read's floor
// (62 ms, see bench_survey_pty): what the report adds to a survey.
#include "site/live_report.h"

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

using namespace quelm;

namespace {

constexpr double kReadFloorMs = 62.0;
constexpr std::size_t kMostRewritten = 500; // the whole rewrite past this takes minutes

std::vector<DetectorReport> Rows(std::size_t count) {
    std::vector<DetectorReport> rows(count);
    for (std::size_t i = 0; i < count; ++i) {
        DetectorReport& r = rows[i];
        r.detector = std::to_string(300 + i);
        r.state = DetectorState::done;
        r.reached = true;
        r.read = DetectorParameters{};
        r.seconds = 0.064;
        r.projectFile = "/home/technician/site-7/" + r.detector + ".bdp";
    }
    return rows;
}

double Ms(std::chrono::steady_clock::time_point since) {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - since).count();
}

// The report kept as the run goes; -1 on a failed write.
double Kept(const std::filesystem::path& file, const std::vector<DetectorReport>& rows) {
    const auto t0 = std::chrono::steady_clock::now();
    LiveReport report(file, SiteMode::survey, rows.size(), 2);
    std::string error;
    bool fine = report.start(error);
    for (const DetectorReport& r : rows) fine = fine && report.done(r, error);
    const auto end = std::chrono::steady_clock::now();
    fine = fine && report.finish(rows, error);
    std::printf("  (the whole report at the end: %.1f ms)\n", Ms(end));
    if (!fine) std::printf("  failed: %s\n", error.c_str());
    return fine ? Ms(t0) : -1;
}

// The report rewritten whole after each detector, the rows not yet run
// among it.
double Rewritten(const std::filesystem::path& file, const std::vector<DetectorReport>& rows) {
    const auto t0 = std::chrono::steady_clock::now();
    std::vector<DetectorReport> now(rows.size());
    std::string error;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        now[i] = rows[i];
        if (!WriteReport(file, SiteMode::survey, now, error)) return -1;
    }
    return Ms(t0);
}

void Print(const char* how, std::size_t n, double ms) {
    const double perDetector = ms / static_cast<double>(n);
    std::printf("  %-28s %5zu detectors  %9.1f ms  %7.3f ms a detector  %6.2f %% of a read's floor\n", how, n, ms,
                perDetector, 100 * perDetector / kReadFloorMs);
    std::fflush(stdout);
}

} // namespace

int main() {
    const std::filesystem::path dir = std::filesystem::temp_directory_path() / "quelm-bench-report";
    std::filesystem::create_directories(dir);
    std::printf("a survey's report kept on the disk (target: at most 3 %% of a read's floor, %.0f ms, at 5,000)\n",
                kReadFloorMs);
    int failed = 0;
    for (const char* name : {"report.csv", "report.json"}) {
        std::printf("%s\n", name);
        for (const std::size_t n : {500, 2000, 5000}) {
            const std::vector<DetectorReport> rows = Rows(n);
            const double kept = Kept(dir / name, rows);
            failed += kept < 0 ? 1 : 0;
            Print("rows added, whole at the end", n, kept);
            if (n > kMostRewritten) continue;
            const double rewritten = Rewritten(dir / name, rows);
            failed += rewritten < 0 ? 1 : 0;
            Print("rewritten whole each time", n, rewritten);
        }
    }
    std::filesystem::remove_all(dir);
    return failed == 0 ? 0 : 1;
}
