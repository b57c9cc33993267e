#pragma once
// The site window: surveys, plans and audits over many detectors, run by the
// site runner on the main window's model, so that the main window shows each
// operation as it goes. A list of the detectors with their state, last
// result and differences; a progress bar; the stop key (any key, or the stop
// button) ends the current detector as it ends any operation.
#include "form/form.h"
#include "site/site_runner.h"

#include <QWidget>

#include <functional>

class QCheckBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QTableWidget;

namespace quelm::ui {

class SiteWindow : public QWidget {
public:
    SiteWindow(Form& form, QWidget* parent);
    SiteWindow(const SiteWindow&) = delete;
    SiteWindow& operator=(const SiteWindow&) = delete;

    // Captions in the language the model's menu marks.
    void showLanguage();
    // The three runs, as their buttons start them (apply asks before it
    // writes, after its dry run); false when nothing could start.
    bool survey();
    bool apply();
    bool audit();
    void askStop() { stopAsked_ = true; }
    bool running() const { return running_; }
    // The main window is closing. A run going on stops as by the stop key;
    // once it has ended, its report is offered for saving and `closeTool`
    // closes the tool. False when no run goes on: the tool closes at once.
    bool endWithTool(std::function<void()> closeTool);
    // The last run's report, as a save writes it.
    const std::vector<DetectorReport>& rows() const { return rows_; }
    bool saveReport(const QString& file, QString& error) const;

    QLineEdit* numbersEdit() const { return numbers_; }
    QLineEdit* folderEdit() const { return folder_; }
    QLineEdit* planEdit() const { return plan_; }
    QTableWidget* table() const { return table_; }

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QString tr2(const char* french, const char* english) const;
    SiteRun run(const std::function<SiteRun(SiteRunner&)>& body, const std::vector<std::string>& detectors);
    void showRows(const std::vector<std::string>& detectors);
    void showRow(const DetectorReport& row, bool scroll);
    QString resultText(const DetectorReport& row) const;
    QString differencesText(const DetectorReport& row) const;
    void showProgress(const SiteProgress& p);
    // The progress line again, the time left counted down while a detector
    // is waited for.
    void showTimeLeft();
    void showSummary();
    void showWhereItStopped();
    void setRunning(bool running);
    void warn(const QString& text);
    bool confirmPlan(const SiteRun& dry);
    void chooseFolder();
    void choosePlan();
    bool askAndSaveReport();
    void offerReport();

    Form& form_;
    QLineEdit *numbers_, *folder_, *plan_;
    QCheckBox* withAddresses_;
    QLabel *numbersLabel_, *folderLabel_, *planLabel_, *status_;
    QPushButton *chooseFolder_, *choosePlan_, *survey_, *apply_, *audit_, *stop_, *save_;
    QTableWidget* table_;
    QProgressBar* progress_;
    bool running_ = false;
    bool stopAsked_ = false;
    bool closeWanted_ = false;
    std::function<void()> closeTool_;     // set while the tool waits for the run to end
    SiteMode command_ = SiteMode::survey; // what the last run did
    std::vector<DetectorReport> rows_;
    std::vector<RunFile> runFiles_; // of the last run, which its report must not replace
    SiteProgress lastProgress_;     // the runner's last report
    std::int64_t runStartUs_ = 0;   // on the model's clock
    std::int64_t lastDoneUs_ = 0;   // when the last detector was done with
    class QTimer* ticker_ = nullptr;
};

} // namespace quelm::ui
