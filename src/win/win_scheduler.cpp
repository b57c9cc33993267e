#include "win/win_scheduler.h"

#include "platform/clock.h"

#include <mmsystem.h>

#include <algorithm>
#include <utility>

#ifndef CREATE_WAITABLE_TIMER_HIGH_RESOLUTION
#define CREATE_WAITABLE_TIMER_HIGH_RESOLUTION 0x00000002
#endif

namespace quelm::win {

namespace {

constexpr UINT_PTR kModalTimer = 1;
constexpr UINT kModalTimerMs = 10;
constexpr wchar_t kHelperClass[] = L"QuelmboxScheduler";

} // namespace

WinScheduler::WinScheduler() {
    // A high-resolution timer where the system has them (Windows 10 1803 and
    // later), else an ordinary one with the timer resolution raised to 1 ms.
    waitable_ = ::CreateWaitableTimerExW(nullptr, nullptr, CREATE_WAITABLE_TIMER_HIGH_RESOLUTION, TIMER_ALL_ACCESS);
    if (waitable_ == nullptr) {
        raisedResolution_ = ::timeBeginPeriod(1) == TIMERR_NOERROR;
        waitable_ = ::CreateWaitableTimerExW(nullptr, nullptr, 0, TIMER_ALL_ACCESS);
    }
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = helperProc;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.lpszClassName = kHelperClass;
    ::RegisterClassExW(&wc);
    helper_ = ::CreateWindowExW(0, kHelperClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr);
    if (helper_) {
        ::SetWindowLongPtrW(helper_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
        ::SetTimer(helper_, kModalTimer, kModalTimerMs, nullptr);
    }
}

WinScheduler::~WinScheduler() {
    if (helper_) ::DestroyWindow(helper_);
    if (waitable_) ::CloseHandle(waitable_);
    if (raisedResolution_) ::timeEndPeriod(1);
}

std::int64_t WinScheduler::nowUs() const { return platform::monotonicNowUs(); }

void WinScheduler::sleepUs(std::int64_t us) { platform::SleepForUs(us); }

Scheduler::TimerId WinScheduler::startTimer(int intervalMs, std::function<void()> tick) {
    return timers_.start(nowUs(), intervalMs, std::move(tick));
}

void WinScheduler::stopTimer(TimerId id) { timers_.stop(id); }

// The system timer reaches this window through our own loop too, which
// passes it by: here it only ever comes from a loop of the system's.
LRESULT CALLBACK WinScheduler::helperProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_TIMER && wParam == kModalTimer) {
        auto* self = reinterpret_cast<WinScheduler*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
        if (self) self->runDue();
        return 0;
    }
    return ::DefWindowProcW(hwnd, message, wParam, lParam);
}

void WinScheduler::runDue() {
    if (inTick_) return; // a tick never runs inside another
    inTick_ = true;
    timers_.runDue(nowUs());
    inTick_ = false;
}

void WinScheduler::pumpMessages() {
    MSG msg;
    while (!quitting_ && ::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            quitting_ = true;
            break;
        }
        if (msg.hwnd == helper_ && msg.message == WM_TIMER) continue;
        if (preTranslate && preTranslate(msg)) continue;
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
}

// Sleeps until the next timer is due or a message comes, whichever first.
void WinScheduler::wait(std::int64_t us) {
    DWORD timeout = INFINITE;
    LARGE_INTEGER due{};
    due.QuadPart = -us * 10; // relative, in 100 ns units
    if (waitable_ == nullptr || !::SetWaitableTimer(waitable_, &due, 0, nullptr, nullptr, FALSE))
        timeout = static_cast<DWORD>((us + 999) / 1000);
    const DWORD count = timeout == INFINITE ? 1 : 0;
    ::MsgWaitForMultipleObjectsEx(count, &waitable_, timeout, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
}

bool WinScheduler::runUntil(const std::function<bool()>& done, std::int64_t limitMs) {
    const std::int64_t deadlineUs = nowUs() + limitMs * 1000;
    while (!done()) {
        pumpMessages();
        if (quitting_) return done();
        if (done()) return true;
        const std::int64_t now = nowUs();
        if (now >= deadlineUs) return false;
        // Called from a tick, the loop handles messages only: the ticks wait
        // for that tick to end.
        const std::int64_t waitUs =
            inTick_ ? std::max<std::int64_t>(timers_.waitUs(now, deadlineUs), 1000) : timers_.waitUs(now, deadlineUs);
        if (waitUs == 0)
            runDue();
        else
            wait(std::min(waitUs, deadlineUs - now));
    }
    return true;
}

} // namespace quelm::win
