#pragma once
// The numbers a site report recorded absent to the presence probe, for a
// survey that asks them again with the reply watchdog's whole wait.
#include <filesystem>
#include <string>
#include <vector>

namespace quelm {

// The detectors of `report` (CSV in either language, or JSON, as the site
// commands write it) whose state is "absent (probe)", in the report's order.
// False with the reason, in `language`, when the report cannot be read, has
// no detector and state columns, or holds what no run writes: more rows
// than one run takes, or a detector twice.
bool AbsentInReport(const std::filesystem::path& report, std::vector<std::string>& detectors, std::string& error,
                    int language);

} // namespace quelm
