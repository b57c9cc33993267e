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

} // namespace quelm::simulator
