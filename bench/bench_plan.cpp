// Reads plans of 1,000 to 300,000 rows, CSV and JSON, each row a detector
// and the new number it is to answer to, and prints per size the time, the
// time per row and the most memory the read added, each read in a child
// process of its own so that one size's peak does not hide the next one's.
// Linear reading keeps the time per row flat; a plan past the most detectors
// one run takes is refused, which the last column says.
#include "site/plan.h"

#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace quelm;
namespace fs = std::filesystem;

namespace {

struct Figures {
    double ms = 0;
    long peakKiB = 0;
    std::size_t rows = 0;
    char said[160] = {};
};

std::string PlanText(int rows, bool json) {
    std::string text = json ? "[\n" : "detector,newNumber\n";
    for (int i = 0; i < rows; ++i) {
        const std::string detector = std::to_string(100000 + i), next = std::to_string(600000 + i);
        text += json ? "{\"detector\": " + detector + ", \"newNumber\": " + next + "}" + (i + 1 < rows ? ",\n" : "\n")
                     : detector + "," + next + "\n";
    }
    return text + (json ? "]\n" : "");
}

long PeakKiB() {
    rusage u{};
    ::getrusage(RUSAGE_SELF, &u);
    return u.ru_maxrss;
}

// The read of `file` in a child whose peak resident size is reset first.
Figures ReadInChild(const fs::path& file) {
    int fds[2];
    if (::pipe(fds) != 0) return {};
    std::fflush(nullptr);
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(fds[0]);
        std::ofstream("/proc/self/clear_refs") << "5";
        Figures f;
        const long before = PeakKiB();
        const auto start = std::chrono::steady_clock::now();
        std::vector<PlanError> errors;
        f.rows = ReadPlan(file, errors).size();
        f.ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
        f.peakKiB = PeakKiB() - before;
        const std::string said = errors.empty() ? "taken" : "refused: " + errors.front().reason;
        std::strncpy(f.said, said.c_str(), sizeof f.said - 1);
        ::_exit(::write(fds[1], &f, sizeof f) == static_cast<ssize_t>(sizeof f) ? 0 : 1);
    }
    ::close(fds[1]);
    Figures f;
    if (::read(fds[0], &f, sizeof f) != static_cast<ssize_t>(sizeof f)) std::strcpy(f.said, "the child failed");
    ::close(fds[0]);
    ::waitpid(child, nullptr, 0);
    return f;
}

} // namespace

int main(int argc, char** argv) {
    // The largest size to read, for a quick run of an old build: bench_plan 25000.
    const long most = argc > 1 ? std::atol(argv[1]) : 300'000;
    const fs::path dir = fs::temp_directory_path() / ("quelm-bench-plan-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    std::printf("%-5s %8s %8s %10s %10s %10s  %s\n", "plan", "rows", "KiB", "ms", "us/row", "peak KiB", "result");
    for (const bool json : {false, true}) {
        for (const int rows : {1'000, 5'000, 25'000, 100'000, 300'000}) {
            if (rows > most) continue;
            const fs::path file = dir / (json ? "plan.json" : "plan.csv");
            const std::string text = PlanText(rows, json);
            std::ofstream(file, std::ios::binary) << text;
            const Figures f = ReadInChild(file);
            std::printf("%-5s %8d %8zu %10.1f %10.3f %10ld  %s\n", json ? "JSON" : "CSV", rows, text.size() / 1024,
                        f.ms, f.ms * 1000.0 / rows, f.peakKiB, f.said);
            std::fflush(stdout);
        }
    }
    fs::remove_all(dir);
    return 0;
}
