#include "ui/main_view.h"

#include "shell/keyboard.h"
#include "ui/control_widgets.h"
#include "ui/geometry.h"
#include "ui/key_forwarder.h"
#include "ui/trace_window.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>

namespace quelm::ui {

namespace {

bool hasSubItems(const WindowModel& ui, const MenuItem& item) {
    for (const MenuItem* m : ui.menus())
        if (m->menuParent() == &item) return true;
    return false;
}

} // namespace

MainView::MainView(Form& form, TraceLog* traceLog, QWidget* parent)
    : QMainWindow(parent), form_(form), traceLog_(traceLog) {
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(QString::fromStdString(form_.ui.title()));
    bindWindowItems();
    setAttribute(Qt::WA_WindowPropagation); // the menus' pop-ups follow the window's font
    auto* client = new QWidget(this);
    client->setObjectName(QStringLiteral("client"));
    setCentralWidget(client);
    buildMenus();
    buildControls(client);

    previousObserver_ = form_.ui.observer;
    form_.ui.observer = [this](Control& control, Change change) {
        if (previousObserver_) previousObserver_(control, change);
        onModelChange(control, change);
    };
    previousFrameObserver_ = form_.ui.frameObserver;
    form_.ui.frameObserver = [this] {
        if (previousFrameObserver_) previousFrameObserver_();
        onFrameChange();
    };
    onFrameChange(); // the frame as the model has it, scaled already or not
    keys_ = new KeyForwarder(
        this, [this] { return form_.ui.keyPreview; }, [this](int code) { Form_KeyDown(form_, code); },
        [this](int code) { Form_KeyPress(form_, code); });
}

MainView::~MainView() {
    // The model outlives the view: stop sending it changes for widgets that go.
    form_.ui.observer = previousObserver_;
    form_.ui.frameObserver = previousFrameObserver_;
    form_.ui.Quit->onClick = nullptr;
    form_.ui.ProtocolTrace->onClick = nullptr;
    delete keys_;
    delete traceWindow_; // before the log it shows can go
}

// The items that act on the windows themselves: Quit closes the tool (nothing
// is saved on exit), the protocol trace item opens the trace window.
void MainView::bindWindowItems() {
    form_.ui.Quit->onClick = [this] { close(); };
    form_.ui.ProtocolTrace->onClick = [this] { showTraceWindow(); };
    form_.ui.ProtocolTrace->setEnabled(traceLog_ != nullptr);
}

void MainView::showTraceWindow() {
    if (traceLog_ == nullptr) return;
    if (traceWindow_ == nullptr) traceWindow_ = new TraceWindow(*traceLog_, form_.ui, this);
    traceWindow_->show();
    traceWindow_->raise();
}

// A language item's check mark, and the title and trace window captions in
// the language it marks.
void MainView::showMenuCheck(const MenuItem& item) {
    if (QAction* action = actionOf(item)) action->setChecked(item.checked());
    setWindowTitle(QString::fromStdString(form_.ui.title()));
    if (traceWindow_) traceWindow_->showLanguage();
}

QWidget* MainView::widgetOf(const Control& control) const {
    const auto it = widgets_.find(&control);
    return it == widgets_.end() ? nullptr : it->second;
}

QWidget* MainView::widgetOf(std::string_view name) const {
    const Control* control = form_.ui.find(name);
    return control ? widgetOf(*control) : nullptr;
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
        if (hasSubItems(form_.ui, *item)) {
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

// Every control in window order, so that later controls stand above earlier
// ones where they overlap (buttons placed over their group, the disk manager
// panel over the parameters and addresses).
void MainView::buildControls(QWidget* client) {
    for (Control* control : form_.ui.controls()) {
        QWidget* parent = control->container() ? widgets_.at(control->container()) : client;
        QWidget* widget = createWidget(*control, parent);
        widget->setObjectName(QString::fromStdString(control->name()));
        syncFont(*control, widget);
        syncGeometry(*control, widget);
        widgets_[control] = widget;
        showState(*control);
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
    if (change == Change::Caption || change == Change::Enabled || change == Change::Visible) {
        showCaption(control);
        showState(control);
        return;
    }
    if (control.kind() == ControlKind::Menu) {
        if (change == Change::Value) showMenuCheck(static_cast<MenuItem&>(control));
        return;
    }
    QWidget* widget = widgetOf(control);
    if (widget == nullptr) return;
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
void MainView::onFrameChange() {
    const WindowFrame& frame = form_.ui.frame();
    const auto differs = [&](double WindowFrame::*field) {
        return !shownFrame_ || (*shownFrame_).*field != frame.*field;
    };
    const bool newFont = differs(&WindowFrame::fontPoints);
    if (frame.state == WindowState::Normal) showFrameState(frame.state);
    if (newFont) setFont(controlFont(frame.fontPoints));
    if (differs(&WindowFrame::left) || differs(&WindowFrame::top))
        move(twipsToPixels(frame.left), twipsToPixels(frame.top));
    if (newFont || differs(&WindowFrame::width) || differs(&WindowFrame::height))
        resize(clientPixelSize(form_.ui) + QSize(0, menuBar()->sizeHint().height()));
    if (frame.state != WindowState::Normal) showFrameState(frame.state);
    shownFrame_ = frame;
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
    if (QWidget* widget = widgetOf(control)) {
        syncCaption(control, widget);
    } else if (control.kind() == ControlKind::Menu) {
        if (QAction* action = actionOf(static_cast<const MenuItem&>(control)))
            action->setText(QString::fromStdString(control.caption()));
    }
}

void MainView::showState(const Control& control) {
    if (QWidget* widget = widgetOf(control)) {
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
