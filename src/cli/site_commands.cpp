#include "cli/site_commands.h"

#include "cli/exit_codes.h"
#include "cli/messages.h"
#include "core/printable.h"
#include "platform/files.h"
#include "platform/path_text.h"
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
// terminal, or when it is not wanted.
class LiveLine {
public:
    LiveLine(std::FILE* err, bool wanted) : err_(err), on_(wanted && platform::IsTerminal(err)) {}
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
        std::fprintf(err_, "\r\033[K[%zu/%zu] %s: %s%s", p.index + 1, p.count, Printable(p.detector).c_str(),
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
    // File names, a file's values and the window's messages are printed
    // with their control characters escaped.
    std::fprintf(out, "%s\n", Printable(line).c_str());
    for (const CutWrite& w : r.cutWrites)
        std::fprintf(out, "  wrote %s %s: %s\n", w.field.c_str(), Printable(w.value).c_str(),
                     w.reached == "confirmed"      ? "confirmed by the detector"
                     : w.reached == "acknowledged" ? "acknowledged by the box, not confirmed"
                                                   : "sent, not acknowledged by the box");
    const char* other = command == "audit" ? "file" : "plan";
    for (const FieldDifference& d : r.differences) {
        const std::string difference =
            d.field + ": detector " + (d.detector.empty() ? "(none)" : d.detector) + ", " + other + " " + d.wanted;
        std::fprintf(out, "  %s\n", Printable(difference).c_str());
    }
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

// The plan, read whole; a signal ends the reading as it ends a run.
int ReadPlanFile(const Options& o, ApplyRequest& apply, std::FILE* err) {
    std::vector<PlanError> errors;
    apply.rows = ReadPlan(platform::PathFromUtf8(o.number), errors, [] { return platform::StopSignal() != 0; });
    if (platform::StopSignal() != 0) {
        SayError(err, std::string("STOP: stopped by ") + platform::StopSignalName() +
                          " while reading the plan; nothing sent");
        return kSignalled + platform::StopSignal();
    }
    for (const PlanError& e : errors)
        SayError(err, o.number + (e.line > 0 ? ": line " + std::to_string(e.line) : "") + ": " + e.reason);
    if (!errors.empty()) SayError(err, "plan refused, nothing sent");
    return errors.empty() ? kSuccess : kUsage;
}

int ListFolder(const Options& o, std::vector<AuditEntry>& audit, std::FILE* err) {
    std::vector<std::string> aside;
    std::string error;
    if (!ListAuditEntries(platform::PathFromUtf8(o.number), audit, aside, error)) {
        SayError(err, error);
        return kUsage;
    }
    for (const std::string& name : aside) SayError(err, name + ": not a detector number, left aside");
    if (audit.empty()) SayError(err, o.number + ": no project file NUMBER.bdp");
    return audit.empty() ? kUsage : kSuccess;
}

// The files the run reads or writes, which its report must not replace.
std::vector<RunFile> RunFiles(const Options& o, const ApplyRequest& apply, const std::vector<AuditEntry>& audit) {
    std::vector<RunFile> files;
    if (o.command == "apply") files.push_back({platform::PathFromUtf8(o.number), "the plan"});
    for (const PlanRow& row : apply.rows)
        if (!row.fileRead.empty()) files.push_back({row.fileRead, "a project file"});
    for (const AuditEntry& e : audit) files.push_back({e.file, "a project file"});
    if (!o.site.saveDir.empty())
        for (const std::string& d : o.site.detectors)
            files.push_back({platform::PathFromUtf8(o.site.saveDir) / (d + ".bdp"), "a project file"});
    return files;
}

// Where the report goes, checked before the first detector is asked.
int CheckReport(const Options& o, const std::vector<RunFile>& runFiles, std::FILE* err) {
    std::string error;
    if (o.site.reportFile.empty() || (o.site.reportFile == "-" && !o.json)) return kSuccess;
    if (o.site.reportFile == "-")
        error = "--report - and --json both write to the standard output: give one of them";
    else if (!CheckReportFile(platform::PathFromUtf8(o.site.reportFile), runFiles, error))
        error += platform::IsStandardStream(o.site.reportFile) ? "; nothing sent (--report - writes it there)"
                                                               : "; nothing sent";
    if (error.empty()) return kSuccess;
    SayError(err, error);
    return kUsage;
}

// What the command runs on, checked before anything is sent.
int Prepare(const Options& o, ApplyRequest& apply, std::vector<AuditEntry>& audit, std::FILE* err) {
    int code = kSuccess;
    if (o.command == "apply") code = ReadPlanFile(o, apply, err);
    if (o.command == "audit") code = ListFolder(o, audit, err);
    std::error_code ec;
    if (!o.site.saveDir.empty() && !std::filesystem::create_directories(platform::PathFromUtf8(o.site.saveDir), ec) &&
        ec) {
        SayError(err, "cannot make the folder " + o.site.saveDir + ": " + ec.message());
        return kUsage;
    }
    return code != kSuccess ? code : CheckReport(o, RunFiles(o, apply, audit), err);
}

// The report, to its file or, for "-", to the output as it is written.
bool PutReport(const Options& o, const SiteRun& run, std::FILE* out, std::FILE* err) {
    std::string error;
    if (o.site.reportFile != "-") {
        if (WriteReport(platform::PathFromUtf8(o.site.reportFile), o.command, run.rows, error)) return true;
        SayError(err, error);
        return false;
    }
    return std::fputs(ReportCsv(run.rows).c_str(), out) >= 0;
}

} // namespace

int RunSiteCommand(Form& f, const Options& o, std::FILE* out, std::FILE* err) {
    ApplyRequest apply;
    std::vector<AuditEntry> audit;
    if (const int code = Prepare(o, apply, audit, err); code != kSuccess) return code;
    // A report on the output leaves it to the report: the lines go to the
    // messages. A trace says more than the live line, on the same stream.
    std::FILE* lines = o.site.reportFile == "-" ? err : out;
    LiveLine live(err, !o.trace);
    SiteSettings settings;
    settings.perDetectorSeconds = o.site.perDetectorSeconds;
    settings.timeoutSeconds = o.timeoutGiven ? o.timeoutSeconds : 0;
    settings.stopAsked = [] { return platform::StopSignal() != 0; };
    settings.progress = [&live](const SiteProgress& p) { live.show(p); };
    settings.detectorDone = [&](const DetectorReport& r) {
        live.clear();
        if (!o.json) PrintRow(lines, r, o.command);
        std::fflush(lines);
    };
    SiteRunner runner(f, settings);
    SiteRun run;
    if (o.command == "survey")
        run = runner.survey({o.site.detectors, o.withAddresses, platform::PathFromUtf8(o.site.saveDir)});
    if (o.command == "apply") {
        apply.dryRun = o.site.dryRun;
        apply.stopOnError = o.site.stopOnError;
        run = runner.apply(apply);
    }
    if (o.command == "audit") run = runner.audit(audit);
    live.clear();
    int code = ExitCode(run, o.site.dryRun);
    if (!o.site.reportFile.empty() && !PutReport(o, run, out, err)) code = code == kSuccess ? kOperationFailed : code;
    if (o.json) {
        std::fputs(ReportJson(o.command, run.rows).c_str(), out);
        // The summary is the error a failed run's JSON gives.
        if (code == kOperationFailed) SayError(err, SummaryLine(Summarize(run.rows)));
    } else
        std::fprintf(lines, "%s\n", SummaryLine(Summarize(run.rows)).c_str());
    if (run.stopped || run.timedOut) {
        const char* signal = platform::StopSignalName();
        SayError(err, std::string("STOP: ") + (signal ? std::string("stopped by ") + signal : "the time-out ran out") +
                          "; the report holds what was done until then");
    }
    return code;
}

} // namespace quelm::cli
