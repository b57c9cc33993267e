#pragma once
// The protocol trace window: every frame sent and received with its
// millisecond time, the driver's events and the link's log lines, as the
// tool's TraceLog keeps them, shown live while the window is open; it saves
// the trace through the system's save dialog and clears it. It only reads
// the log: the link works the same with the window open or closed.
#include "core/window_model.h"
#include "trace/trace_log.h"

#include <windows.h>

namespace quelm::win {

class TraceWindow {
public:
    TraceWindow(TraceLog& log, const WindowModel& model, HWND owner, int dpi);
    ~TraceWindow();
    TraceWindow(const TraceWindow&) = delete;
    TraceWindow& operator=(const TraceWindow&) = delete;

    void show();
    // Captions in the language the model's menu marks.
    void showLanguage();

private:
    static LRESULT CALLBACK windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam);
    void layout();
    void append(const TraceEntry& entry);
    void reload();
    void askAndSave();
    int language() const { return model_.English->checked() ? 2 : 1; }
    bool visible() const { return ::IsWindowVisible(hwnd_) != FALSE; }

    TraceLog& log_;
    const WindowModel& model_;
    int dpi_;
    HWND hwnd_ = nullptr;
    HWND lines_ = nullptr;
    HWND save_ = nullptr;
    HWND clear_ = nullptr;
    HFONT fixed_ = nullptr;
};

// The system's save dialog: the chosen file as UTF-8, empty when the user
// cancelled. `suggested` is the name it offers.
std::string AskSaveFile(HWND owner, const std::string& title, const std::string& suggested, const wchar_t* filter);
// The system's open dialog, likewise.
std::string AskOpenFile(HWND owner, const std::string& title, const wchar_t* filter);

} // namespace quelm::win
