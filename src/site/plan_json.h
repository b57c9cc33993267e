#pragma once
// The rows of a JSON plan, as the cells a CSV row would give.
#include "site/plan_error.h"

#include <string>
#include <utility>
#include <vector>

namespace quelm {

struct PlanEntry {
    int line = 0; // where the entry's object starts
    std::vector<std::pair<std::string, std::string>> cells;
};

// The entries of a list of objects, or of the "detectors" list of an object.
// A number becomes its digits, a list (addresses) its items separated by
// blanks, null an empty cell; what does not fit is said in `errors`.
std::vector<PlanEntry> PlanEntriesFromJson(const std::string& text, std::vector<PlanError>& errors);

} // namespace quelm
