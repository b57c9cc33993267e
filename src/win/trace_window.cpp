#include "win/trace_window.h"

#include "core/texts.h"
#include "platform/path_text.h"
#include "win/controls.h"

#include <commdlg.h>

#include <vector>

namespace quelm::win {

namespace {

constexpr wchar_t kTraceClass[] = L"QuelmboxTrace";
constexpr int kLinesId = 10, kSaveId = 11, kClearId = 12;
constexpr int kShownLines = 20000;

HWND child(HWND parent, const wchar_t* cls, DWORD style, int id) {
    return ::CreateWindowExW(0, cls, L"", WS_CHILD | WS_VISIBLE | style, 0, 0, 0, 0, parent,
                             reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), ::GetModuleHandleW(nullptr), nullptr);
}

std::string askFile(HWND owner, const std::string& title, const std::string& suggested, const wchar_t* filter,
                    bool save) {
    std::vector<wchar_t> file(32768, L'\0');
    const std::wstring name = Wide(suggested);
    name.copy(file.data(), std::min(name.size(), file.size() - 1));
    const std::wstring caption = Wide(title);
    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = owner;
    ofn.lpstrFilter = filter;
    ofn.lpstrFile = file.data();
    ofn.nMaxFile = static_cast<DWORD>(file.size());
    ofn.lpstrTitle = caption.c_str();
    ofn.Flags = OFN_EXPLORER | OFN_NOCHANGEDIR | (save ? OFN_OVERWRITEPROMPT : OFN_FILEMUSTEXIST);
    const BOOL chosen = save ? ::GetSaveFileNameW(&ofn) : ::GetOpenFileNameW(&ofn);
    return chosen ? Utf8(file.data()) : std::string();
}

} // namespace

std::string AskSaveFile(HWND owner, const std::string& title, const std::string& suggested, const wchar_t* filter) {
    return askFile(owner, title, suggested, filter, true);
}

std::string AskOpenFile(HWND owner, const std::string& title, const wchar_t* filter) {
    return askFile(owner, title, {}, filter, false);
}

TraceWindow::TraceWindow(TraceLog& log, const WindowModel& model, HWND owner, int dpi)
    : log_(log), model_(model), dpi_(dpi) {
    const HINSTANCE instance = ::GetModuleHandleW(nullptr);
    RegisterToolWindowClass(instance, windowProc, kTraceClass);
    hwnd_ = ::CreateWindowExW(0, kTraceClass, L"", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT,
                              ::MulDiv(900, dpi, 96), ::MulDiv(420, dpi, 96), owner, nullptr, instance, this);
    lines_ = child(hwnd_, L"ListBox", WS_BORDER | WS_VSCROLL | WS_HSCROLL | LBS_NOINTEGRALHEIGHT, kLinesId);
    save_ = child(hwnd_, L"Button", BS_PUSHBUTTON | WS_TABSTOP, kSaveId);
    clear_ = child(hwnd_, L"Button", BS_PUSHBUTTON | WS_TABSTOP, kClearId);
    // The columns read better in a light fixed face than in the window's bold one.
    fixed_ = ::CreateFontW(-::MulDiv(9, dpi, 72), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                           OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY, FIXED_PITCH | FF_MODERN,
                           L"Courier New");
    ::SendMessageW(lines_, WM_SETFONT, reinterpret_cast<WPARAM>(fixed_), FALSE);
    ::SendMessageW(lines_, LB_SETHORIZONTALEXTENT, static_cast<WPARAM>(::MulDiv(1600, dpi, 96)), 0);
    for (HWND button : {save_, clear_})
        ::SendMessageW(button, WM_SETFONT, reinterpret_cast<WPARAM>(ControlFont(8.25, dpi)), FALSE);
    log_.onAdded = [this](const TraceEntry& entry) {
        if (visible()) append(entry);
    };
    log_.onRepeated = [this](const TraceEntry& entry) {
        if (!visible()) return;
        const LRESULT last = ::SendMessageW(lines_, LB_GETCOUNT, 0, 0) - 1;
        if (last >= 0) ::SendMessageW(lines_, LB_DELETESTRING, static_cast<WPARAM>(last), 0);
        append(entry);
    };
    log_.onCleared = [this] { ::SendMessageW(lines_, LB_RESETCONTENT, 0, 0); };
    showLanguage();
    layout();
}

TraceWindow::~TraceWindow() {
    log_.onAdded = nullptr;
    log_.onRepeated = nullptr;
    log_.onCleared = nullptr;
    ::SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
    ::DestroyWindow(hwnd_);
    ::DeleteObject(fixed_);
}

// Entries that came while the window was closed are shown when it opens.
void TraceWindow::show() {
    if (!visible()) reload();
    ::ShowWindow(hwnd_, SW_SHOW);
    ::SetForegroundWindow(hwnd_);
}

void TraceWindow::showLanguage() {
    ::SetWindowTextW(hwnd_, Wide(model_.ProtocolTrace->caption()).c_str());
    ::SetWindowTextW(save_, Wide(std::string(Text(Said::TraceSave, language()))).c_str());
    ::SetWindowTextW(clear_, Wide(std::string(Text(Said::TraceClear, language()))).c_str());
}

void TraceWindow::append(const TraceEntry& entry) {
    if (::SendMessageW(lines_, LB_GETCOUNT, 0, 0) >= kShownLines) ::SendMessageW(lines_, LB_DELETESTRING, 0, 0);
    const LRESULT at =
        ::SendMessageW(lines_, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Wide(FormatTraceEntry(entry)).c_str()));
    ::SendMessageW(lines_, LB_SETTOPINDEX, static_cast<WPARAM>(at), 0);
}

void TraceWindow::reload() {
    ::SendMessageW(lines_, WM_SETREDRAW, FALSE, 0);
    ::SendMessageW(lines_, LB_RESETCONTENT, 0, 0);
    for (const TraceEntry& entry : log_.entries()) append(entry);
    ::SendMessageW(lines_, WM_SETREDRAW, TRUE, 0);
    ::InvalidateRect(lines_, nullptr, TRUE);
}

void TraceWindow::layout() {
    RECT area;
    ::GetClientRect(hwnd_, &area);
    const int pad = ::MulDiv(8, dpi_, 96), w = ::MulDiv(120, dpi_, 96), h = ::MulDiv(28, dpi_, 96);
    ::MoveWindow(lines_, pad, pad, area.right - 2 * pad, area.bottom - 3 * pad - h, TRUE);
    ::MoveWindow(save_, area.right - pad - w, area.bottom - pad - h, w, h, TRUE);
    ::MoveWindow(clear_, area.right - 2 * (pad + w), area.bottom - pad - h, w, h, TRUE);
}

void TraceWindow::askAndSave() {
    const std::string file = AskSaveFile(hwnd_, std::string(Text(Said::TraceSave, language())), "quelmbox-trace.txt",
                                         L"*.txt\0*.txt\0*.*\0*.*\0");
    if (file.empty()) return;
    std::string why;
    if (log_.save(platform::PathFromUtf8(file), why)) return;
    const std::string said = Filled(Text(Said::TraceNotSaved, language()), file, Reason(why, language()));
    ::MessageBoxW(hwnd_, Wide(said).c_str(), Wide(WindowTextOf(hwnd_)).c_str(), MB_OK | MB_ICONWARNING);
}

LRESULT CALLBACK TraceWindow::windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* self = static_cast<TraceWindow*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<TraceWindow*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (self && self->hwnd_ == nullptr) self->hwnd_ = hwnd;
    return self ? self->handle(message, wParam, lParam) : ::DefWindowProcW(hwnd, message, wParam, lParam);
}

LRESULT TraceWindow::handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_SIZE:
        if (lines_) layout();
        return 0;
    case WM_COMMAND:
        if (LOWORD(wParam) == kSaveId) askAndSave();
        if (LOWORD(wParam) == kClearId) log_.clear();
        return 0;
    case WM_CLOSE: ::ShowWindow(hwnd_, SW_HIDE); return 0; // kept for the next opening
    default: break;
    }
    return ::DefWindowProcW(hwnd_, message, wParam, lParam);
}

} // namespace quelm::win
