#pragma once
// A line of a plan that cannot be used, and why.
#include <string>

namespace quelm {

struct PlanError {
    int line = 0;
    std::string reason;
};

} // namespace quelm
