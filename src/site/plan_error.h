#pragma once
// A line of a plan that cannot be used, and why.
#include <cstddef>
#include <string>

namespace quelm {

struct PlanError {
    int line = 0;
    std::string reason;
    std::string detector = {}; // the detector the line is about, when it names one
};

// A plan with more mistakes than this is read no further: the first ones
// say enough, and a file of nothing but mistakes holds no more memory.
inline constexpr std::size_t kMostPlanErrors = 100;

} // namespace quelm
