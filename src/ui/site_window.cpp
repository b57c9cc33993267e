#include "ui/site_window.h"

#include "core/texts.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QFileDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenuBar>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>

namespace quelm::ui {

SiteWindow::SiteWindow(Form& form, QWidget* parent) : QWidget(parent, Qt::Window), form_(form) {
    setObjectName(QStringLiteral("siteWindow"));
    const auto make = [this](auto*& widget, const char* name) {
        widget = new std::remove_reference_t<decltype(*widget)>(this);
        widget->setObjectName(QString::fromLatin1(name));
    };
    make(numbersLabel_, "numbersLabel");
    make(folderLabel_, "folderLabel");
    make(planLabel_, "planLabel");
    make(numbers_, "numbers");
    make(folder_, "folder");
    make(plan_, "plan");
    make(withAddresses_, "withAddresses");
    make(chooseFolder_, "chooseFolder");
    make(choosePlan_, "choosePlan");
    make(survey_, "survey");
    make(apply_, "apply");
    make(audit_, "audit");
    make(stop_, "stop");
    make(save_, "saveReport");
    make(table_, "detectors");
    make(progress_, "progress");
    make(status_, "status");
    numbers_->setPlaceholderText(QStringLiteral("300-320,400"));
    ticker_ = new QTimer(this);
    ticker_->setInterval(1000);
    connect(ticker_, &QTimer::timeout, this, [this] { showTimeLeft(); });
    table_->setColumnCount(4);
    table_->verticalHeader()->hide();
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->horizontalHeader()->setStretchLastSection(true);
    for (const auto& [column, width] : {std::pair{0, 80}, std::pair{1, 120}, std::pair{2, 330}})
        table_->setColumnWidth(column, width);
    auto* fields = new QGridLayout;
    fields->addWidget(numbersLabel_, 0, 0);
    fields->addWidget(numbers_, 0, 1);
    fields->addWidget(withAddresses_, 0, 2);
    fields->addWidget(folderLabel_, 1, 0);
    fields->addWidget(folder_, 1, 1);
    fields->addWidget(chooseFolder_, 1, 2);
    fields->addWidget(planLabel_, 2, 0);
    fields->addWidget(plan_, 2, 1);
    fields->addWidget(choosePlan_, 2, 2);
    auto* buttons = new QHBoxLayout;
    for (QPushButton* b : {survey_, apply_, audit_, stop_}) buttons->addWidget(b);
    buttons->addStretch();
    buttons->addWidget(save_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(fields);
    layout->addLayout(buttons);
    layout->addWidget(table_);
    layout->addWidget(progress_);
    layout->addWidget(status_);
    connect(chooseFolder_, &QPushButton::clicked, this, [this] { chooseFolder(); });
    connect(choosePlan_, &QPushButton::clicked, this, [this] { choosePlan(); });
    connect(survey_, &QPushButton::clicked, this, [this] { survey(); });
    connect(apply_, &QPushButton::clicked, this, [this] { apply(); });
    connect(audit_, &QPushButton::clicked, this, [this] { audit(); });
    connect(stop_, &QPushButton::clicked, this, [this] { askStop(); });
    connect(save_, &QPushButton::clicked, this, [this] { askAndSaveReport(); });
    setRunning(false);
    resize(1000, 600);
    showLanguage();
}

QString SiteWindow::tr2(const char* french, const char* english) const {
    return QString::fromUtf8(form_.ui.English->checked() ? english : french);
}

void SiteWindow::showLanguage() {
    setWindowTitle(
        QString::fromStdString(form_.ui.Site->caption()).remove(QStringLiteral("...")).remove(QChar(0x2026)));
    numbersLabel_->setText(tr2("Détecteurs", "Detectors"));
    folderLabel_->setText(tr2("Dossier", "Folder"));
    planLabel_->setText(tr2("Plan", "Plan"));
    withAddresses_->setText(tr2("avec les adresses", "with addresses"));
    chooseFolder_->setText(tr2("Choisir...", "Choose..."));
    choosePlan_->setText(tr2("Choisir...", "Choose..."));
    survey_->setText(tr2("Relevé", "Survey"));
    apply_->setText(tr2("Appliquer le plan...", "Apply the plan..."));
    audit_->setText(tr2("Contrôle", "Audit"));
    stop_->setText(tr2("Arrêt", "Stop"));
    save_->setText(tr2("Enregistrer le rapport...", "Save the report..."));
    table_->setHorizontalHeaderLabels({tr2("N°", "No."), tr2("État", "State"), tr2("Dernier résultat", "Last result"),
                                       tr2("Différences", "Differences")});
    // The last run's list and summary in the new language (not while a run
    // fills them).
    if (running_) return;
    for (const DetectorReport& r : rows_) showRow(r, false);
    showSummary();
}

void SiteWindow::setRunning(bool running) {
    running_ = running;
    for (QWidget* w : std::initializer_list<QWidget*>{numbers_, folder_, plan_, withAddresses_, chooseFolder_,
                                                      choosePlan_, survey_, apply_, audit_, save_})
        w->setEnabled(!running);
    save_->setEnabled(!running && !rows_.empty());
    stop_->setEnabled(running);
    // The main window shows the operations but takes no click meanwhile (its
    // controls and menus; this window, one of its children, stays usable).
    if (auto* main = qobject_cast<QMainWindow*>(parentWidget())) {
        if (main->centralWidget()) main->centralWidget()->setEnabled(!running);
        main->menuBar()->setEnabled(!running);
    }
}

void SiteWindow::warn(const QString& text) { QMessageBox::warning(this, windowTitle(), text); }

void SiteWindow::chooseFolder() {
    const QString dir = QFileDialog::getExistingDirectory(this, folderLabel_->text(), folder_->text());
    if (!dir.isEmpty()) folder_->setText(dir);
}

void SiteWindow::choosePlan() {
    const QString file = QFileDialog::getOpenFileName(this, planLabel_->text(), folder_->text(),
                                                      QStringLiteral("Plan (*.csv *.json);;* (*)"));
    if (!file.isEmpty()) plan_->setText(file);
}

bool SiteWindow::saveReport(const QString& file, QString& error) const {
    std::string why;
    const std::filesystem::path path = file.toStdU16String();
    if (CheckReportFile(path, runFiles_, why, form_.x.language) &&
        WriteReport(path, command_, rows_, why, form_.x.language))
        return true;
    error = QString::fromStdString(Reason(why, form_.x.language));
    return false;
}

// True once saved; false when the user gave no name, or the save failed
// (said).
bool SiteWindow::askAndSaveReport() {
    const QString name = tr2("rapport.csv", "report.csv");
    const QString start = folder_->text().isEmpty() ? name : folder_->text() + QLatin1Char('/') + name;
    const QString file =
        QFileDialog::getSaveFileName(this, save_->text(), start, QStringLiteral("CSV (*.csv);;JSON (*.json)"));
    if (file.isEmpty()) return false;
    QString error;
    if (saveReport(file, error)) return true;
    warn(error);
    return false;
}

bool SiteWindow::endWithTool(std::function<void()> closeTool) {
    if (!running_) return false;
    stopAsked_ = closeWanted_ = true;
    closeTool_ = std::move(closeTool);
    return true;
}

// The tool is closing after a stopped run: its report is lost unless saved
// now. The question comes back until the user saves it or lets it go.
void SiteWindow::offerReport() {
    while (!rows_.empty()) {
        QMessageBox box(QMessageBox::Question, windowTitle(),
                        tr2("Le logiciel se ferme : l'opération en cours a été arrêtée. Enregistrer son rapport ?",
                            "The tool is closing: the run was stopped. Save its report?"),
                        QMessageBox::Save | QMessageBox::Discard, this);
        box.setObjectName(QStringLiteral("reportOnClose"));
        box.button(QMessageBox::Save)->setText(save_->text());
        box.button(QMessageBox::Discard)->setText(tr2("Fermer sans rapport", "Close without a report"));
        if (box.exec() != QMessageBox::Save || askAndSaveReport()) return;
    }
}

// Closing while a run goes on stops it first; the window closes once the
// run has ended.
void SiteWindow::closeEvent(QCloseEvent* event) {
    if (!running_) return QWidget::closeEvent(event);
    stopAsked_ = closeWanted_ = true;
    event->ignore();
}

// Any key in this window while a run goes on is the stop key.
bool SiteWindow::eventFilter(QObject* watched, QEvent* event) {
    if (running_ && event->type() == QEvent::KeyPress && watched->isWidgetType() &&
        static_cast<QWidget*>(watched)->window() == this)
        stopAsked_ = true;
    return false;
}

} // namespace quelm::ui
