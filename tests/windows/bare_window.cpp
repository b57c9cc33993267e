// The least a Win32 program does before its window is painted: a class, a
// window, the loop until the first paint. Its start-up time under Wine is
// the measure quelmbox.exe's own is set against.
#include <windows.h>

#include <cstdio>

namespace {

LRESULT CALLBACK proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_PAINT) {
        const LRESULT result = ::DefWindowProcW(hwnd, message, wParam, lParam);
        std::printf("painted\n");
        ::DestroyWindow(hwnd);
        return result;
    }
    if (message == WM_DESTROY) ::PostQuitMessage(0);
    return ::DefWindowProcW(hwnd, message, wParam, lParam);
}

} // namespace

int main() {
    WNDCLASSW wc{};
    wc.lpfnWndProc = proc;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.lpszClassName = L"Bare";
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    ::RegisterClassW(&wc);
    HWND hwnd = ::CreateWindowW(L"Bare", L"Bare", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 640, 480, nullptr, nullptr,
                                wc.hInstance, nullptr);
    ::UpdateWindow(hwnd);
    MSG msg;
    while (::GetMessageW(&msg, nullptr, 0, 0) > 0) ::DispatchMessageW(&msg);
    return 0;
}
