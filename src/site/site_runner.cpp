#include "site/site_runner.h"

#include "platform/path_text.h"

#include "form/form_ops.h"
#include "site/detector_list.h"
#include "site/detector_work.h"
#include "site/presence_probe.h"

#include <algorithm>
#include <system_error>

namespace quelm {

namespace {

bool Ended(DetectorState s) { return s == DetectorState::done || s == DetectorState::differs; }

} // namespace

std::string StepName(SiteStep step, int language) {
    const bool fr = language == 1;
    switch (step) {
    case SiteStep::probe: return fr ? "présence" : "presence";
    case SiteStep::readParameters: return fr ? "lecture des paramètres" : "reading parameters";
    case SiteStep::readAddresses: return fr ? "lecture des adresses" : "reading addresses";
    case SiteStep::sendParameters: return fr ? "envoi des paramètres" : "sending parameters";
    case SiteStep::sendAddresses: return fr ? "envoi des adresses" : "sending addresses";
    case SiteStep::programNumber: return fr ? "programmation du numéro" : "programming the number";
    default: return fr ? "enregistrement du fichier" : "saving the file";
    }
}

bool ListAuditEntries(const std::filesystem::path& dir, std::vector<AuditEntry>& entries,
                      std::vector<std::string>& aside, std::string& error) {
    std::error_code ec;
    std::filesystem::directory_iterator it(dir, ec);
    if (ec) {
        error = "cannot read the folder " + platform::Utf8OfPath(dir) + ": " + ec.message();
        return false;
    }
    for (; it != std::filesystem::directory_iterator(); it.increment(ec)) {
        const std::filesystem::path& file = it->path();
        if (file.extension() != ".bdp") continue;
        std::string number;
        if (it->is_regular_file(ec) && PlainNumber(platform::Utf8OfPath(file.stem()), number))
            entries.push_back({number, file});
        else
            aside.push_back(platform::Utf8OfPath(file.filename()));
    }
    if (ec) {
        error = "cannot read the folder " + platform::Utf8OfPath(dir) + ": " + ec.message();
        return false;
    }
    std::sort(entries.begin(), entries.end(), [](const AuditEntry& a, const AuditEntry& b) {
        return std::stol(a.detector) != std::stol(b.detector) ? std::stol(a.detector) < std::stol(b.detector)
                                                              : a.file < b.file;
    });
    // "0300.bdp" and "300.bdp" are files of one detector: the first is audited.
    entries.erase(std::unique(entries.begin(), entries.end(),
                              [&aside](const AuditEntry& a, const AuditEntry& b) {
                                  if (a.detector != b.detector) return false;
                                  aside.push_back(platform::Utf8OfPath(b.file.filename()));
                                  return true;
                              }),
                  entries.end());
    if (entries.size() <= kMostDetectorsPerRun) return true;
    error = platform::Utf8OfPath(dir) + " holds " + std::to_string(entries.size()) +
            " project files NUMBER.bdp: at most " + std::to_string(kMostDetectorsPerRun) + " detectors in one run";
    entries.clear();
    return false;
}

SiteRunner::SiteRunner(Form& form, SiteSettings settings)
    : f_(form), settings_(std::move(settings)), probe_(settings_.patientProbe) {}

bool SiteRunner::stopAsked() const {
    if (deadlineUs_ != 0 && f_.clock.nowUs() >= deadlineUs_) return true;
    return settings_.stopAsked && settings_.stopAsked();
}

void SiteRunner::report(SiteStep step) {
    progress_.step = step;
    progress_.elapsedSeconds = static_cast<double>(f_.clock.nowUs() - startUs_) / 1e6;
    if (settings_.progress) settings_.progress(progress_);
}

SiteRun SiteRunner::run(const std::vector<std::string>& detectors, const Work& work, bool stopOnError) {
    SiteRun result;
    for (const std::string& d : detectors) {
        result.rows.emplace_back();
        result.rows.back().detector = d;
    }
    startUs_ = f_.clock.nowUs();
    deadlineUs_ =
        settings_.timeoutSeconds > 0 ? startUs_ + static_cast<std::int64_t>(settings_.timeoutSeconds * 1e6) : 0;
    progress_ = {};
    progress_.count = detectors.size();
    // The window may be listening for a detector's number, or running an
    // exchange: the user's stop key takes it back first.
    const bool busy = ConnectionTestRunning(f_) || ExchangeRunning(f_);
    if (busy) PressStopKey(f_);
    RunContext context{f_,
                       result,
                       settings_.perDetectorSeconds,
                       deadlineUs_,
                       [this](SiteStep step) { report(step); },
                       [this] { return stopAsked(); },
                       settings_.probe ? &probe_ : nullptr,
                       busy};
    for (std::size_t i = 0; i < result.rows.size(); ++i) {
        if (stopAsked()) {
            (deadlineUs_ != 0 && f_.clock.nowUs() >= deadlineUs_ ? result.timedOut : result.stopped) = true;
            break;
        }
        DetectorReport& row = result.rows[i];
        progress_.index = i;
        progress_.detector = row.detector;
        const std::int64_t t0 = f_.clock.nowUs();
        DetectorWork w(context, row);
        work(w, i);
        row.seconds = static_cast<double>(f_.clock.nowUs() - t0) / 1e6;
        progress_.finished = i + 1;
        if (settings_.detectorDone) settings_.detectorDone(row);
        if (result.stopped || result.timedOut || result.noBox || (stopOnError && !Ended(row.state))) break;
    }
    return result;
}

SiteRun SiteRunner::survey(const SurveyRequest& request) {
    return run(
        request.detectors,
        [&request](DetectorWork& w, std::size_t) {
            if (!w.present() || !w.readParameters()) return;
            if (request.withAddresses && !w.readAddresses()) return;
            if (!request.saveDir.empty() && !w.save(request.saveDir, request.withAddresses)) return;
            w.finish(DetectorState::done);
        },
        false);
}

SiteRun SiteRunner::apply(const ApplyRequest& request) {
    std::vector<std::string> detectors;
    for (const PlanRow& row : request.rows) detectors.push_back(row.detector);
    return run(
        detectors,
        [&request](DetectorWork& w, std::size_t i) {
            const PlanRow& plan = request.rows[i];
            if (!w.present() || !w.readParameters()) return;
            if (plan.addresses && !w.readAddresses()) return;
            DetectorReport& row = w.row();
            row.differences = w.differences(plan.parameters, plan.addresses);
            if (!plan.newNumber.empty()) row.differences.push_back({"number", plan.detector, plan.newNumber});
            if (request.dryRun) return w.finish(row.differences.empty() ? DetectorState::done : DetectorState::differs);
            // What each send confirmed is written, and differs no more.
            const auto confirmed = [&row](const std::vector<FieldDifference>& part) {
                for (const FieldDifference& d : part) {
                    row.written.push_back(d.field);
                    const auto at = std::find(row.differences.begin(), row.differences.end(), d);
                    if (at != row.differences.end()) row.differences.erase(at);
                }
            };
            const auto parameters = w.differences(plan.parameters, std::nullopt);
            if (!parameters.empty() && !w.sendParameters(plan.parameters)) return;
            confirmed(parameters);
            const auto addresses = plan.addresses ? w.differences({}, plan.addresses) : std::vector<FieldDifference>{};
            if (!addresses.empty() && !w.sendAddresses(*plan.addresses)) return;
            confirmed(addresses);
            if (!plan.newNumber.empty() && !w.programNumber(plan.newNumber)) return;
            if (!plan.newNumber.empty()) confirmed({{"number", plan.detector, plan.newNumber}});
            w.finish(DetectorState::done);
        },
        request.stopOnError);
}

SiteRun SiteRunner::audit(const std::vector<AuditEntry>& entries) {
    return run(
        ScopeOf(entries).detectors,
        [&entries](DetectorWork& w, std::size_t i) {
            DetectorReport& row = w.row();
            row.projectFile = platform::Utf8OfPath(entries[i].file);
            FileSettings file;
            std::string error;
            if (!ReadSettingsFile(entries[i].file, file, error)) {
                row.failure = error;
                return w.finish(DetectorState::failed);
            }
            if (!w.present() || !w.readParameters()) return;
            if (file.addresses && !w.readAddresses()) return;
            row.differences = w.differences(file.parameters, file.addresses);
            w.finish(row.differences.empty() ? DetectorState::done : DetectorState::differs);
        },
        false);
}

RunScope ScopeOf(const SurveyRequest& request) {
    RunScope scope{request.detectors, {}};
    if (!request.saveDir.empty())
        for (const std::string& d : request.detectors)
            scope.files.push_back({request.saveDir / (d + ".bdp"), RunFileKind::projectFile});
    return scope;
}

RunScope ScopeOf(const std::vector<AuditEntry>& entries) {
    RunScope scope;
    for (const AuditEntry& e : entries) {
        scope.detectors.push_back(e.detector);
        scope.files.push_back({e.file, RunFileKind::projectFile});
    }
    return scope;
}

RunScope ScopeOf(const std::filesystem::path& plan, const ApplyRequest& request) {
    RunScope scope{{}, {{plan, RunFileKind::plan}}};
    for (const PlanRow& row : request.rows) {
        scope.detectors.push_back(row.detector);
        if (!row.fileRead.empty()) scope.files.push_back({row.fileRead, RunFileKind::projectFile});
    }
    return scope;
}

} // namespace quelm
