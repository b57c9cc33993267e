#pragma once
// The rows of a JSON plan, as the cells a CSV row would give.
#include "site/plan_error.h"

#include <cstddef>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace quelm {

struct PlanEntry {
    int line = 0;          // where the entry starts
    std::size_t index = 0; // its place in the list, from 1
    std::string notObject; // the kind of an entry that is no object ("number"), else empty
    std::vector<std::pair<std::string, std::string>> cells;
};

// Each entry of a list of objects, or of the "detectors" list of an object,
// in turn to `take`, which returns false to end the reading there; only the
// entry being read is held. A number becomes its digits, a list (addresses)
// its items separated by blanks, null an empty cell. A key given twice in an
// object, a value no column takes and text that is not JSON are said in
// `errors`, in `language` (1 French, 2 English); the reading ends once they
// number kMostPlanErrors.
void PlanEntriesFromJson(const std::string& text, const std::function<bool(PlanEntry&&)>& take,
                         std::vector<PlanError>& errors, int language = 2);

} // namespace quelm
