#pragma once
// The main window on Windows: one system control per control of the window
// model, where the control's geometry puts it, at the screen's dots per
// inch. Model changes, the window frame's included, are shown at once; the
// user's clicks, typing, keys and menu choices go to the model, which runs
// the handlers. The window sees every key before the focused control. It
// holds no state of the tool's and makes no decision.
#include "form/form.h"
#include "trace/trace_log.h"

#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <unordered_map>
#include <vector>

namespace quelm::win {

class SiteWindow;
class TraceWindow;

class MainWindow {
public:
    // With `traceLog` the protocol trace item opens the trace window on it;
    // without, the item is disabled.
    MainWindow(Form& form, TraceLog* traceLog);
    ~MainWindow();
    MainWindow(const MainWindow&) = delete;
    MainWindow& operator=(const MainWindow&) = delete;

    HWND hwnd() const { return hwnd_; }
    void show(int how);
    // Seen by the message loop before each message: keys first, then Tab
    // through the controls in the model's window order.
    bool preTranslate(MSG& msg);
    // Called once the window has been painted the first time.
    std::function<void()> onFirstPaint;

    // The dots per inch of a screen at start, before any window exists.
    static int SystemDpi();

private:
    static LRESULT CALLBACK windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam);
    void bindWindowItems();
    void buildMenus();
    void buildControls();
    void onCommand(int id, int code);
    void onControlCommand(Control& control, HWND from, int code);
    void onModelChange(Control& control, Change change);
    void showMenuCheck(const MenuItem& item);
    void applyFrame();
    void applyDpi(int dpi);
    void showFocus(const Control& control);
    bool moveFocus(bool back);
    void drawItem(const DRAWITEMSTRUCT& item);
    HWND hwndOf(const Control& control) const;
    Control* controlOf(int id) const;
    void showTraceWindow();
    void showSiteWindow();

    Form& form_;
    TraceLog* traceLog_;
    HWND hwnd_ = nullptr;
    HMENU menuBar_ = nullptr;
    int dpi_ = 96;
    bool painted_ = false;
    std::function<void(Control&, Change)> previousObserver_;
    std::function<void()> previousFrameObserver_;
    std::unordered_map<const Control*, HWND> hwnds_;
    std::unordered_map<const Control*, std::uint64_t> logShownFrom_;
    std::unique_ptr<TraceWindow> traceWindow_;
    std::unique_ptr<SiteWindow> siteWindow_;
};

} // namespace quelm::win
