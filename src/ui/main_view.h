#pragma once
// The main window: one Qt widget per control of the window model, where the
// control's geometry puts it. Model changes, the window's position, size,
// font and state included, are shown at once; user actions go to the model,
// which runs the handlers. The view makes no decisions.
#include "form/form.h"
#include "trace/trace_log.h"

#include <QMainWindow>
#include <functional>
#include <optional>
#include <string_view>
#include <unordered_map>

class QAction;
class QMenu;

namespace quelm::ui {

class KeyForwarder;
class SiteWindow;
class TraceWindow;

class MainView : public QMainWindow {
public:
    // With `traceLog` the file menu's protocol trace item opens the trace
    // window on it; without, the item is disabled.
    explicit MainView(Form& form, TraceLog* traceLog = nullptr, QWidget* parent = nullptr);
    ~MainView() override;
    MainView(const MainView&) = delete;
    MainView& operator=(const MainView&) = delete;

    // The widget of a control, made now if the control has not been shown
    // yet (null for menus and unknown names).
    QWidget* widgetOf(const Control& control);
    QWidget* widgetOf(std::string_view name);
    // The action of a menu or menu item.
    QAction* actionOf(const MenuItem& item) const;
    // The trace window, made when the menu item first opens it.
    TraceWindow* traceWindow() const { return traceWindow_; }
    // The site window, made when the menu item first opens it.
    SiteWindow* siteWindow() const { return siteWindow_; }

protected:
    // A site run going on is stopped first, and offers its report; the
    // window closes once it has ended.
    void closeEvent(QCloseEvent* event) override;

private:
    void buildMenus();
    void bindWindowItems();
    void showTraceWindow();
    void showSiteWindow();
    void showMenuCheck(const MenuItem& item);
    void buildControls();
    static bool shownInWindow(const Control& control);
    void buildShownControls();
    QWidget* ensureWidget(Control& control);
    QWidget* madeWidget(const Control& control) const;
    void placeInWindowOrder(const Control& control, QWidget* widget);
    QWidget* createWidget(Control& control, QWidget* parent);

    // Model -> widgets.
    void onModelChange(Control& control, Change change);
    void applyFrame();
    void showWindowFont(double points);
    int menuBarHeight(int width) const;
    void showFrameState(WindowState state);
    void showCaption(const Control& control);
    void showState(const Control& control);
    void showFocus(const Control& control);
    void reportFocus(QWidget* now);

    Form& form_;
    QMetaObject::Connection focusReport_;
    std::function<void(Control&, Change)> previousObserver_;
    std::function<void()> previousFrameObserver_;
    // The window frame as last shown: a new frame moves, resizes or refonts
    // the window only where it differs, so that running the start-up again
    // leaves a window the user has moved where it is.
    std::optional<WindowFrame> shownFrame_;
    QWidget* client_ = nullptr;
    std::unordered_map<const Control*, QWidget*> widgets_;
    bool built_ = false; // the controls shown at start have their widgets
    std::unordered_map<const Control*, QAction*> actions_;
    KeyForwarder* keys_ = nullptr;
    TraceLog* traceLog_;
    TraceWindow* traceWindow_ = nullptr;
    SiteWindow* siteWindow_ = nullptr;
};

} // namespace quelm::ui
