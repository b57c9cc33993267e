#include "cli/site_commands.h"

#include "app/backend.h"
#include "cli/cli_language.h"
#include "cli/exit_codes.h"
#include "cli/messages.h"
#include "core/printable.h"
#include "core/texts.h"
#include "files/text_file.h"
#include "platform/files.h"
#include "platform/path_text.h"
#include "platform/stop_signals.h"
#include "platform/system.h"
#include "site/absent_list.h"
#include "site/live_report.h"
#include "site/site_runner.h"

#include <filesystem>
#include <optional>
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
// step, and the time left at the pace so far. When `err` is not a terminal,
// nothing, or with `piped` a line of its own for each detector as it starts.
class LiveLine {
public:
    LiveLine(std::FILE* err, bool wanted, bool piped = false)
        : err_(err), on_(wanted && platform::IsTerminal(err)), piped_(wanted && piped && !on_) {}
    ~LiveLine() { clear(); }
    LiveLine(const LiveLine&) = delete;
    LiveLine& operator=(const LiveLine&) = delete;

    void show(const SiteProgress& p) {
        if (piped_ && p.index + 1 != started_) {
            started_ = p.index + 1;
            std::fprintf(err_, "[%zu/%zu] %s\n", started_, p.count, Printable(p.detector).c_str());
            std::fflush(err_);
        }
        if (!on_) return;
        std::string left;
        if (p.finished > 0) {
            char about[96];
            std::snprintf(
                about, sizeof about, Tr(", about %s left"),
                Duration(p.elapsedSeconds / static_cast<double>(p.finished) * static_cast<double>(p.count - p.finished))
                    .c_str());
            left = about;
        }
        std::fprintf(err_, "\r\033[K[%zu/%zu] %s%s%s%s", p.index + 1, p.count, Printable(p.detector).c_str(),
                     Language() == 1 ? " : " : ": ", StepName(p.step, Language()).c_str(), left.c_str());
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
    bool piped_;
    bool shown_ = false;
    std::size_t started_ = 0; // the detector whose line was given, from 1
};

// One line per detector as it ends; a dry run and an audit give each
// difference a line of its own.
void PrintRow(std::FILE* out, const DetectorReport& r, SiteMode mode) {
    const int language = Language();
    const std::string colon = language == 1 ? " : " : ": ";
    std::string line = r.detector + colon + StateName(r.state, language);
    line += " (";
    line += DecimalText(SecondsText(r.seconds), language);
    line += " s)";
    if (!r.written.empty()) {
        line += Tr(", wrote");
        for (const std::string& w : r.written) {
            line += ' ';
            line += ColumnHeader(w, language);
        }
    }
    if (!r.newNumber.empty()) line += Tr(", now answers to ") + r.newNumber;
    if (mode == SiteMode::survey && !r.projectFile.empty()) line += Tr(", saved ") + r.projectFile;
    if (!r.readTwice.empty()) {
        line += Tr(", read twice:");
        for (const std::string& what : r.readTwice) {
            line += ' ';
            line += Tr(what.c_str());
        }
    }
    if (!r.failure.empty()) line += colon + r.failure;
    if (r.uncertain) line += Tr(" (its values are uncertain: read it again)");
    // File names, a file's values and the window's messages are printed
    // with their control characters escaped.
    std::fprintf(out, "%s\n", Printable(line).c_str());
    for (const CutWrite& w : r.cutWrites)
        std::fprintf(out, Tr("  wrote %s %s: %s\n"), ColumnHeader(w.field, language).c_str(),
                     Printable(w.value).c_str(),
                     Tr(w.reached == "confirmed"      ? "confirmed by the detector"
                        : w.reached == "acknowledged" ? "acknowledged by the box, not confirmed"
                                                      : "sent, not acknowledged by the box"));
    const char* other = Tr(mode == SiteMode::audit ? "file" : "plan");
    for (const FieldDifference& d : r.differences) {
        const std::string difference = ColumnHeader(d.field, language) + colon + Tr("detector ") +
                                       (d.detector.empty() ? Tr("(none)") : DecimalText(d.detector, language)) + ", " +
                                       other + " " + DecimalText(d.wanted, language);
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
    apply.rows = ReadPlan(
        platform::PathFromUtf8(o.site.plan), errors, [] { return platform::StopSignal() != 0; }, Language());
    if (platform::StopSignal() != 0) {
        SayError(err, std::string(Tr("STOP: stopped by ")) + platform::StopSignalName() +
                          Tr(" while reading the plan; nothing sent"));
        return kSignalled + platform::StopSignal();
    }
    for (const PlanError& e : errors) SayError(err, DescribePlanError(o.site.plan, e, Language()));
    if (!errors.empty()) SayError(err, Tr("plan refused, nothing sent"));
    return errors.empty() ? kSuccess : kUsage;
}

int ListFolder(const Options& o, std::vector<AuditEntry>& audit, std::FILE* err) {
    std::vector<std::string> aside;
    std::string error;
    if (!ListAuditEntries(platform::PathFromUtf8(o.site.folder), audit, aside, error)) {
        SayError(err, error);
        return kUsage;
    }
    for (const std::string& name : aside) SayError(err, name + Tr(": not a detector number, left aside"));
    if (audit.empty()) SayError(err, o.site.folder + Tr(": no project file NUMBER.bdp"));
    return audit.empty() ? kUsage : kSuccess;
}

SurveyRequest SurveyOf(const Options& o) {
    return {o.site.detectors, o.withAddresses, platform::PathFromUtf8(o.site.saveDir)};
}

// The detectors of the run and the files it reads or writes: besides those
// of its work, the report it retries and the simulated box's file.
RunScope Scope(const Options& o, const ApplyRequest& apply, const std::vector<AuditEntry>& audit) {
    RunScope scope = o.site.mode == SiteMode::survey  ? ScopeOf(SurveyOf(o))
                     : o.site.mode == SiteMode::audit ? ScopeOf(audit)
                                                      : ScopeOf(platform::PathFromUtf8(o.site.plan), apply);
    if (!o.site.retryAbsent.empty())
        scope.files.push_back({platform::PathFromUtf8(o.site.retryAbsent), RunFileKind::retriedReport});
    if (o.backend.simulate)
        scope.files.push_back({platform::PathFromUtf8(o.backend.simFile.empty() ? defaultBoxFile() : o.backend.simFile),
                               RunFileKind::boxFile});
    return scope;
}

// A folder made for the run's files, as the user named it; false with the
// error said.
bool MakeFolder(const std::filesystem::path& dir, std::FILE* err) {
    std::error_code ec;
    if (dir.empty() || std::filesystem::is_directory(dir, ec) || std::filesystem::create_directories(dir, ec) || !ec)
        return true;
    SayError(err, Tr("cannot make the folder ") + platform::Utf8OfPath(dir) + ": " + Reason(ec.message(), Language()));
    return false;
}

// Where the report goes, checked before the first detector is asked: its
// folder is made if need be, and the file must be one that can be written.
int CheckReport(const Options& o, const std::vector<RunFile>& runFiles, std::FILE* err) {
    std::string error;
    if (o.site.reportFile.empty() || (o.site.reportFile == "-" && !o.json)) return kSuccess;
    const std::filesystem::path file = platform::PathFromUtf8(o.site.reportFile);
    if (o.site.reportFile != "-" && !platform::IsStandardStream(o.site.reportFile) &&
        !MakeFolder(file.parent_path(), err))
        return kUsage;
    if (o.site.reportFile == "-")
        error = Tr("--report - and --json both write to the standard output: give one of them");
    else if (!CheckReportFile(file, runFiles, error, Language()))
        error = Reason(error, Language()) + Tr(platform::IsStandardStream(o.site.reportFile)
                                                   ? "; nothing sent (--report - writes it there)"
                                                   : "; nothing sent");
    if (error.empty()) return kSuccess;
    SayError(err, error);
    return kUsage;
}

// The survey's folder, made if need be, and each project file it will
// write, checked as the report is: a run never learns at its first detector
// that nothing can be saved.
int CheckSaveDir(const Options& o, const std::vector<std::string>& detectors, std::FILE* err) {
    if (o.site.saveDir.empty()) return kSuccess;
    const std::filesystem::path dir = platform::PathFromUtf8(o.site.saveDir);
    if (!MakeFolder(dir, err)) return kUsage;
    for (const std::string& d : detectors) {
        std::filesystem::path target;
        std::string error;
        if (CheckWritable(dir / (d + ".bdp"), target, error)) continue;
        SayError(err, Reason(error, Language()) + Tr("; nothing sent"));
        return kUsage;
    }
    return kSuccess;
}

// survey --retry-absent REPORT: the numbers the report recorded absent.
int ReadAbsent(const Options& o, std::vector<std::string>& detectors, std::FILE* err) {
    std::string error;
    if (!AbsentInReport(platform::PathFromUtf8(o.site.retryAbsent), detectors, error, Language())) {
        SayError(err, o.site.retryAbsent + (Language() == 1 ? " : " : ": ") + error);
        return kUsage;
    }
    if (detectors.empty()) SayError(err, o.site.retryAbsent + Tr(": no detector recorded absent (probe)"));
    return detectors.empty() ? kUsage : kSuccess;
}

// Before numbers recorded absent are asked again, how long that may take.
void SayRetryLength(const Options& o, std::FILE* err) {
    const double each = static_cast<double>(ProbeSchedule::MostSilenceUs(true)) / 1e6;
    char text[256];
    std::snprintf(text, sizeof text,
                  Tr("to ask again: %zu, each silent number %s s at most, %s at most in all; "
                     "a detector that answers is read as usual\n"),
                  o.site.detectors.size(), DecimalText(SecondsText(each), Language()).c_str(),
                  Duration(each * static_cast<double>(o.site.detectors.size())).c_str());
    std::fputs(text, err);
    std::fflush(err);
}

// What the command runs on, checked before anything is sent.
int Prepare(Options& o, ApplyRequest& apply, std::vector<AuditEntry>& audit, std::FILE* err) {
    int code = kSuccess;
    if (o.site.mode == SiteMode::apply) code = ReadPlanFile(o, apply, err);
    if (o.site.mode == SiteMode::audit) code = ListFolder(o, audit, err);
    if (!o.site.retryAbsent.empty()) code = ReadAbsent(o, o.site.detectors, err);
    if (code == kSuccess) code = CheckSaveDir(o, o.site.detectors, err);
    return code != kSuccess ? code : CheckReport(o, Scope(o, apply, audit).files, err);
}

// The report kept on the disk as the run goes (see LiveReport): each
// detector's row as it ends, and the row of a detector about to be written
// before its first write. A report that cannot be kept is said once.
class RunningReport {
public:
    RunningReport(const Options& o, std::size_t detectors, std::FILE* err) : err_(err) {
        if (o.site.reportFile.empty() || o.site.reportFile == "-") return;
        live_.emplace(platform::PathFromUtf8(o.site.reportFile), o.site.mode, detectors, Language());
        std::string error;
        if (!live_->start(error)) say(error);
    }
    void step(SiteStep step) {
        if (!live_ ||
            (step != SiteStep::sendParameters && step != SiteStep::sendAddresses && step != SiteStep::programNumber))
            return;
        std::string error;
        if (!live_->writing(detector_, StepName(step, Language()), error)) say(error);
    }
    void next(const std::string& detector) { detector_ = detector; }
    void done(const DetectorReport& r) {
        std::string error;
        if (live_ && !live_->done(r, error)) say(error);
    }
    // The whole report in its place: false, said, when it could not be written.
    bool finish(const std::vector<DetectorReport>& rows) {
        std::string error;
        if (!live_ || live_->finish(rows, error)) return true;
        SayError(err_, Reason(error, Language()));
        return false;
    }

private:
    void say(const std::string& error) {
        if (!said_) SayError(err_, error);
        said_ = true;
    }
    std::FILE* err_;
    std::optional<LiveReport> live_;
    std::string detector_;
    bool said_ = false;
};

// The report, to its file or, for "-", to the output as it is written.
bool PutReport(const Options& o, const SiteRun& run, RunningReport& running, std::FILE* out) {
    if (o.site.reportFile != "-") return running.finish(run.rows);
    return std::fputs(ReportCsv(run.rows, Language()).c_str(), out) >= 0;
}

} // namespace

int RunSiteCommand(Form& f, const Options& given, std::FILE* out, std::FILE* err) {
    Options o = given;
    ApplyRequest apply;
    std::vector<AuditEntry> audit;
    if (const int code = Prepare(o, apply, audit, err); code != kSuccess) return code;
    RunningReport running(o, Scope(o, apply, audit).detectors.size(), err);
    // A report on the output leaves it to the report: the lines go to the
    // messages. A trace says more than the live line, on the same stream.
    std::FILE* lines = o.site.reportFile == "-" ? err : out;
    const bool retry = !o.site.retryAbsent.empty();
    if (retry) SayRetryLength(o, err);
    LiveLine live(err, !o.trace, retry);
    SiteSettings settings;
    settings.perDetectorSeconds = o.site.perDetectorSeconds;
    settings.timeoutSeconds = o.timeoutGiven ? o.timeoutSeconds : 0;
    // Numbers a report recorded absent are asked again with a probe that
    // waits a second a try.
    settings.patientProbe = retry;
    settings.stopAsked = [] { return platform::StopSignal() != 0; };
    settings.progress = [&live, &running](const SiteProgress& p) {
        running.next(p.detector);
        running.step(p.step);
        live.show(p);
    };
    settings.detectorDone = [&](const DetectorReport& r) {
        live.clear();
        if (!o.json) PrintRow(lines, r, o.site.mode);
        std::fflush(lines);
        running.done(r);
    };
    SiteRunner runner(f, settings);
    SiteRun run;
    if (o.site.mode == SiteMode::survey) run = runner.survey(SurveyOf(o));
    if (o.site.mode == SiteMode::apply) {
        apply.dryRun = o.site.dryRun;
        apply.stopOnError = o.site.stopOnError;
        run = runner.apply(apply);
    }
    if (o.site.mode == SiteMode::audit) run = runner.audit(audit);
    live.clear();
    int code = ExitCode(run, o.site.dryRun);
    if (!o.site.reportFile.empty() && !PutReport(o, run, running, out))
        code = code == kSuccess ? kOperationFailed : code;
    if (o.json) {
        std::fputs(ReportJson(o.site.mode, run.rows).c_str(), out);
        // The summary is the error a failed run's JSON gives.
        if (code == kOperationFailed) SayError(err, SummaryLine(Summarize(run.rows), Language()));
    } else
        std::fprintf(lines, "%s\n", SummaryLine(Summarize(run.rows), Language()).c_str());
    if (run.stopped || run.timedOut) {
        const char* signal = platform::StopSignalName();
        SayError(err, std::string("STOP: ") +
                          (signal ? std::string(Tr("stopped by ")) + signal : Tr("the time-out ran out")) +
                          Tr("; the report holds what was done until then"));
    }
    return code;
}

} // namespace quelm::cli
