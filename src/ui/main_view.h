#pragma once
// The main window: one Qt widget per control of the window model, at the
// control's design position. Model changes are shown at once; user actions
// go to the model, which runs the handlers. The view keeps no state of its
// own and makes no decisions.
#include "core/form.h"

#include <QMainWindow>
#include <functional>
#include <string_view>
#include <unordered_map>

class QAction;
class QMenu;

namespace quelm::ui {

class KeyForwarder;

class MainView : public QMainWindow {
public:
    explicit MainView(Form& form, QWidget* parent = nullptr);
    ~MainView() override;
    MainView(const MainView&) = delete;
    MainView& operator=(const MainView&) = delete;

    // The widget of a control (null for menus and unknown names).
    QWidget* widgetOf(const Control& control) const;
    QWidget* widgetOf(std::string_view name) const;
    // The action of a menu or menu item.
    QAction* actionOf(const MenuItem& item) const;

private:
    void buildMenus();
    void buildControls(QWidget* client);
    QWidget* createWidget(Control& control, QWidget* parent);
    void place(QWidget* widget, const Control& control) const;

    // Model -> widgets.
    void onModelChange(Control& control, Change change);
    void showCaption(const Control& control);
    void showState(const Control& control);

    Form& form_;
    std::function<void(Control&, Change)> previousObserver_;
    std::unordered_map<const Control*, QWidget*> widgets_;
    std::unordered_map<const Control*, QAction*> actions_;
    KeyForwarder* keys_ = nullptr;
};

} // namespace quelm::ui
