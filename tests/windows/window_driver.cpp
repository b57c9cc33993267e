#include "window_driver.h"

#include <algorithm>
#include <vector>

namespace quelm::test {

namespace {

constexpr int kFirstControlId = 100; // as the window numbers its controls
constexpr int kFirstMenuId = 1000;
constexpr UINT kTimeoutMs = 10000;

struct Search {
    std::wstring title;
    const wchar_t* cls;
    HWND found = nullptr;
};

BOOL CALLBACK matchTop(HWND hwnd, LPARAM param) {
    auto& search = *reinterpret_cast<Search*>(param);
    if (!::IsWindowVisible(hwnd)) return TRUE; // made, not yet shown
    wchar_t buffer[512] = {};
    if (search.cls) {
        ::GetClassNameW(hwnd, buffer, 512);
        if (search.cls == std::wstring(buffer)) search.found = hwnd;
    } else {
        ::GetWindowTextW(hwnd, buffer, 512);
        if (std::wstring(buffer).rfind(search.title, 0) == 0) search.found = hwnd;
    }
    return search.found == nullptr;
}

struct ById {
    int id;
    HWND found = nullptr;
};

BOOL CALLBACK matchId(HWND hwnd, LPARAM param) {
    auto& search = *reinterpret_cast<ById*>(param);
    if (::GetDlgCtrlID(hwnd) == search.id) search.found = hwnd;
    return search.found == nullptr;
}

BOOL CALLBACK describe(HWND hwnd, LPARAM param) {
    auto& out = *reinterpret_cast<std::string*>(param);
    wchar_t cls[64] = {};
    ::GetClassNameW(hwnd, cls, 64);
    RECT r{};
    ::GetWindowRect(hwnd, &r);
    ::MapWindowPoints(HWND_DESKTOP, ::GetAncestor(hwnd, GA_ROOT), reinterpret_cast<POINT*>(&r), 2);
    out += std::to_string(::GetDlgCtrlID(hwnd)) + " " + Utf8(cls) + " '" + TextOf(hwnd) + "' " +
           (::IsWindowEnabled(hwnd) ? "enabled" : "disabled") + " " + (::IsWindowVisible(hwnd) ? "visible" : "hidden") +
           " " + std::to_string(r.left) + "," + std::to_string(r.top) + " " + std::to_string(r.right - r.left) + "x" +
           std::to_string(r.bottom - r.top) + "\n";
    return TRUE;
}

LRESULT send(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    DWORD_PTR result = 0;
    ::SendMessageTimeoutW(hwnd, message, wParam, lParam, SMTO_NORMAL, kTimeoutMs, &result);
    return static_cast<LRESULT>(result);
}

} // namespace

HWND FindTopWindow(const std::string& title, const wchar_t* cls, int ms) {
    Search search{Wide(title), cls};
    WaitFor(
        [&] {
            ::EnumWindows(matchTop, reinterpret_cast<LPARAM>(&search));
            return search.found != nullptr;
        },
        ms);
    return search.found;
}

bool WaitFor(const std::function<bool()>& done, int ms) {
    for (int waited = 0;; waited += 20) {
        if (done()) return true;
        if (waited >= ms) return false;
        ::Sleep(20);
    }
}

// The text through WM_GETTEXT, which the owning process answers: an edit
// box's text as typed, not the caption it was made with.
std::string TextOf(HWND hwnd) {
    if (hwnd == nullptr) return "<no window>";
    const auto length = static_cast<std::size_t>(send(hwnd, WM_GETTEXTLENGTH, 0, 0));
    std::wstring text(length + 1, L'\0');
    text.resize(static_cast<std::size_t>(
        send(hwnd, WM_GETTEXT, static_cast<WPARAM>(text.size()), reinterpret_cast<LPARAM>(text.data()))));
    return Utf8(text);
}

int WindowDriver::idOf(const std::string& name) const {
    const auto& controls = model_.controls();
    for (std::size_t i = 0; i < controls.size(); ++i)
        if (controls[i]->name() == name) return kFirstControlId + static_cast<int>(i);
    const auto& menus = model_.menus();
    for (std::size_t i = 0; i < menus.size(); ++i)
        if (menus[i]->name() == name) return kFirstMenuId + static_cast<int>(i);
    return -1;
}

HWND WindowDriver::control(const std::string& name) const {
    ById search{idOf(name)};
    ::EnumChildWindows(main_, matchId, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::string WindowDriver::listing() const {
    std::string out;
    ::EnumChildWindows(main_, describe, reinterpret_cast<LPARAM>(&out));
    return out;
}

bool WindowDriver::enabled(const std::string& name) const { return ::IsWindowEnabled(control(name)) != FALSE; }
bool WindowDriver::visible(const std::string& name) const { return ::IsWindowVisible(control(name)) != FALSE; }
bool WindowDriver::checked(const std::string& name) const {
    return send(control(name), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

// Posted: a click whose handler runs a long loop (a site run) leaves the
// driver free to watch it.
void WindowDriver::click(const std::string& name) const { ::PostMessageW(control(name), BM_CLICK, 0, 0); }

void WindowDriver::type(const std::string& name, const std::string& text) const {
    const std::wstring wide = Wide(text);
    send(control(name), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(wide.c_str()));
}

// A key down and up, posted to the window's queue as the keyboard's are.
void WindowDriver::key(int virtualKey) const {
    ::PostMessageW(main_, WM_KEYDOWN, static_cast<WPARAM>(virtualKey), 1);
    ::PostMessageW(main_, WM_KEYUP, static_cast<WPARAM>(virtualKey), static_cast<LPARAM>(0xC0000001u));
}

void WindowDriver::menu(const std::string& name) const {
    ::PostMessageW(main_, WM_COMMAND, static_cast<WPARAM>(idOf(name)), 0);
}

std::vector<std::string> WindowDriver::items(const std::string& name) const {
    HWND list = control(name);
    std::vector<std::string> out;
    const auto count = static_cast<int>(send(list, LB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        std::wstring text(static_cast<std::size_t>(send(list, LB_GETTEXTLEN, static_cast<WPARAM>(i), 0)) + 1, L'\0');
        text.resize(static_cast<std::size_t>(
            send(list, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text.data()))));
        out.push_back(Utf8(text));
    }
    return out;
}

void WindowDriver::openListItem(const std::string& name, int index) const {
    HWND list = control(name);
    send(list, LB_SETCURSEL, static_cast<WPARAM>(index), 0);
    ::PostMessageW(main_, WM_COMMAND, MAKEWPARAM(idOf(name), LBN_DBLCLK), reinterpret_cast<LPARAM>(list));
}

} // namespace quelm::test
