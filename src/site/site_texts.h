#pragma once
// What a site window shows of a run, in the user's language (1 French,
// 2 English), whatever the toolkit drawing it: a detector's state, its last
// result and differences, the progress line and the summary. `command` is
// the run's ("survey", "audit", "apply --dry-run", "apply").
#include "site/site_report.h"
#include "site/site_run.h"

#include <string>
#include <vector>

namespace quelm {

// French for language 1, English otherwise.
inline const char* InLanguage(int language, const char* french, const char* english) {
    return language == 1 ? french : english;
}

std::string StateText(DetectorState state, int language);
std::string ResultText(const DetectorReport& r, const std::string& command, int language);
// "outputPower : détecteur med, plan max", one difference after the other.
std::string DifferencesText(const DetectorReport& r, const std::string& command, int language);
std::string ProgressText(const SiteProgress& p, int language);
// Empty for no rows.
std::string SummaryText(const std::vector<DetectorReport>& rows, int language);

} // namespace quelm
