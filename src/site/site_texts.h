#pragma once
// What a site window shows of a run, in the user's language (1 French,
// 2 English), whatever the toolkit drawing it: a detector's state, its last
// result and differences, the progress line and the summary, for a run of
// `mode`.
#include "form/form.h"
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
// A report field by the main window's caption of its group ("Niveau DYN+"),
// in the window's language.
std::string FieldCaption(const Form& form, const std::string& field);
std::string ResultText(const Form& form, const DetectorReport& r, SiteMode mode);
// "Niveau DYN+ : détecteur 45, plan 70", one difference after the other.
std::string DifferencesText(const Form& form, const DetectorReport& r, SiteMode mode);
std::string ProgressText(const SiteProgress& p, int language);
// Empty for no rows.
std::string SummaryText(const std::vector<DetectorReport>& rows, int language);

} // namespace quelm
