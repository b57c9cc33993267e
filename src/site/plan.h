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
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace quelm {

struct PlanRow {
    int line = 0; // where the row starts in the plan
    std::string detector;
    std::vector<WantedParameter> parameters; // at most one per field
    std::optional<AddressList> addresses;
    std::string file;               // as the plan names it
    std::filesystem::path fileRead; // that file, found from the plan's folder
    std::string newNumber;
    bool givesSomething() const { return !parameters.empty() || addresses || !newNumber.empty(); }
};

// Reads a plan: JSON when the name ends in ".json" (in any case), CSV
// otherwise (commas, or semicolons when the header has no comma; a UTF-8
// byte-order mark first and empty columns at the end left aside; headers in
// English or French, a decimal point or comma, so that a report in either
// language goes back in as a plan). The errors are in `language`. A file a
// row names is read relative to the plan's folder. Every mistake found is in
// `errors` (the first kMostPlanErrors of them); the rows are usable only when
// there is none. The time taken grows with the plan's size and no faster;
// a plan of more detectors than one run takes (kMostDetectorsPerRun) is
// refused at the first row past them. `stopAsked`, when given, is asked
// after every row: when it holds, the reading ends there and the plan is
// refused.
std::vector<PlanRow> ReadPlan(const std::filesystem::path& plan, std::vector<PlanError>& errors,
                              const std::function<bool()>& stopAsked = {}, int language = 2);
std::vector<PlanRow> ParsePlanText(const std::string& text, bool json, const std::filesystem::path& folder,
                                   std::vector<PlanError>& errors, const std::function<bool()>& stopAsked = {},
                                   int language = 2);

// One error as a line, in `language`: "plan.csv: line 4: detector 45: ...".
std::string DescribePlanError(const std::string& plan, const PlanError& error, int language = 2);
// Each error on a line of its own.
std::string DescribePlanErrors(const std::string& plan, const std::vector<PlanError>& errors, int language = 2);

} // namespace quelm
