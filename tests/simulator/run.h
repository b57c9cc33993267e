#pragma once
// One run of the seeded simulator: the seed draws the line's faults, the
// workload (operations in any order, key presses at any moment, the box
// pulled out and put back) and the detector that reports its number; the
// invariants are checked as the run goes.
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace quelm::simulator {

struct RunResult {
    std::string failure; // empty when every invariant held
    std::vector<std::string> steps;
    int operations = 0;
    bool forgedFrameTaken = false;
    bool staleFrameTaken = false;
    std::int64_t simulatedMs = 0;
};

// `workDir` holds the language files; the run writes its settings file there.
// With `traced`, the steps hold every frame too.
RunResult RunSeed(std::uint64_t seed, const std::filesystem::path& workDir, bool traced = false);

// The most the tool held at any step of a long run.
struct Peaks {
    std::size_t logLines = 0;   // LoggerList items
    std::size_t listItems = 0;  // items of any other list box
    std::size_t textBytes = 0;  // the longest text of a text box
    std::size_t boxRecords = 0; // frames and bytes the simulated box keeps
    std::size_t boxQueue = 0;   // bytes queued towards the tool
    std::size_t timers = 0;     // timers running on the clock
};

struct DayResult : RunResult {
    Peaks peaks;
    std::int64_t idleMs = 0; // of simulatedMs, the user away between operations
};

// One tool left running for `hours` of simulated time: operations one after
// the other with pauses, the line's faults drawn again every hour, the box
// pulled out and put back; after every step each invariant and each memory
// bound (docs/measurements.md, A day of use) is checked. Steps keep only the latest ones.
DayResult RunDay(std::uint64_t seed, const std::filesystem::path& workDir, double hours);

} // namespace quelm::simulator
