#include "win/main_window.h"

#include "core/view_geometry.h"
#include "shell/keyboard.h"
#include "win/controls.h"
#include "win/pictures.h"
#include "win/site_window.h"
#include "win/trace_window.h"

#include <algorithm>

namespace quelm::win {

namespace {

constexpr wchar_t kMainClass[] = L"QuelmboxMain";
constexpr DWORD kStyle = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;

void registerMainClass(HINSTANCE instance, WNDPROC proc) {
    RegisterToolWindowClass(instance, proc, kMainClass);
    RegisterGroupClass(instance);
}

bool isKey(UINT message) { return message == WM_KEYDOWN || message == WM_SYSKEYDOWN; }
bool isChar(UINT message) { return message == WM_CHAR || message == WM_SYSCHAR; }

bool takesFocus(const Control& control) {
    switch (control.kind()) {
    case ControlKind::TextBox:
    case ControlKind::Option:
    case ControlKind::Button:
    case ControlKind::FileList:
    case ControlKind::DirList:
    case ControlKind::DriveList: return true;
    default: return false;
    }
}

bool shownInWindow(const Control& control) {
    for (const Control* c = &control; c != nullptr; c = c->container())
        if (!c->visible() || !c->enabled()) return false;
    return true;
}

} // namespace

int MainWindow::SystemDpi() {
    const UINT dpi = ::GetDpiForSystem();
    return dpi ? static_cast<int>(dpi) : kDesignDpi;
}

MainWindow::MainWindow(Form& form, TraceLog* traceLog) : form_(form), traceLog_(traceLog) {
    const HINSTANCE instance = ::GetModuleHandleW(nullptr);
    registerMainClass(instance, windowProc);
    bindWindowItems();
    hwnd_ = ::CreateWindowExW(0, kMainClass, Wide(form_.ui.title()).c_str(), kStyle, CW_USEDEFAULT, CW_USEDEFAULT,
                              CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, instance, this);
    dpi_ = static_cast<int>(::GetDpiForWindow(hwnd_));
    if (dpi_ <= 0) dpi_ = kDesignDpi;
    buildMenus();
    buildControls();
    applyFrame();
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
}

MainWindow::~MainWindow() {
    form_.ui.observer = previousObserver_;
    form_.ui.frameObserver = previousFrameObserver_;
    form_.ui.Quit->onClick = nullptr;
    form_.ui.ProtocolTrace->onClick = nullptr;
    form_.ui.Site->onClick = nullptr;
    siteWindow_.reset();
    traceWindow_.reset(); // before the log it shows can go
    if (hwnd_) {
        ::SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
        ::DestroyWindow(hwnd_);
    }
}

// Quit closes the tool (nothing is saved on exit), the protocol trace item
// opens the trace window, the site item the site window.
void MainWindow::bindWindowItems() {
    form_.ui.Quit->onClick = [this] { ::PostMessageW(hwnd_, WM_CLOSE, 0, 0); };
    form_.ui.ProtocolTrace->onClick = [this] { showTraceWindow(); };
    form_.ui.Site->onClick = [this] { showSiteWindow(); };
    form_.ui.ProtocolTrace->setEnabled(traceLog_ != nullptr);
}

void MainWindow::showTraceWindow() {
    if (traceLog_ == nullptr) return;
    if (!traceWindow_) traceWindow_ = std::make_unique<TraceWindow>(*traceLog_, form_.ui, hwnd_, dpi_);
    traceWindow_->show();
}

void MainWindow::showSiteWindow() {
    if (!siteWindow_) siteWindow_ = std::make_unique<SiteWindow>(form_, hwnd_, dpi_);
    siteWindow_->show();
}

void MainWindow::show(int how) {
    ::ShowWindow(hwnd_, how);
    applyFrame(); // a minimised or maximised state takes effect once shown
}

// The menu bar, made anew from the model: an item with items under it opens
// a menu, any other is a command. Hidden items are left out.
void MainWindow::buildMenus() {
    HMENU bar = ::CreateMenu();
    std::unordered_map<const MenuItem*, HMENU> popups;
    const auto& menus = form_.ui.menus();
    for (std::size_t i = 0; i < menus.size(); ++i) {
        const MenuItem* item = menus[i];
        HMENU under = item->menuParent() ? popups[item->menuParent()] : bar;
        if (!item->visible() || under == nullptr) continue;
        const std::wstring caption = Wide(item->caption());
        UINT flags = item->enabled() ? MF_ENABLED : MF_GRAYED;
        if (OpensMenu(form_.ui, *item)) {
            HMENU popup = ::CreatePopupMenu();
            popups[item] = popup;
            ::AppendMenuW(under, flags | MF_POPUP, reinterpret_cast<UINT_PTR>(popup), caption.c_str());
        } else {
            flags |= item->checked() ? MF_CHECKED : MF_UNCHECKED;
            ::AppendMenuW(under, flags | MF_STRING, static_cast<UINT_PTR>(kFirstMenuId + i), caption.c_str());
        }
    }
    ::SetMenu(hwnd_, bar);
    if (menuBar_) ::DestroyMenu(menuBar_);
    menuBar_ = bar;
    ::DrawMenuBar(hwnd_);
}

// Every control in window order, each later one above the earlier ones where
// they overlap (buttons over their group, the disk manager panel over the
// parameters); the tab order is the model's window order, kept by Tab itself.
void MainWindow::buildControls() {
    const auto& controls = form_.ui.controls();
    for (std::size_t i = 0; i < controls.size(); ++i) {
        const Control& control = *controls[i];
        HWND parent = control.container() ? hwndOf(*control.container()) : hwnd_;
        HWND hwnd = MakeControl(control, parent, kFirstControlId + static_cast<int>(i), dpi_);
        ::SetWindowPos(hwnd, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        hwnds_[&control] = hwnd;
        if (control.kind() == ControlKind::List || control.kind() == ControlKind::FileList ||
            control.kind() == ControlKind::DirList || control.kind() == ControlKind::DriveList)
            ShowItems(static_cast<const ListBox&>(control), hwnd, logShownFrom_[&control]);
        ShowState(control, hwnd);
    }
}

HWND MainWindow::hwndOf(const Control& control) const {
    const auto it = hwnds_.find(&control);
    return it == hwnds_.end() ? nullptr : it->second;
}

Control* MainWindow::controlOf(int id) const {
    const auto& controls = form_.ui.controls();
    const int index = id - kFirstControlId;
    return index >= 0 && index < static_cast<int>(controls.size()) ? controls[static_cast<std::size_t>(index)]
                                                                   : nullptr;
}

LRESULT CALLBACK MainWindow::windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* self = static_cast<MainWindow*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        self->hwnd_ = hwnd;
        ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<MainWindow*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    return self ? self->handle(message, wParam, lParam) : ::DefWindowProcW(hwnd, message, wParam, lParam);
}

LRESULT MainWindow::handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_COMMAND: onCommand(LOWORD(wParam), HIWORD(wParam)); return 0;
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN: {
        HWND from = reinterpret_cast<HWND>(lParam);
        if (::GetParent(from) == hwnd_ && ::GetDlgCtrlID(from) >= kFirstControlId) break;
        ::SetBkColor(reinterpret_cast<HDC>(wParam), GroupColour());
        return reinterpret_cast<LRESULT>(GroupBrush());
    }
    case WM_DRAWITEM: drawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam)); return TRUE;
    case WM_SETFOCUS: form_.ui.userFocus(nullptr); return 0;
    case WM_DPICHANGED: {
        const auto* suggested = reinterpret_cast<const RECT*>(lParam);
        applyDpi(HIWORD(wParam));
        ::SetWindowPos(hwnd_, nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                       suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
        return 0;
    }
    case WM_PAINT: {
        const LRESULT result = ::DefWindowProcW(hwnd_, message, wParam, lParam);
        if (!painted_) {
            painted_ = true;
            if (onFirstPaint) onFirstPaint();
        }
        return result;
    }
    case WM_CLOSE:
        if (siteWindow_ && siteWindow_->endWithTool([this] { ::PostMessageW(hwnd_, WM_CLOSE, 0, 0); })) return 0;
        ::DestroyWindow(hwnd_);
        return 0;
    case WM_DESTROY:
        ::PostQuitMessage(0);
        hwnd_ = nullptr;
        return 0;
    default: break;
    }
    return ::DefWindowProcW(hwnd_, message, wParam, lParam);
}

void MainWindow::drawItem(const DRAWITEMSTRUCT& item) {
    const Control* control = controlOf(static_cast<int>(item.CtlID));
    if (control && control->kind() == ControlKind::Picture) DrawBoxPicture(item.hDC, item.rcItem);
}

void MainWindow::onCommand(int id, int code) {
    const auto& menus = form_.ui.menus();
    const int menu = id - kFirstMenuId;
    if (menu >= 0 && menu < static_cast<int>(menus.size())) {
        MenuItem* item = menus[static_cast<std::size_t>(menu)];
        if (item->enabled() && item->visible()) item->click();
        return;
    }
    if (Control* control = controlOf(id)) onControlCommand(*control, hwndOf(*control), code);
}

// The notifications of the controls, as the user's actions on the model.
void MainWindow::onControlCommand(Control& control, HWND from, int code) {
    if (code == EN_SETFOCUS || code == BN_SETFOCUS || code == LBN_SETFOCUS || code == CBN_SETFOCUS)
        return form_.ui.userFocus(&control);
    switch (control.kind()) {
    case ControlKind::TextBox:
        if (code == EN_CHANGE) {
            auto& box = static_cast<TextBox&>(control);
            box.setText(WindowTextOf(from));
            ShowText(box, from); // the change handler may have rewritten it
        }
        break;
    case ControlKind::Option:
        if (code == BN_CLICKED || code == BN_DOUBLECLICKED) {
            static_cast<OptionButton&>(control).select();
            ShowValue(static_cast<OptionButton&>(control), from);
        }
        break;
    case ControlKind::Button:
        if (code == BN_CLICKED) static_cast<Button&>(control).userClick();
        break;
    case ControlKind::FileList:
        if (code == LBN_SELCHANGE)
            static_cast<ListBox&>(control).userClick(static_cast<int>(::SendMessageW(from, LB_GETCURSEL, 0, 0)));
        break;
    case ControlKind::DirList:
        // A folder opens on a double click, as a folder list does.
        if (code == LBN_DBLCLK)
            static_cast<ListBox&>(control).userChange(static_cast<int>(::SendMessageW(from, LB_GETCURSEL, 0, 0)));
        break;
    case ControlKind::DriveList:
        if (code == CBN_SELCHANGE)
            static_cast<ListBox&>(control).userChange(static_cast<int>(::SendMessageW(from, CB_GETCURSEL, 0, 0)));
        break;
    default: break;
    }
}

void MainWindow::onModelChange(Control& control, Change change) {
    if (control.kind() == ControlKind::Menu) {
        buildMenus();
        if (change == Change::Value) showMenuCheck(static_cast<MenuItem&>(control));
        return;
    }
    HWND hwnd = hwndOf(control);
    if (hwnd == nullptr) return;
    switch (change) {
    case Change::Focus: showFocus(control); break;
    case Change::Caption: ShowCaption(control, hwnd); break;
    case Change::Enabled:
    case Change::Visible: ShowState(control, hwnd); break;
    case Change::Text: ShowText(static_cast<TextBox&>(control), hwnd); break;
    case Change::Value:
        if (control.kind() == ControlKind::Option)
            ShowValue(static_cast<OptionButton&>(control), hwnd);
        else
            ShowListIndex(static_cast<ListBox&>(control), hwnd);
        break;
    case Change::Items: ShowItems(static_cast<ListBox&>(control), hwnd, logShownFrom_[&control]); break;
    case Change::Repaint: ::RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW); break;
    case Change::Geometry: ShowGeometry(control, hwnd, dpi_); break;
    case Change::Font: ShowFont(control, hwnd, dpi_); break;
    }
}

// A language item's check mark: the title and our other windows follow the
// language it marks.
void MainWindow::showMenuCheck(const MenuItem&) {
    ::SetWindowTextW(hwnd_, Wide(form_.ui.title()).c_str());
    if (traceWindow_) traceWindow_->showLanguage();
    if (siteWindow_) siteWindow_->showLanguage();
}

// Position, client size and state of the window, at the screen's dots per inch.
void MainWindow::applyFrame() {
    const WindowFrame& frame = form_.ui.frame();
    const PixelRect client = ClientPixels(form_.ui, dpi_);
    RECT outer{0, 0, client.width, client.height};
    ::AdjustWindowRectExForDpi(&outer, kStyle, TRUE, 0, static_cast<UINT>(dpi_));
    if (frame.state == WindowState::Normal && (::IsIconic(hwnd_) || ::IsZoomed(hwnd_))) ::ShowWindow(hwnd_, SW_RESTORE);
    ::SetWindowPos(hwnd_, nullptr, TwipsToPixels(frame.left, dpi_), TwipsToPixels(frame.top, dpi_),
                   outer.right - outer.left, outer.bottom - outer.top, SWP_NOZORDER | SWP_NOACTIVATE);
    if (!::IsWindowVisible(hwnd_)) return;
    if (frame.state == WindowState::Minimised && !::IsIconic(hwnd_)) ::ShowWindow(hwnd_, SW_MINIMIZE);
    if (frame.state == WindowState::Maximised && !::IsZoomed(hwnd_)) ::ShowWindow(hwnd_, SW_MAXIMIZE);
}

// The window moved to a screen of other dots per inch: every control and
// font again, at the same twips.
void MainWindow::applyDpi(int dpi) {
    dpi_ = dpi;
    for (const auto& [control, hwnd] : hwnds_) {
        ShowFont(*control, hwnd, dpi_);
        ShowGeometry(*control, hwnd, dpi_);
    }
}

// The model gives the focus to `control`, or takes it from it for the window.
void MainWindow::showFocus(const Control& control) {
    HWND hwnd = hwndOf(control);
    if (form_.ui.focus() == &control)
        ::SetFocus(hwnd);
    else if (::GetFocus() == hwnd)
        ::SetFocus(hwnd_);
}

// Tab and Shift+Tab: the next control, in the model's window order, that
// takes the focus and is shown and enabled with its groups.
bool MainWindow::moveFocus(bool back) {
    const auto& controls = form_.ui.controls();
    const auto n = static_cast<int>(controls.size());
    const Control* now = controlOf(::GetDlgCtrlID(::GetFocus()));
    int at = now ? static_cast<int>(std::find(controls.begin(), controls.end(), now) - controls.begin()) : -1;
    for (int step = 0; step < n; ++step) {
        at = back ? (at <= 0 ? n - 1 : at - 1) : (at + 1) % n;
        const Control& next = *controls[static_cast<std::size_t>(at)];
        if (takesFocus(next) && shownInWindow(next)) {
            ::SetFocus(hwndOf(next));
            return true;
        }
    }
    return false;
}

bool MainWindow::preTranslate(MSG& msg) {
    if (siteWindow_) siteWindow_->preTranslate(msg);
    if (hwnd_ == nullptr || (msg.hwnd != hwnd_ && !::IsChild(hwnd_, msg.hwnd))) return false;
    if (form_.ui.keyPreview) {
        if (isKey(msg.message)) Form_KeyDown(form_, static_cast<int>(msg.wParam));
        if (isChar(msg.message)) Form_KeyPress(form_, static_cast<int>(msg.wParam));
    }
    if (msg.message == WM_KEYDOWN && msg.wParam == VK_TAB) return moveFocus((::GetKeyState(VK_SHIFT) & 0x8000) != 0);
    return false;
}

} // namespace quelm::win
