#pragma once
// The site window: surveys, plans and audits over many detectors, run by the
// site runner on the main window's model, so that the main window shows each
// operation as it goes. A list of the detectors with their state, last
// result and differences; a progress bar; the stop key (any key in this
// window, or the stop button) ends the current detector as it ends any
// operation. A plan's dry run is shown before anything is written.
#include "form/form.h"
#include "site/site_runner.h"

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace quelm::win {

class SiteWindow {
public:
    SiteWindow(Form& form, HWND owner, int dpi);
    ~SiteWindow();
    SiteWindow(const SiteWindow&) = delete;
    SiteWindow& operator=(const SiteWindow&) = delete;

    void show();
    // Captions in the language the model's menu marks.
    void showLanguage();
    // Any key in this window while a run goes on is the stop key.
    bool preTranslate(const MSG& msg);
    // The main window is closing. A run going on stops as by the stop key;
    // once it has ended, its report is offered for saving and `closeTool`
    // closes the tool. False when no run goes on: the tool closes at once.
    bool endWithTool(std::function<void()> closeTool);

private:
    enum Id {
        Numbers = 10,
        Folder,
        Plan,
        WithAddresses,
        ChooseFolder,
        ChoosePlan,
        Survey,
        Apply,
        Audit,
        Stop,
        Save,
        Table,
        Progress,
        Status,
        NumbersLabel,
        FolderLabel,
        PlanLabel
    };
    static LRESULT CALLBACK windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam);
    void build();
    void layout();
    void onCommand(int id);
    HWND item(Id id) const { return ::GetDlgItem(hwnd_, id); }
    std::string textOf(Id id) const;
    void setText(Id id, const char* french, const char* english);
    int language() const { return form_.ui.English->checked() ? 2 : 1; }
    const char* said(const char* french, const char* english) const { return language() == 1 ? french : english; }

    // The runs (site_window_run.cpp).
    bool survey();
    bool apply();
    bool audit();
    SiteRun run(const std::function<SiteRun(SiteRunner&)>& body, const std::vector<std::string>& detectors);
    void showRows(const std::vector<std::string>& detectors);
    void showRow(const DetectorReport& row, bool scroll);
    void setRunning(bool running);
    void warn(const std::string& text);
    bool confirmPlan(const SiteRun& dry);
    void chooseFolder();
    void choosePlan();
    bool askAndSaveReport();
    void offerReport();

    Form& form_;
    HWND owner_;
    int dpi_;
    HWND hwnd_ = nullptr;
    bool running_ = false;
    bool stopAsked_ = false;
    bool closeWanted_ = false;
    std::function<void()> closeTool_;     // set while the tool waits for the run to end
    SiteMode command_ = SiteMode::survey; // what the last run did
    std::vector<std::string> shownDetectors_;
    std::vector<DetectorReport> rows_;
    std::vector<RunFile> runFiles_; // of the last run, which its report must not replace
};

} // namespace quelm::win
