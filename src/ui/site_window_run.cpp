// The site window's runs: each checks what it is given, then hands the
// main window's model to the site runner and shows what it reports.
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

int SiteWindow::language() const { return form_.ui.English->checked() ? 2 : 1; }

QString SiteWindow::resultText(const DetectorReport& r) const {
    return QString::fromStdString(ResultText(r, command_, language()));
}

QString SiteWindow::differencesText(const DetectorReport& r) const {
    return QString::fromStdString(DifferencesText(r, command_, language()));
}

void SiteWindow::showRow(const DetectorReport& r, bool scroll) {
    for (int i = 0; i < table_->rowCount(); ++i) {
        if (table_->item(i, 0)->text().toStdString() != r.detector) continue;
        table_->item(i, 1)->setText(QString::fromStdString(StateText(r.state, language())));
        for (const auto& [column, text] : {std::pair{2, resultText(r)}, std::pair{3, differencesText(r)}}) {
            table_->item(i, column)->setText(text);
            table_->item(i, column)->setToolTip(text); // the whole text of a cell too narrow for it
        }
        if (scroll) table_->scrollToItem(table_->item(i, 0));
    }
}

void SiteWindow::showProgress(const SiteProgress& p) {
    progress_->setValue(static_cast<int>(p.finished));
    status_->setText(QString::fromStdString(ProgressText(p, form_.x.language)));
}

void SiteWindow::showSummary() { status_->setText(QString::fromStdString(SummaryText(rows_, language()))); }

SiteRun SiteWindow::run(const std::function<SiteRun(SiteRunner&)>& body, const std::vector<std::string>& detectors) {
    showRows(detectors);
    stopAsked_ = closeWanted_ = false;
    setRunning(true);
    qApp->installEventFilter(this);
    SiteSettings settings;
    settings.stopAsked = [this] { return stopAsked_; };
    settings.progress = [this](const SiteProgress& p) { showProgress(p); };
    settings.detectorDone = [this](const DetectorReport& r) { showRow(r, true); };
    SiteRunner runner(form_, settings);
    SiteRun result = body(runner);
    qApp->removeEventFilter(this);
    rows_ = result.rows;
    for (const DetectorReport& r : rows_) showRow(r, false);
    progress_->setValue(progress_->maximum());
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
    if (!ParseDetectorList(numbers_->text().toStdString(), detectors, error)) {
        warn(QString::fromStdString(error));
        return false;
    }
    const SurveyRequest request{detectors, withAddresses_->isChecked(), folder_->text().toStdString()};
    std::error_code ec;
    if (!request.saveDir.empty() && !std::filesystem::create_directories(request.saveDir, ec) && ec) {
        warn(QString::fromStdString(ec.message()));
        return false;
    }
    command_ = "survey";
    runFiles_.clear();
    if (!request.saveDir.empty())
        for (const std::string& d : detectors) runFiles_.push_back({request.saveDir / (d + ".bdp"), "a project file"});
    run([&request](SiteRunner& r) { return r.survey(request); }, detectors);
    return true;
}

bool SiteWindow::audit() {
    std::vector<AuditEntry> entries;
    std::vector<std::string> aside;
    std::string error;
    if (!ListAuditEntries(folder_->text().toStdString(), entries, aside, error) || entries.empty()) {
        warn(error.empty() ? tr2("Aucun fichier NUMÉRO.bdp dans ce dossier", "No file NUMBER.bdp in this folder")
                           : QString::fromStdString(error));
        return false;
    }
    std::vector<std::string> detectors;
    for (const AuditEntry& e : entries) detectors.push_back(e.detector);
    command_ = "audit";
    runFiles_.clear();
    for (const AuditEntry& e : entries) runFiles_.push_back({e.file, "a project file"});
    run([&entries](SiteRunner& r) { return r.audit(entries); }, detectors);
    return true;
}

// A plan is read whole first; its dry run shows what would be written, and
// the writes start only once the user has agreed.
bool SiteWindow::apply() {
    std::vector<PlanError> errors;
    ApplyRequest request{ReadPlan(plan_->text().toStdString(), errors), true, false};
    if (!errors.empty()) {
        warn(tr2("Plan refusé, rien n'est envoyé :\n", "Plan refused, nothing sent:\n") +
             QString::fromStdString(DescribePlanErrors(plan_->text().toStdString(), errors)));
        return false;
    }
    std::vector<std::string> detectors;
    runFiles_ = {{plan_->text().toStdString(), "the plan"}};
    for (const PlanRow& row : request.rows) {
        detectors.push_back(row.detector);
        if (!row.fileRead.empty()) runFiles_.push_back({row.fileRead, "a project file"});
    }
    command_ = "apply --dry-run";
    const SiteRun dry = run([&request](SiteRunner& r) { return r.apply(request); }, detectors);
    if (dry.stopped || dry.noBox || closeWanted_ || !confirmPlan(dry)) return true;
    request.dryRun = false;
    command_ = "apply";
    run([&request](SiteRunner& r) { return r.apply(request); }, detectors);
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
    QMessageBox box(QMessageBox::Question, windowTitle(),
                    QString::number(differing) + tr2(" détecteur(s) à modifier, comme la liste l'indique. Écrire ?",
                                                     " detector(s) to change, as the list shows. Write?"),
                    QMessageBox::Yes | QMessageBox::No, this);
    box.setObjectName(QStringLiteral("planPreview"));
    box.button(QMessageBox::Yes)->setText(tr2("Écrire", "Write"));
    box.button(QMessageBox::No)->setText(tr2("Annuler", "Cancel"));
    return box.exec() == QMessageBox::Yes;
}

} // namespace quelm::ui
