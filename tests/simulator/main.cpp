// The seeded simulator of the whole tool. One seed replays one run and
// prints what happened in it; a range of seeds prints only the failures.
//
//   sim_tool --seed N              replay seed N, step by step
//   sim_tool --first A --count C   run seeds A .. A + C - 1
//   sim_tool --list FILE           run the seeds FILE lists (numbers apart,
//                                  '#' to the end of a line is a comment)
//   sim_tool --day N [--hours H]   one tool left running H simulated hours
//                                  (default 24) from seed N, with the most
//                                  memory it held
#include "simulator/run.h"
#include "support/peak_memory.h"
#include "support/temp_folder.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <system_error>
#include <vector>

namespace fs = std::filesystem;
using quelm::simulator::RunDay;
using quelm::simulator::RunSeed;

namespace {

// A folder of its own with the shipped language files, so that runs in
// parallel processes do not share a settings file.
fs::path MakeWorkDir() {
    const fs::path dir = quelm::test::MakeTempFolder("quelm-sim");
    if (dir.empty()) return {};
    for (const auto& entry : fs::directory_iterator(fs::path(QUELM_SOURCE_DIR) / "data"))
        if (entry.path().extension() == ".dat") fs::copy_file(entry.path(), dir / entry.path().filename());
    return dir;
}

bool Number(const char* text, std::uint64_t& value) {
    char* end = nullptr;
    value = std::strtoull(text, &end, 10);
    return *text != '\0' && *end == '\0';
}

int Replay(std::uint64_t seed, const fs::path& dir) {
    const auto r = RunSeed(seed, dir, true);
    for (const auto& step : r.steps) std::printf("%s\n", step.c_str());
    std::printf("seed %llu: %s\n", static_cast<unsigned long long>(seed),
                r.failure.empty() ? "every invariant held" : r.failure.c_str());
    return r.failure.empty() ? 0 : 1;
}

// Runs the seeds, printing each failure with the command that replays it,
// then one line for them all named `what`.
int RunSeeds(const std::vector<std::uint64_t>& seeds, const std::string& what, const fs::path& dir) {
    const auto t0 = std::chrono::steady_clock::now();
    std::uint64_t failures = 0, operations = 0, forged = 0, stale = 0;
    double simulatedMs = 0;
    for (const std::uint64_t seed : seeds) {
        const auto r = RunSeed(seed, dir);
        operations += static_cast<std::uint64_t>(r.operations);
        simulatedMs += static_cast<double>(r.simulatedMs);
        forged += r.forgedFrameTaken ? 1 : 0;
        stale += r.staleFrameTaken ? 1 : 0;
        if (r.failure.empty()) continue;
        ++failures;
        std::printf("seed %llu FAILED: %s (replay: sim_tool --seed %llu)\n", static_cast<unsigned long long>(seed),
                    r.failure.c_str(), static_cast<unsigned long long>(seed));
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    std::printf("%s: %zu runs, %llu operations, %.1f simulated hours, %llu took a forged frame, "
                "%llu a late one, %llu failed, %.1f s\n",
                what.c_str(), seeds.size(), static_cast<unsigned long long>(operations), simulatedMs / 3.6e6,
                static_cast<unsigned long long>(forged), static_cast<unsigned long long>(stale),
                static_cast<unsigned long long>(failures), seconds);
    return failures == 0 ? 0 : 1;
}

int Range(std::uint64_t first, std::uint64_t count, const fs::path& dir) {
    std::vector<std::uint64_t> seeds;
    for (std::uint64_t seed = first; seed < first + count; ++seed) seeds.push_back(seed);
    return RunSeeds(seeds, "seeds " + std::to_string(first) + ".." + std::to_string(first + count - 1), dir);
}

// The seeds a file lists; false, with nothing run, when it cannot be read or
// holds something other than numbers and comments.
bool ReadSeedList(const char* path, std::vector<std::uint64_t>& seeds) {
    std::ifstream in(path);
    std::string line;
    while (in && std::getline(in, line)) {
        std::istringstream words(line.substr(0, line.find('#')));
        std::string word;
        std::uint64_t seed = 0;
        while (words >> word) {
            if (!Number(word.c_str(), seed)) return false;
            seeds.push_back(seed);
        }
    }
    return in.eof() && !seeds.empty();
}

int Day(std::uint64_t seed, double hours, const fs::path& dir) {
    const auto t0 = std::chrono::steady_clock::now();
    const auto r = RunDay(seed, dir, hours);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    if (!r.failure.empty()) {
        for (const auto& step : r.steps) std::printf("%s\n", step.c_str());
        std::printf("day %llu FAILED at %.3f simulated hours: %s\n", static_cast<unsigned long long>(seed),
                    static_cast<double>(r.simulatedMs) / 3.6e6, r.failure.c_str());
        return 1;
    }
    const auto& p = r.peaks;
    std::printf(
        "day %llu: %.2f simulated hours (%.2f idle), %d operations, %s, %s; most held: %zu log lines, "
        "%zu list items, %zu bytes of text, %zu box records, %zu queued bytes, %zu timers, peak resident %ld MiB; "
        "every invariant held, %.1f s\n",
        static_cast<unsigned long long>(seed), static_cast<double>(r.simulatedMs) / 3.6e6,
        static_cast<double>(r.idleMs) / 3.6e6, r.operations,
        r.forgedFrameTaken ? "a forged frame taken" : "no forged frame taken",
        r.staleFrameTaken ? "a late one taken" : "no late one taken", p.logLines, p.listItems, p.textBytes,
        p.boxRecords, p.boxQueue, p.timers, quelm::test::PeakResidentMiB(), seconds);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    std::uint64_t seed = 0, first = 1, count = 1000, day = 0, hours = 24;
    bool replay = false, dayRun = false;
    const char* list = nullptr;
    const char* usage = "usage: sim_tool --seed N | --first A --count C | --list FILE | --day N [--hours H]\n";
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string arg = argv[i];
        if (arg == "--list") {
            list = argv[i + 1];
            continue;
        }
        std::uint64_t* target = arg == "--seed"    ? &seed
                                : arg == "--first" ? &first
                                : arg == "--count" ? &count
                                : arg == "--day"   ? &day
                                : arg == "--hours" ? &hours
                                                   : nullptr;
        if (!target || !Number(argv[i + 1], *target)) {
            std::fprintf(stderr, "%s", usage);
            return 2;
        }
        replay = replay || arg == "--seed";
        dayRun = dayRun || arg == "--day";
    }
    if (argc % 2 == 0) {
        std::fprintf(stderr, "%s", usage);
        return 2;
    }
    std::vector<std::uint64_t> listed;
    if (list && !ReadSeedList(list, listed)) {
        std::fprintf(stderr, "sim_tool: %s is not a list of seeds\n", list);
        return 2;
    }
    const fs::path dir = MakeWorkDir();
    if (dir.empty()) {
        std::fprintf(stderr, "sim_tool: cannot make a work folder\n");
        return 2;
    }
    const int status = dayRun   ? Day(day, static_cast<double>(hours), dir)
                       : replay ? Replay(seed, dir)
                       : list   ? RunSeeds(listed, std::string("seeds listed in ") + list, dir)
                                : Range(first, count, dir);
    std::error_code ec;
    fs::remove_all(dir, ec);
    return status;
}
