#pragma once
// The main window: one Qt widget per control of the window model, where the
// control's geometry puts it. Model changes, the window's position, size,
// font and state included, are shown at once; user actions go to the model,
// which runs the handlers. The view makes no decisions.
#include "exchange/form.h"
#include "link/trace_log.h"

#include <QMainWindow>
#include <functional>
#include <optional>
#include <string_view>
#include <unordered_map>

class QAction;
class QMenu;

namespace quelm::ui {

class KeyForwarder;
class TraceWindow;

class MainView : public QMainWindow {
public:
    // With `traceLog` the file menu's protocol trace item opens the trace
    // window on it; without, the item is disabled.
    explicit MainView(Form& form, TraceLog* traceLog = nullptr, QWidget* parent = nullptr);
    ~MainView() override;
    MainView(const MainView&) = delete;
    MainView& operator=(const MainView&) = delete;

    // The widget of a control (null for menus and unknown names).
    QWidget* widgetOf(const Control& control) const;
    QWidget* widgetOf(std::string_view name) const;
    // The action of a menu or menu item.
    QAction* actionOf(const MenuItem& item) const;
    // The trace window, made when the menu item first opens it.
    TraceWindow* traceWindow() const { return traceWindow_; }

private:
    void buildMenus();
    void bindWindowItems();
    void showTraceWindow();
    void showMenuCheck(const MenuItem& item);
    void buildControls(QWidget* client);
    QWidget* createWidget(Control& control, QWidget* parent);

    // Model -> widgets.
    void onModelChange(Control& control, Change change);
    void onFrameChange();
    void showFrameState(WindowState state);
    void showCaption(const Control& control);
    void showState(const Control& control);

    Form& form_;
    std::function<void(Control&, Change)> previousObserver_;
    std::function<void()> previousFrameObserver_;
    // The window frame as last shown: a new frame moves, resizes or refonts
    // the window only where it differs, so that running the start-up again
    // leaves a window the user has moved where it is.
    std::optional<WindowFrame> shownFrame_;
    std::unordered_map<const Control*, QWidget*> widgets_;
    std::unordered_map<const Control*, QAction*> actions_;
    KeyForwarder* keys_ = nullptr;
    TraceLog* traceLog_;
    TraceWindow* traceWindow_ = nullptr;
};

} // namespace quelm::ui
