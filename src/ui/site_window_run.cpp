// The site window's runs: each checks what it is given, then hands the
// main window's model to the site runner and shows what it reports.
#include "core/texts.h"
#include "site/detector_list.h"
#include "site/site_texts.h"
#include "ui/site_window.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>
#include <algorithm>
#include <utility>

namespace quelm::ui {

void SiteWindow::showRows(const std::vector<std::string>& detectors) {
    table_->setRowCount(static_cast<int>(detectors.size()));
    for (int i = 0; i < table_->rowCount(); ++i) {
        table_->setItem(i, 0, new QTableWidgetItem(QString::fromStdString(detectors[static_cast<std::size_t>(i)])));
        for (int c = 1; c < 4; ++c) table_->setItem(i, c, new QTableWidgetItem);
    }
    progress_->setRange(0, static_cast<int>(detectors.size()));
    progress_->setValue(0);
}

// What the last step of a detector gave, and how it differs, in the main
// window's captions and language.
QString SiteWindow::resultText(const DetectorReport& r) const {
    return QString::fromStdString(ResultText(form_, r, command_));
}

QString SiteWindow::differencesText(const DetectorReport& r) const {
    return QString::fromStdString(DifferencesText(form_, r, command_));
}

void SiteWindow::showRow(const DetectorReport& r, bool scroll) {
    for (int i = 0; i < table_->rowCount(); ++i) {
        if (table_->item(i, 0)->text().toStdString() != r.detector) continue;
        table_->item(i, 1)->setText(QString::fromUtf8(StateName(r.state, form_.x.language)));
        for (const auto& [column, text] : {std::pair{2, resultText(r)}, std::pair{3, differencesText(r)}}) {
            table_->item(i, column)->setText(text);
            table_->item(i, column)->setToolTip(text); // the whole text of a cell too narrow for it
        }
        if (scroll) table_->scrollToItem(table_->item(i, 0));
    }
}

void SiteWindow::showProgress(const SiteProgress& p) {
    progress_->setValue(static_cast<int>(p.finished));
    lastProgress_ = p;
    showTimeLeft();
}

// The time left at the pace of the detectors done so far, less what the one
// in hand has already taken: a detector that keeps the run waiting for its
// answer counts down its own share rather than freezing the figure.
void SiteWindow::showTimeLeft() {
    const SiteProgress& p = lastProgress_;
    if (!running_ || p.count == 0) return;
    QString left;
    if (p.finished > 0) {
        const double each = static_cast<double>(lastDoneUs_ - runStartUs_) / 1e6 / static_cast<double>(p.finished);
        const double spentOnThis = static_cast<double>(form_.clock.nowUs() - lastDoneUs_) / 1e6;
        const std::size_t after = p.count - std::min(p.count, p.finished + 1);
        const double current = p.finished < p.count ? std::max(each - spentOnThis, 0.0) : 0.0;
        const auto seconds = static_cast<long>(each * static_cast<double>(after) + current + 0.5);
        left = tr2(", reste environ ", ", about ") + QString::number(seconds / 60) + QStringLiteral(" min ") +
               QString::number(seconds % 60).rightJustified(2, QLatin1Char('0')) + tr2(" s", " s left");
    }
    status_->setText(tr2("Détecteur ", "Detector ") + QString::number(p.index + 1) + tr2(" sur ", " of ") +
                     QString::number(p.count) + QStringLiteral(" (") + QString::fromStdString(p.detector) +
                     tr2(") : ", "): ") + QString::fromStdString(StepName(p.step, form_.x.language)) + left);
}

void SiteWindow::showSummary() {
    if (rows_.empty()) return status_->clear();
    status_->setText(QString::fromStdString(SummaryLine(Summarize(rows_), form_.x.language)));
}

// A stopped run's bar stays where it stopped: the detectors worked on.
void SiteWindow::showWhereItStopped() {
    progress_->setValue(static_cast<int>(std::count_if(
        rows_.begin(), rows_.end(), [](const DetectorReport& r) { return r.state != DetectorState::notRun; })));
}

SiteRun SiteWindow::run(const std::function<SiteRun(SiteRunner&)>& body, const std::vector<std::string>& detectors) {
    showRows(detectors);
    stopAsked_ = closeWanted_ = false;
    setRunning(true);
    qApp->installEventFilter(this);
    SiteSettings settings;
    settings.stopAsked = [this] { return stopAsked_; };
    settings.progress = [this](const SiteProgress& p) { showProgress(p); };
    settings.detectorDone = [this](const DetectorReport& r) {
        lastDoneUs_ = form_.clock.nowUs();
        showRow(r, true);
    };
    lastProgress_ = {};
    runStartUs_ = lastDoneUs_ = form_.clock.nowUs();
    ticker_->start();
    SiteRunner runner(form_, settings);
    SiteRun result = body(runner);
    ticker_->stop();
    qApp->removeEventFilter(this);
    rows_ = result.rows;
    for (const DetectorReport& r : rows_) showRow(r, false);
    showWhereItStopped();
    table_->scrollToTop();
    showSummary();
    setRunning(false);
    if (closeTool_) {
        offerReport();
        std::exchange(closeTool_, nullptr)();
    }
    if (closeWanted_) close();
    return result;
}

bool SiteWindow::survey() {
    std::vector<std::string> detectors;
    std::string error;
    if (!ParseDetectorList(numbers_->text().toStdString(), detectors, error, form_.x.language)) {
        warn(QString::fromStdString(error));
        return false;
    }
    const SurveyRequest request{detectors, withAddresses_->isChecked(), folder_->text().toStdString()};
    std::error_code ec;
    if (!request.saveDir.empty() && !std::filesystem::create_directories(request.saveDir, ec) && ec) {
        warn(QString::fromStdString(Reason(ec.message(), form_.x.language)));
        return false;
    }
    command_ = SiteMode::survey;
    runFiles_ = ScopeOf(request).files;
    run([&request](SiteRunner& r) { return r.survey(request); }, detectors);
    return true;
}

bool SiteWindow::audit() {
    std::vector<AuditEntry> entries;
    std::vector<std::string> aside;
    std::string error;
    if (!ListAuditEntries(folder_->text().toStdString(), entries, aside, error) || entries.empty()) {
        warn(error.empty() ? tr2("Aucun fichier NUMÉRO.bdp dans ce dossier", "No file NUMBER.bdp in this folder")
                           : QString::fromStdString(Reason(error, form_.x.language)));
        return false;
    }
    const RunScope scope = ScopeOf(entries);
    command_ = SiteMode::audit;
    runFiles_ = scope.files;
    run([&entries](SiteRunner& r) { return r.audit(entries); }, scope.detectors);
    return true;
}

// A plan is read whole first; its dry run shows what would be written, and
// the writes start only once the user has agreed.
bool SiteWindow::apply() {
    std::vector<PlanError> errors;
    ApplyRequest request{ReadPlan(plan_->text().toStdString(), errors, {}, form_.x.language), true, false};
    if (!errors.empty()) {
        warn(tr2("Plan refusé, rien n'est envoyé :\n", "Plan refused, nothing sent:\n") +
             QString::fromStdString(DescribePlanErrors(plan_->text().toStdString(), errors, form_.x.language)));
        return false;
    }
    const auto [detectors, files] = ScopeOf(plan_->text().toStdString(), request);
    runFiles_ = files;
    command_ = SiteMode::applyDryRun;
    const SiteRun dry = run([&request](SiteRunner& r) { return r.apply(request); }, detectors);
    if (dry.stopped || dry.noBox || closeWanted_ || !confirmPlan(dry)) return true;
    // The detectors the dry run did not reach are not asked again: their
    // rows stay as the dry run left them.
    ApplyRequest writes{{}, false, false};
    std::vector<std::string> asked;
    for (std::size_t i = 0; i < request.rows.size(); ++i) {
        const DetectorState s = dry.rows[i].state;
        if (s == DetectorState::absent || s == DetectorState::noAnswer) continue;
        writes.rows.push_back(request.rows[i]);
        asked.push_back(request.rows[i].detector);
    }
    command_ = SiteMode::apply;
    const SiteRun done = run([&writes](SiteRunner& r) { return r.apply(writes); }, asked);
    std::vector<DetectorReport> merged = dry.rows;
    for (const DetectorReport& r : done.rows)
        for (DetectorReport& m : merged)
            if (m.detector == r.detector) m = r;
    rows_ = merged;
    showRows(detectors);
    for (const DetectorReport& r : rows_) showRow(r, false);
    showWhereItStopped();
    showSummary();
    return true;
}

// The dry run's differences are in the list; the user says whether to write.
bool SiteWindow::confirmPlan(const SiteRun& dry) {
    const auto differing =
        std::count_if(dry.rows.begin(), dry.rows.end(), [](const DetectorReport& r) { return !r.differences.empty(); });
    if (differing == 0) {
        QMessageBox::information(this, windowTitle(), tr2("Rien à écrire.", "Nothing to write."));
        return false;
    }
    const bool one = differing == 1;
    QMessageBox box(QMessageBox::Question, windowTitle(),
                    QString::number(differing) +
                        (one ? tr2(" détecteur à modifier, comme la liste l'indique. Écrire ?",
                                   " detector to change, as the list shows. Write?")
                             : tr2(" détecteurs à modifier, comme la liste l'indique. Écrire ?",
                                   " detectors to change, as the list shows. Write?")),
                    QMessageBox::Yes | QMessageBox::No, this);
    box.setObjectName(QStringLiteral("planPreview"));
    box.button(QMessageBox::Yes)->setText(tr2("Écrire", "Write"));
    box.button(QMessageBox::No)->setText(tr2("Annuler", "Cancel"));
    return box.exec() == QMessageBox::Yes;
}

} // namespace quelm::ui
