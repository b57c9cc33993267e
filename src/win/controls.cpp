#include "win/controls.h"

#include "core/view_geometry.h"
#include "platform/wide_text.h"
#include "win/pictures.h"

#include <algorithm>
#include <map>

namespace quelm::win {

namespace {

// A group's frame: an etched rectangle from the middle of its caption's
// height down, the caption over it at the left, on the group's grey.
void paintGroup(HWND hwnd) {
    PAINTSTRUCT ps;
    HDC dc = ::BeginPaint(hwnd, &ps);
    RECT area;
    ::GetClientRect(hwnd, &area);
    HGDIOBJ oldFont = ::SelectObject(dc, reinterpret_cast<HFONT>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA)));
    const std::wstring caption = Wide(WindowTextOf(hwnd));
    SIZE text{};
    ::GetTextExtentPoint32W(dc, L"M", 1, &text);
    RECT frame{area.left, area.top + text.cy / 2, area.right, area.bottom};
    ::DrawEdge(dc, &frame, EDGE_ETCHED, BF_RECT);
    if (!caption.empty()) {
        ::SetBkColor(dc, GroupColour());
        ::SetTextColor(dc, ::GetSysColor(::IsWindowEnabled(hwnd) ? COLOR_BTNTEXT : COLOR_GRAYTEXT));
        ::SetBkMode(dc, OPAQUE);
        ::TextOutW(dc, text.cx / 2, 0, caption.c_str(), static_cast<int>(caption.size()));
    }
    ::SelectObject(dc, oldFont);
    ::EndPaint(hwnd, &ps);
}

LRESULT CALLBACK groupProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_ERASEBKGND: {
        RECT area;
        ::GetClientRect(hwnd, &area);
        ::FillRect(reinterpret_cast<HDC>(wParam), &area, GroupBrush());
        return 1;
    }
    case WM_PAINT: paintGroup(hwnd); return 0;
    case WM_SETTEXT: {
        const LRESULT result = ::DefWindowProcW(hwnd, message, wParam, lParam);
        ::InvalidateRect(hwnd, nullptr, TRUE);
        return result;
    }
    case WM_SETFONT:
        ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, static_cast<LONG_PTR>(wParam));
        if (LOWORD(lParam)) ::InvalidateRect(hwnd, nullptr, TRUE);
        return 0;
    case WM_GETFONT: return ::GetWindowLongPtrW(hwnd, GWLP_USERDATA);
    // What the controls of the group tell their parent is for the window.
    case WM_COMMAND:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_DRAWITEM: return ::SendMessageW(::GetAncestor(hwnd, GA_ROOT), message, wParam, lParam);
    default: break;
    }
    return ::DefWindowProcW(hwnd, message, wParam, lParam);
}

DWORD styleOf(const Control& control) {
    const DWORD child = WS_CHILD | WS_CLIPSIBLINGS;
    switch (control.kind()) {
    case ControlKind::Group: return child | WS_CLIPCHILDREN;
    case ControlKind::TextBox: return child | WS_TABSTOP | WS_BORDER | ES_AUTOHSCROLL;
    case ControlKind::Option: return child | WS_TABSTOP | BS_RADIOBUTTON | BS_NOTIFY;
    case ControlKind::Button: {
        const bool picture = !static_cast<const Button&>(control).picture().empty();
        return child | WS_TABSTOP | BS_PUSHBUTTON | BS_NOTIFY | (picture ? BS_BITMAP : 0);
    }
    case ControlKind::DriveList: return child | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST;
    case ControlKind::List:
    case ControlKind::FileList:
    case ControlKind::DirList: return child | WS_TABSTOP | WS_BORDER | WS_VSCROLL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT;
    case ControlKind::Picture: return child | SS_OWNERDRAW;
    case ControlKind::Label:
    case ControlKind::Menu: break;
    }
    return child | SS_LEFT;
}

const wchar_t* classOf(ControlKind kind) {
    switch (kind) {
    case ControlKind::Group: return kGroupClass;
    case ControlKind::TextBox: return L"Edit";
    case ControlKind::Option:
    case ControlKind::Button: return L"Button";
    case ControlKind::DriveList: return L"ComboBox";
    case ControlKind::List:
    case ControlKind::FileList:
    case ControlKind::DirList: return L"ListBox";
    default: return L"Static";
    }
}

} // namespace

void RegisterGroupClass(HINSTANCE instance) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = groupProc;
    wc.hInstance = instance;
    wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = kGroupClass;
    ::RegisterClassExW(&wc);
}

void RegisterToolWindowClass(HINSTANCE instance, WNDPROC proc, const wchar_t* name) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = proc;
    wc.hInstance = instance;
    wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.hIcon = ::LoadIconW(instance, MAKEINTRESOURCEW(1));
    wc.lpszClassName = name;
    ::RegisterClassExW(&wc);
}

std::wstring Wide(const std::string& utf8) { return platform::WideOf(utf8); }
std::string Utf8(const std::wstring& wide) { return platform::Utf8Of(wide); }

std::string WindowTextOf(HWND hwnd) {
    std::wstring text(static_cast<std::size_t>(::GetWindowTextLengthW(hwnd)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(::GetWindowTextW(hwnd, text.data(), static_cast<int>(text.size()))));
    return Utf8(text);
}

HBRUSH GroupBrush() {
    static const HBRUSH brush = ::CreateSolidBrush(GroupColour());
    return brush;
}

COLORREF GroupColour() { return RGB(224, 224, 224); }

HFONT ControlFont(double points, int dpi) {
    static std::map<int, HFONT> fonts;
    const int height = std::max(1, FontPixels(static_cast<int>(points * 4) / 4.0, dpi));
    HFONT& font = fonts[height];
    if (font == nullptr)
        font = ::CreateFontW(-height, 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                             CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY, VARIABLE_PITCH | FF_SWISS, L"MS Sans Serif");
    return font;
}

HWND MakeControl(const Control& control, HWND parent, int id, int dpi) {
    const HINSTANCE instance = ::GetModuleHandleW(nullptr);
    const DWORD exStyle = control.kind() == ControlKind::TextBox ? WS_EX_CLIENTEDGE : 0;
    const std::wstring caption = control.kind() == ControlKind::TextBox ? L"" : Wide(control.caption());
    HWND hwnd = ::CreateWindowExW(exStyle | (control.kind() == ControlKind::Group ? WS_EX_CONTROLPARENT : 0),
                                  classOf(control.kind()), caption.c_str(), styleOf(control), 0, 0, 0, 0, parent,
                                  reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance, nullptr);
    if (control.kind() == ControlKind::Button && !static_cast<const Button&>(control).picture().empty())
        ::SendMessageW(hwnd, BM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(ArrowBitmap()));
    if (control.kind() == ControlKind::TextBox) ShowText(static_cast<const TextBox&>(control), hwnd);
    if (control.kind() == ControlKind::Option) ShowValue(static_cast<const OptionButton&>(control), hwnd);
    ShowFont(control, hwnd, dpi);
    ShowGeometry(control, hwnd, dpi);
    return hwnd;
}

void ShowGeometry(const Control& control, HWND hwnd, int dpi) {
    const PixelRect r = PixelsOf(control.geometry(), dpi);
    // A drop-down list's height is that of its list when open.
    const int extra = control.kind() == ControlKind::DriveList ? r.height * 6 : 0;
    ::MoveWindow(hwnd, r.x, r.y, r.width, r.height + extra, TRUE);
}

void ShowFont(const Control& control, HWND hwnd, int dpi) {
    if (!control.hasFont()) return;
    ::SendMessageW(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(ControlFont(control.fontPoints(), dpi)), TRUE);
}

void ShowCaption(const Control& control, HWND hwnd) {
    switch (control.kind()) {
    case ControlKind::Group:
    case ControlKind::Option:
    case ControlKind::Button:
    case ControlKind::Label: ::SetWindowTextW(hwnd, Wide(control.caption()).c_str()); break;
    default: break;
    }
}

void ShowText(const TextBox& box, HWND hwnd) {
    const std::wstring text = Wide(box.text());
    const int length = ::GetWindowTextLengthW(hwnd);
    std::wstring shown(static_cast<std::size_t>(length) + 1, L'\0');
    shown.resize(static_cast<std::size_t>(::GetWindowTextW(hwnd, shown.data(), length + 1)));
    if (shown == text) return;
    // While the user types, the caret stays where it was; otherwise the text
    // is shown from its start, as a message line should be.
    DWORD start = 0;
    ::SendMessageW(hwnd, EM_GETSEL, reinterpret_cast<WPARAM>(&start), 0);
    ::SetWindowTextW(hwnd, text.c_str());
    const DWORD caret = ::GetFocus() == hwnd ? std::min<DWORD>(start, static_cast<DWORD>(text.size())) : 0;
    ::SendMessageW(hwnd, EM_SETSEL, caret, caret);
}

void ShowValue(const OptionButton& option, HWND hwnd) {
    ::SendMessageW(hwnd, BM_SETCHECK, option.value() ? BST_CHECKED : BST_UNCHECKED, 0);
}

namespace {

void addRow(const ListBox& list, HWND hwnd, const std::string& item) {
    const std::wstring text = Wide(item);
    ::SendMessageW(hwnd, list.kind() == ControlKind::DriveList ? CB_ADDSTRING : LB_ADDSTRING, 0,
                   reinterpret_cast<LPARAM>(text.c_str()));
}

// A log only appends and drops its oldest lines: the rows the model has
// dropped go, then what is new is appended.
void showLog(const ListBox& list, HWND hwnd, std::uint64_t& shownFrom) {
    const auto rows = static_cast<std::uint64_t>(::SendMessageW(hwnd, LB_GETCOUNT, 0, 0));
    const std::uint64_t gone = std::min(list.removed() - std::min(shownFrom, list.removed()), rows);
    ::SendMessageW(hwnd, WM_SETREDRAW, FALSE, 0);
    for (std::uint64_t i = 0; i < gone; ++i) ::SendMessageW(hwnd, LB_DELETESTRING, 0, 0);
    shownFrom = std::max(shownFrom + gone, list.removed());
    const auto& items = list.items();
    for (auto i = static_cast<std::size_t>(shownFrom - list.removed() + rows - gone); i < items.size(); ++i)
        addRow(list, hwnd, items[i]);
    ::SendMessageW(hwnd, WM_SETREDRAW, TRUE, 0);
    ::InvalidateRect(hwnd, nullptr, TRUE);
}

} // namespace

void ShowItems(const ListBox& list, HWND hwnd, std::uint64_t& shownFrom) {
    if (list.kind() == ControlKind::List) return showLog(list, hwnd, shownFrom);
    const bool combo = list.kind() == ControlKind::DriveList;
    ::SendMessageW(hwnd, WM_SETREDRAW, FALSE, 0);
    ::SendMessageW(hwnd, combo ? CB_RESETCONTENT : LB_RESETCONTENT, 0, 0);
    for (const std::string& item : list.items()) addRow(list, hwnd, item);
    ::SendMessageW(hwnd, WM_SETREDRAW, TRUE, 0);
    ::InvalidateRect(hwnd, nullptr, TRUE);
    ShowListIndex(list, hwnd);
}

void ShowListIndex(const ListBox& list, HWND hwnd) {
    const bool combo = list.kind() == ControlKind::DriveList;
    ::SendMessageW(hwnd, combo ? CB_SETCURSEL : LB_SETCURSEL, static_cast<WPARAM>(list.listIndex()), 0);
}

void ShowState(const Control& control, HWND hwnd) {
    ::EnableWindow(hwnd, control.enabled());
    ::ShowWindow(hwnd, control.visible() ? SW_SHOWNA : SW_HIDE);
}

} // namespace quelm::win
