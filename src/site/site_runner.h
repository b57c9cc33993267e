#pragma once
// The site runner: the window's operations, detector after detector, on the
// window model the front end gives it (the main window's, or the command
// line's headless one), with a report row for each detector. Both front ends
// run sites through it.
#include "form/form.h"
#include "site/plan.h"
#include "site/presence_probe.h"
#include "site/site_report.h"
#include "site/site_run.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace quelm {

struct SurveyRequest {
    std::vector<std::string> detectors;
    bool withAddresses = false;
    std::filesystem::path saveDir; // empty: no project file written
};

struct ApplyRequest {
    std::vector<PlanRow> rows;
    bool dryRun = false;
    bool stopOnError = false;
};

// A detector with a project file in the audited folder.
struct AuditEntry {
    std::string detector;
    std::filesystem::path file;
};
// The files "NUMBER.bdp" of `dir` in number order; other names go into
// `aside`. False, with the reason, when the folder cannot be read or holds
// files of more detectors than one run takes.
bool ListAuditEntries(const std::filesystem::path& dir, std::vector<AuditEntry>& entries,
                      std::vector<std::string>& aside, std::string& error);

// The detectors a run works on, in order, and the files it reads or writes,
// which its report must not replace: the project files a survey saves, those
// an audit reads, a plan and the project files its rows read.
struct RunScope {
    std::vector<std::string> detectors;
    std::vector<RunFile> files;
};
RunScope ScopeOf(const SurveyRequest& request);
RunScope ScopeOf(const std::vector<AuditEntry>& entries);
RunScope ScopeOf(const std::filesystem::path& plan, const ApplyRequest& request);

class SiteRunner {
public:
    SiteRunner(Form& form, SiteSettings settings);

    // Reads each detector; writes DIR/NUMBER.bdp for each that answered,
    // the file the window would save after that read.
    SiteRun survey(const SurveyRequest& request);
    // Gives each detector its row, with the read-back confirmation of the
    // window's sends; a dry run reads and lists the differences only.
    SiteRun apply(const ApplyRequest& request);
    // Reads each detector and lists where it differs from its file.
    SiteRun audit(const std::vector<AuditEntry>& entries);

private:
    using Work = std::function<void(class DetectorWork&, std::size_t)>;
    SiteRun run(const std::vector<std::string>& detectors, const Work& work, bool stopOnError);
    void report(SiteStep step);
    bool stopAsked() const;

    Form& f_;
    SiteSettings settings_;
    std::int64_t startUs_ = 0;
    std::int64_t deadlineUs_ = 0; // 0: none
    SiteProgress progress_;
    PresenceProbe probe_;
};

} // namespace quelm
