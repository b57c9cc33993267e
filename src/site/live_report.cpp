#include "site/live_report.h"

#include "core/texts.h"
#include "files/text_file.h"
#include "platform/file_replace.h"
#include "platform/path_text.h"

namespace quelm {

LiveReport::LiveReport(std::filesystem::path file, SiteMode mode, std::size_t detectors, int language)
    : name_(std::move(file)), mode_(mode), json_(ReportIsJson(name_)), language_(language), detectors_(detectors) {}

bool LiveReport::start(std::string& error) {
    const std::string head = ReportHead(mode_, json_, language_);
    std::filesystem::path target;
    std::string reason;
    if (!WriteFileAtomically(name_, head, error) || !platform::FollowLinks(name_, target, reason) ||
        !file_.open(target, reason)) {
        if (error.empty()) error = Reason("cannot write " + platform::Utf8OfPath(name_) + ": " + reason, language_);
        return false;
    }
    rowsEnd_ = head.size();
    return redoEnd("", summary_, error);
}

bool LiveReport::writing(const std::string& detector, const std::string& step, std::string& error) {
    if (!kept() || writingShown_) return true;
    writingShown_ = true;
    DetectorReport row;
    row.detector = detector;
    row.state = DetectorState::stopped;
    row.reached = true;
    row.uncertain = true;
    row.failure = step + (language_ == 1 ? " : en cours à la dernière écriture du rapport ; relisez le détecteur"
                                         : ": in progress when the report was last written; read the detector again");
    SiteSummary summary = summary_;
    Tally(summary, row);
    return redoEnd(ReportRow(row, json_, doneRows_ == 0, language_), summary, error);
}

bool LiveReport::done(const DetectorReport& row, std::string& error) {
    writingShown_ = false;
    if (!kept()) return true;
    const std::string text = ReportRow(row, json_, doneRows_ == 0, language_);
    Tally(summary_, row);
    ++doneRows_;
    if (!redoEnd(text, summary_, error)) return false;
    rowsEnd_ += text.size();
    return true;
}

bool LiveReport::redoEnd(const std::string& rows, const SiteSummary& summary, std::string& error) {
    SiteSummary s = summary;
    if (detectors_ > s.detectors) {
        s.notRun += detectors_ - s.detectors;
        s.detectors = detectors_;
    }
    std::string reason;
    if (file_.replaceFrom(rowsEnd_, rows + ReportTail(s, json_, doneRows_ > 0 || !rows.empty(), language_), reason))
        return true;
    file_.close();
    error = Reason(reason, language_);
    error = language_ == 1 ? "impossible de tenir le rapport " + platform::Utf8OfPath(name_) + " à jour : " + error +
                                 " ; il sera écrit en entier à la fin de l'exécution"
                           : "cannot keep the report " + platform::Utf8OfPath(name_) + " up to date: " + error +
                                 "; it will be written whole at the end of the run";
    return false;
}

bool LiveReport::finish(const std::vector<DetectorReport>& rows, std::string& error) {
    file_.close();
    return WriteReport(name_, mode_, rows, error, language_);
}

} // namespace quelm
