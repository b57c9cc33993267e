#include "ui/main_view.h"

#include "shell/keyboard.h"
#include "ui/control_widgets.h"
#include "ui/geometry.h"
#include "ui/key_forwarder.h"
#include "ui/qt_language.h"
#include "ui/site_window.h"
#include "ui/trace_window.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QMenu>
#include <QMenuBar>

#include <algorithm>

namespace quelm::ui {

MainView::MainView(Form& form, TraceLog* traceLog, QWidget* parent)
    : QMainWindow(parent), form_(form), traceLog_(traceLog) {
    setObjectName(QStringLiteral("frmMain"));
    // Before any widget measures its text. The tool's other windows and
    // dialogs share the window's font; Qt's text boxes also lay out their
    // text once in the application's font before they take their window's,
    // and any other font would be loaded just for that.
    QApplication::setFont(controlFont(form_.ui.frame().fontPoints));
    setWindowTitle(QString::fromStdString(form_.ui.title()));
    bindWindowItems();
    setAttribute(Qt::WA_WindowPropagation); // the menus' pop-ups follow the window's font
    client_ = new QWidget(this);
    client_->setObjectName(QStringLiteral("client"));
    setCentralWidget(client_);
    buildMenus();
    applyFrame(); // sets the window's font, which the controls inherit instead of each resolving their own
    buildControls();

    previousObserver_ = form_.ui.observer;
    form_.ui.observer = [this](Control& control, Change change) {
        if (previousObserver_) previousObserver_(control, change);
        onModelChange(control, change);
    };
    previousFrameObserver_ = form_.ui.frameObserver;
    form_.ui.frameObserver = [this] {
        if (previousFrameObserver_) previousFrameObserver_();
        applyFrame();
    };
    focusReport_ =
        connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) { reportFocus(now); });
    keys_ = new KeyForwarder(
        this, [this] { return form_.ui.keyPreview; }, [this](int code) { Form_KeyDown(form_, code); },
        [this](int code) { Form_KeyPress(form_, code); });
}

MainView::~MainView() {
    // The widgets going lose their focus: nothing is to be reported any more.
    disconnect(focusReport_);
    // The model outlives the view: stop sending it changes for widgets that go.
    form_.ui.observer = previousObserver_;
    form_.ui.frameObserver = previousFrameObserver_;
    form_.ui.Quit->onClick = nullptr;
    form_.ui.ProtocolTrace->onClick = nullptr;
    form_.ui.Site->onClick = nullptr;
    delete siteWindow_;
    delete keys_;
    delete traceWindow_; // before the log it shows can go
}

// The items that act on the windows themselves: Quit closes the tool (nothing
// is saved on exit), the protocol trace item opens the trace window, the
// site item the site window.
void MainView::bindWindowItems() {
    form_.ui.Quit->onClick = [this] { close(); };
    form_.ui.ProtocolTrace->onClick = [this] { showTraceWindow(); };
    form_.ui.Site->onClick = [this] { showSiteWindow(); };
    form_.ui.ProtocolTrace->setEnabled(traceLog_ != nullptr);
}

void MainView::showTraceWindow() {
    if (traceLog_ == nullptr) return;
    if (traceWindow_ == nullptr) traceWindow_ = new TraceWindow(*traceLog_, form_.ui, this);
    traceWindow_->show();
    traceWindow_->raise();
}

void MainView::closeEvent(QCloseEvent* event) {
    if (siteWindow_ && siteWindow_->endWithTool([this] { close(); })) return event->ignore();
    QMainWindow::closeEvent(event);
}

void MainView::showSiteWindow() {
    if (siteWindow_ == nullptr) siteWindow_ = new SiteWindow(form_, this);
    siteWindow_->showLanguage();
    siteWindow_->show();
    siteWindow_->raise();
}

// A language item's check mark, and the title and trace window captions in
// the language it marks.
void MainView::showMenuCheck(const MenuItem& item) {
    if (QAction* action = actionOf(item)) action->setChecked(item.checked());
    if (item.checked() && (&item == form_.ui.French || &item == form_.ui.English))
        useQtLanguage(&item == form_.ui.English ? 2 : 1);
    setWindowTitle(QString::fromStdString(form_.ui.title()));
    if (traceWindow_) traceWindow_->showLanguage();
    if (siteWindow_) siteWindow_->showLanguage();
}

QWidget* MainView::widgetOf(const Control& control) {
    if (QWidget* widget = madeWidget(control)) return widget;
    for (Control* c : form_.ui.controls())
        if (c == &control) return ensureWidget(*c);
    return nullptr; // a menu, or a control of another window
}

QWidget* MainView::widgetOf(std::string_view name) {
    const Control* control = form_.ui.find(name);
    return control ? widgetOf(*control) : nullptr;
}

QWidget* MainView::madeWidget(const Control& control) const {
    const auto it = widgets_.find(&control);
    return it == widgets_.end() ? nullptr : it->second;
}

QAction* MainView::actionOf(const MenuItem& item) const {
    const auto it = actions_.find(&item);
    return it == actions_.end() ? nullptr : it->second;
}

// Menus of the bar and menu items, in the model's order: an item with items
// under it is a menu, any other item an action.
void MainView::buildMenus() {
    std::unordered_map<const MenuItem*, QMenu*> menus;
    for (MenuItem* item : form_.ui.menus()) {
        const QString caption = QString::fromStdString(item->caption());
        MenuItem* parent = item->menuParent();
        QMenu* under = parent ? menus.at(parent) : nullptr;
        QAction* action = nullptr;
        if (OpensMenu(form_.ui, *item)) {
            QMenu* menu = under ? under->addMenu(caption) : menuBar()->addMenu(caption);
            menu->setObjectName(QString::fromStdString(item->name()));
            menus[item] = menu;
            action = menu->menuAction();
        } else {
            action = under ? under->addAction(caption) : menuBar()->addAction(caption);
            action->setCheckable(item->checkable());
            action->setChecked(item->checked());
            // Qt toggles a checkable action on its own: the model says again
            // what is checked once the handler has run.
            connect(action, &QAction::triggered, this, [item, action] {
                item->click();
                if (item->checkable()) action->setChecked(item->checked());
            });
        }
        action->setObjectName(QString::fromStdString(item->name()));
        actions_[item] = action;
        showState(*item);
    }
}

// The widgets of the controls shown at start, in window order, so that later
// controls stand above earlier ones where they overlap (buttons placed over
// their group, the disk manager panel over the parameters and addresses).
// A control hidden at start, or inside a hidden group, gets its widget when
// it is first shown: most sessions never open the disk manager panel.
void MainView::buildControls() {
    for (Control* control : form_.ui.controls())
        if (shownInWindow(*control)) ensureWidget(*control);
    built_ = true;
}

bool MainView::shownInWindow(const Control& control) {
    for (const Control* c = &control; c != nullptr; c = c->container())
        if (!c->visible()) return false;
    return true;
}

// The widgets of the controls that have none and are now shown.
void MainView::buildShownControls() {
    for (Control* control : form_.ui.controls())
        if (!madeWidget(*control) && shownInWindow(*control)) ensureWidget(*control);
}

// The control's widget, made with its container's if they have none yet.
QWidget* MainView::ensureWidget(Control& control) {
    if (QWidget* widget = madeWidget(control)) return widget;
    QWidget* parent = control.container() ? ensureWidget(*control.container()) : client_;
    QWidget* widget = createWidget(control, parent);
    widget->setObjectName(QString::fromStdString(control.name()));
    syncFont(control, widget);
    syncGeometry(control, widget);
    widgets_[&control] = widget;
    if (built_) placeInWindowOrder(control, widget);
    showState(control);
    return widget;
}

// A widget made after the others takes its control's place among them: under
// the widgets of later controls, and after the earlier ones in the tab order.
void MainView::placeInWindowOrder(const Control& control, QWidget* widget) {
    const auto& controls = form_.ui.controls();
    const auto at = std::find(controls.begin(), controls.end(), &control);
    for (auto later = at + 1; later < controls.end(); ++later) {
        QWidget* above = madeWidget(**later);
        if (above && above->parentWidget() == widget->parentWidget()) {
            widget->stackUnder(above);
            break;
        }
    }
    for (auto earlier = at; earlier != controls.begin();) {
        if (QWidget* before = madeWidget(**--earlier)) {
            QWidget::setTabOrder(before, widget);
            break;
        }
    }
}

QWidget* MainView::createWidget(Control& control, QWidget* parent) {
    switch (control.kind()) {
    case ControlKind::Group: return makeGroup(static_cast<Group&>(control), parent);
    case ControlKind::TextBox: return makeTextBox(static_cast<TextBox&>(control), parent);
    case ControlKind::Option: return makeOption(static_cast<OptionButton&>(control), parent);
    case ControlKind::Button: return makeButton(static_cast<Button&>(control), parent);
    case ControlKind::List:
    case ControlKind::FileList:
    case ControlKind::DirList:
    case ControlKind::DriveList: return makeList(static_cast<ListBox&>(control), parent);
    case ControlKind::Label: return makeLabel(static_cast<Label&>(control), parent);
    case ControlKind::Picture: return makePicture(static_cast<Picture&>(control), parent);
    case ControlKind::Menu: break;
    }
    return new QWidget(parent);
}

void MainView::onModelChange(Control& control, Change change) {
    if (change == Change::Focus) return showFocus(control);
    if (change == Change::Visible && control.visible()) buildShownControls();
    if (change == Change::Caption || change == Change::Enabled || change == Change::Visible) {
        showCaption(control);
        showState(control);
        return;
    }
    if (control.kind() == ControlKind::Menu) {
        if (change == Change::Value) showMenuCheck(static_cast<MenuItem&>(control));
        return;
    }
    QWidget* widget = madeWidget(control);
    if (widget == nullptr) return; // made later, from the model as it is then
    switch (change) {
    case Change::Text: syncText(static_cast<TextBox&>(control), widget); break;
    case Change::Value:
        if (control.kind() == ControlKind::Option)
            syncValue(static_cast<OptionButton&>(control), widget);
        else
            syncListIndex(static_cast<ListBox&>(control), widget);
        break;
    case Change::Items: syncItems(static_cast<ListBox&>(control), widget); break;
    case Change::Repaint: widget->repaint(); break;
    case Change::Geometry: syncGeometry(control, widget); break;
    case Change::Font: syncFont(control, widget); break;
    default: break;
    }
}

// Position, font, client size and state of the window. Only what differs
// from the frame last shown is applied; the state is applied every time.
void MainView::applyFrame() {
    const WindowFrame& frame = form_.ui.frame();
    const auto differs = [&](double WindowFrame::*field) {
        return !shownFrame_ || (*shownFrame_).*field != frame.*field;
    };
    const bool newFont = differs(&WindowFrame::fontPoints);
    if (frame.state == WindowState::Normal) showFrameState(frame.state);
    if (newFont) showWindowFont(frame.fontPoints);
    if (differs(&WindowFrame::left) || differs(&WindowFrame::top))
        move(twipsToPixels(frame.left), twipsToPixels(frame.top));
    if (newFont || differs(&WindowFrame::width) || differs(&WindowFrame::height))
        resize(clientPixelSize(form_.ui) + QSize(0, menuBarHeight(clientPixelSize(form_.ui).width())));
    if (frame.state != WindowState::Normal) showFrameState(frame.state);
    shownFrame_ = frame;
}

// The height the window's layout gives the menu bar at this width.
int MainView::menuBarHeight(int width) const {
    const int forWidth = menuBar()->heightForWidth(width);
    return forWidth > 0 ? forWidth : menuBar()->sizeHint().height();
}

// The window's font reaches every widget that does not have its own; each
// control's own font is then set where it differs from the new one.
void MainView::showWindowFont(double points) {
    setFont(controlFont(points));
    for (const auto& [control, widget] : widgets_) syncFont(*control, widget);
}

// A hidden window keeps the state for when it is shown: setting the state
// never shows it.
void MainView::showFrameState(WindowState state) {
    Qt::WindowStates states = windowState() & ~(Qt::WindowMinimized | Qt::WindowMaximized);
    if (state == WindowState::Minimised) states |= Qt::WindowMinimized;
    if (state == WindowState::Maximised) states |= Qt::WindowMaximized;
    if (!isVisible()) {
        setWindowState(states);
        return;
    }
    switch (state) {
    case WindowState::Normal: showNormal(); break;
    case WindowState::Minimised: showMinimized(); break;
    case WindowState::Maximised: showMaximized(); break;
    }
}

void MainView::showCaption(const Control& control) {
    if (QWidget* widget = madeWidget(control)) {
        syncCaption(control, widget);
    } else if (control.kind() == ControlKind::Menu) {
        if (QAction* action = actionOf(static_cast<const MenuItem&>(control)))
            action->setText(QString::fromStdString(control.caption()));
    }
}

// The model gives the focus back to `control`, or takes it from it for the
// window itself: Qt would pass it on to the next box of the window.
void MainView::showFocus(const Control& control) {
    QWidget* widget = madeWidget(control);
    if (form_.ui.focus() == &control && widget != nullptr)
        widget->setFocus(Qt::OtherFocusReason);
    else if (widget != nullptr && widget->hasFocus())
        client_->setFocus(Qt::OtherFocusReason);
}

// The user moved the focus: the model learns which control has it.
void MainView::reportFocus(QWidget* now) {
    for (; now != nullptr && now != client_; now = now->parentWidget()) {
        for (Control* control : form_.ui.controls()) {
            if (madeWidget(*control) == now) return form_.ui.userFocus(control);
        }
    }
    form_.ui.userFocus(nullptr);
}

void MainView::showState(const Control& control) {
    if (QWidget* widget = madeWidget(control)) {
        widget->setEnabled(control.enabled());
        widget->setVisible(control.visible());
    } else if (control.kind() == ControlKind::Menu) {
        if (QAction* action = actionOf(static_cast<const MenuItem&>(control))) {
            action->setEnabled(control.enabled());
            action->setVisible(control.visible());
        }
    }
}

} // namespace quelm::ui
