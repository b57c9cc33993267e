#pragma once
// A plan for a site: one row per detector, with what to give it.
//
// CSV: a header line naming the columns, then one line per detector. JSON: a
// list of objects, or an object whose "detectors" holds that list (a site
// report is a plan). Columns and keys:
//   detector     the detector's number (required)
//   FIELD        a parameter, by its send-params name (power, dyn+) or its
//                report name (outputPower, levelDynPlus)
//   addresses    ten addresses, separated by blanks (JSON: a list of ten)
//   file         a project file whose parameter set, and addresses when it
//                holds them, the detector takes; the other columns win over it
//   newNumber    the number the detector answers to once the rest is done
// The report's other columns are left aside; an empty cell gives nothing.
#include "site/parameter_fields.h"
#include "site/plan_error.h"
#include "site/project_values.h"

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace quelm {

struct PlanRow {
    int line = 0; // where the row starts in the plan
    std::string detector;
    std::vector<WantedParameter> parameters; // at most one per field
    std::optional<AddressList> addresses;
    std::string file; // as the plan names it
    std::string newNumber;
    bool givesSomething() const { return !parameters.empty() || addresses || !newNumber.empty(); }
};

// Reads a plan: JSON when the name ends in ".json", CSV otherwise (commas, or
// semicolons when the header has no comma). A file a row names is read
// relative to the plan's folder. Every mistake found is in `errors`; the rows
// are usable only when there is none.
std::vector<PlanRow> ReadPlan(const std::filesystem::path& plan, std::vector<PlanError>& errors);
std::vector<PlanRow> ParsePlanText(const std::string& text, bool json, const std::filesystem::path& folder,
                                   std::vector<PlanError>& errors);

// The errors as lines: "plan.csv: line 4: ...".
std::string DescribePlanErrors(const std::string& plan, const std::vector<PlanError>& errors);

} // namespace quelm
