#include "cli/site_commands.h"

#include "cli/exit_codes.h"
#include "cli/messages.h"
#include "platform/stop_signals.h"
#include "platform/system.h"
#include "site/site_runner.h"

#include <filesystem>
#include <system_error>

namespace quelm::cli {

namespace {

// "45 s", "3 min 05 s", "1 h 02 min".
std::string Duration(double seconds) {
    const long s = static_cast<long>(seconds + 0.5);
    char text[48];
    if (s < 60)
        std::snprintf(text, sizeof text, "%ld s", s);
    else if (s < 3600)
        std::snprintf(text, sizeof text, "%ld min %02ld s", s / 60, s % 60);
    else
        std::snprintf(text, sizeof text, "%ld h %02ld min", s / 3600, s % 3600 / 60);
    return text;
}

// The line on a terminal that says where the run is: detector k of n, the
// step, and the time left at the pace so far. Nothing when `err` is not a
// terminal.
class LiveLine {
public:
    explicit LiveLine(std::FILE* err) : err_(err), on_(platform::IsTerminal(err)) {}
    ~LiveLine() { clear(); }
    LiveLine(const LiveLine&) = delete;
    LiveLine& operator=(const LiveLine&) = delete;

    void show(const SiteProgress& p) {
        if (!on_) return;
        std::string left;
        if (p.finished > 0)
            left = ", about " +
                   Duration(p.elapsedSeconds / static_cast<double>(p.finished) *
                            static_cast<double>(p.count - p.finished)) +
                   " left";
        std::fprintf(err_, "\r\033[K[%zu/%zu] %s: %s%s", p.index + 1, p.count, p.detector.c_str(),
                     StepName(p.step, 2).c_str(), left.c_str());
        std::fflush(err_);
        shown_ = true;
    }
    void clear() {
        if (!shown_) return;
        std::fputs("\r\033[K", err_);
        std::fflush(err_);
        shown_ = false;
    }

private:
    std::FILE* err_;
    bool on_;
    bool shown_ = false;
};

// One line per detector as it ends; a dry run and an audit give each
// difference a line of its own.
void PrintRow(std::FILE* out, const DetectorReport& r, const std::string& command) {
    std::string line = r.detector + ": " + StateName(r.state) + " (" + SecondsText(r.seconds) + " s)";
    if (!r.written.empty()) {
        line += ", wrote";
        for (const std::string& w : r.written) line += " " + w;
    }
    if (!r.newNumber.empty()) line += ", now answers to " + r.newNumber;
    if (command == "survey" && !r.projectFile.empty()) line += ", saved " + r.projectFile;
    if (!r.readTwice.empty()) {
        line += ", read twice:";
        for (const std::string& what : r.readTwice) line += " " + what;
    }
    if (!r.failure.empty()) line += ": " + r.failure;
    if (r.uncertain) line += " (its values are uncertain: read it again)";
    std::fprintf(out, "%s\n", line.c_str());
    for (const CutWrite& w : r.cutWrites)
        std::fprintf(out, "  wrote %s %s: %s\n", w.field.c_str(), w.value.c_str(),
                     w.reached == "confirmed"      ? "confirmed by the detector"
                     : w.reached == "acknowledged" ? "acknowledged by the box, not confirmed"
                                                   : "sent, not acknowledged by the box");
    const char* other = command == "audit" ? "file" : "plan";
    for (const FieldDifference& d : r.differences)
        std::fprintf(out, "  %s: detector %s, %s %s\n", d.field.c_str(),
                     d.detector.empty() ? "(none)" : d.detector.c_str(), other, d.wanted.c_str());
}

int ExitCode(const SiteRun& run, bool dryRun) {
    if (run.noBox) return kNoBox;
    if (run.stopped || run.timedOut) return kStopped;
    for (const DetectorReport& r : run.rows) {
        const bool fine = r.state == DetectorState::done || (dryRun && r.state == DetectorState::differs);
        if (!fine) return kOperationFailed;
    }
    return kSuccess;
}

// What the command runs on, checked before anything is sent.
bool Prepare(const Options& o, ApplyRequest& apply, std::vector<AuditEntry>& audit, std::FILE* err) {
    if (o.command == "apply") {
        std::vector<PlanError> errors;
        apply.rows = ReadPlan(o.number, errors);
        for (const PlanError& e : errors)
            SayError(err, o.number + (e.line > 0 ? ": line " + std::to_string(e.line) : "") + ": " + e.reason);
        if (!errors.empty()) SayError(err, "plan refused, nothing sent");
        return errors.empty();
    }
    if (o.command == "audit") {
        std::vector<std::string> aside;
        std::string error;
        if (!ListAuditEntries(o.number, audit, aside, error)) {
            SayError(err, error);
            return false;
        }
        for (const std::string& name : aside) SayError(err, name + ": not a detector number, left aside");
        if (audit.empty()) SayError(err, o.number + ": no project file NUMBER.bdp");
        return !audit.empty();
    }
    std::error_code ec;
    if (!o.site.saveDir.empty() && !std::filesystem::create_directories(o.site.saveDir, ec) && ec) {
        SayError(err, "cannot make the folder " + o.site.saveDir + ": " + ec.message());
        return false;
    }
    return true;
}

} // namespace

int RunSiteCommand(Form& f, const Options& o, std::FILE* out, std::FILE* err) {
    ApplyRequest apply;
    std::vector<AuditEntry> audit;
    if (!Prepare(o, apply, audit, err)) return kUsage;
    LiveLine live(err);
    SiteSettings settings;
    settings.perDetectorSeconds = o.site.perDetectorSeconds;
    settings.timeoutSeconds = o.timeoutGiven ? o.timeoutSeconds : 0;
    settings.stopAsked = [] { return platform::StopSignal() != 0; };
    settings.progress = [&live](const SiteProgress& p) { live.show(p); };
    settings.detectorDone = [&](const DetectorReport& r) {
        live.clear();
        if (!o.json) PrintRow(out, r, o.command);
        std::fflush(out);
    };
    SiteRunner runner(f, settings);
    SiteRun run;
    if (o.command == "survey") run = runner.survey({o.site.detectors, o.withAddresses, o.site.saveDir});
    if (o.command == "apply") {
        apply.dryRun = o.site.dryRun;
        apply.stopOnError = o.site.stopOnError;
        run = runner.apply(apply);
    }
    if (o.command == "audit") run = runner.audit(audit);
    live.clear();
    int code = ExitCode(run, o.site.dryRun);
    std::string error;
    if (!o.site.reportFile.empty() && !WriteReport(o.site.reportFile, o.command, run.rows, error)) {
        SayError(err, error);
        code = code == kSuccess ? kOperationFailed : code;
    }
    if (o.json)
        std::fputs(ReportJson(o.command, run.rows).c_str(), out);
    else
        std::fprintf(out, "%s\n", SummaryLine(Summarize(run.rows)).c_str());
    if (run.stopped || run.timedOut) {
        const char* signal = platform::StopSignalName();
        SayError(err, std::string("STOP: ") + (signal ? std::string("stopped by ") + signal : "the time-out ran out") +
                          "; the report holds what was done until then");
    }
    return code;
}

} // namespace quelm::cli
