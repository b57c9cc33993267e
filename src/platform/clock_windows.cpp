#include "platform/clock.h"

#include "platform/windows_events.h"

#include <windows.h>

#include <mmsystem.h>

#ifndef CREATE_WAITABLE_TIMER_HIGH_RESOLUTION
#define CREATE_WAITABLE_TIMER_HIGH_RESOLUTION 0x00000002
#endif

namespace quelm::platform {
namespace {

// One waitable timer per thread: a high-resolution one where the system has
// them (Windows 10 1803 and later), else an ordinary one with the system's
// timer resolution raised to 1 ms for as long as the program runs.
HANDLE threadTimer() {
    struct Timer {
        HANDLE handle = nullptr;
        bool raisedResolution = false;
        Timer() {
            handle =
                ::CreateWaitableTimerExW(nullptr, nullptr, CREATE_WAITABLE_TIMER_HIGH_RESOLUTION, TIMER_ALL_ACCESS);
            if (handle) return;
            raisedResolution = ::timeBeginPeriod(1) == TIMERR_NOERROR;
            handle = ::CreateWaitableTimerExW(nullptr, nullptr, 0, TIMER_ALL_ACCESS);
        }
        ~Timer() {
            if (handle) ::CloseHandle(handle);
            if (raisedResolution) ::timeEndPeriod(1);
        }
    };
    thread_local Timer timer;
    return timer.handle;
}

} // namespace

void* StopRequestEvent() {
    static const HANDLE event = ::CreateEventW(nullptr, FALSE, FALSE, nullptr);
    return event;
}

bool SleepUntilUsOrInterrupted(std::int64_t untilUs) {
    const HANDLE timer = threadTimer();
    const std::int64_t left = untilUs - monotonicNowUs();
    if (left <= 0) return true;
    LARGE_INTEGER due{};
    due.QuadPart = -left * 10;
    if (!timer || !::SetWaitableTimer(timer, &due, 0, nullptr, nullptr, FALSE)) {
        SleepUntilUs(untilUs);
        return true;
    }
    const HANDLE both[] = {timer, StopRequestEvent()};
    return ::WaitForMultipleObjects(2, both, FALSE, INFINITE) == WAIT_OBJECT_0;
}

void SleepUntilUs(std::int64_t untilUs) {
    const HANDLE timer = threadTimer();
    for (std::int64_t left = untilUs - monotonicNowUs(); left > 0; left = untilUs - monotonicNowUs()) {
        LARGE_INTEGER due{};
        due.QuadPart = -left * 10; // relative, in 100 ns units
        if (!timer || !::SetWaitableTimer(timer, &due, 0, nullptr, nullptr, FALSE)) {
            ::Sleep(static_cast<DWORD>((left + 999) / 1000));
            continue;
        }
        ::WaitForSingleObject(timer, INFINITE);
    }
}

} // namespace quelm::platform
