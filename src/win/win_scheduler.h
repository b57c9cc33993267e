#pragma once
// The scheduler of the Windows window: the model's timers on the window's
// own thread, run by the message loop. Between messages the loop sleeps on a
// high-resolution waitable timer set for the next timer that falls due, and
// wakes at once for any message (MsgWaitForMultipleObjectsEx), so that the
// 10 ms reply poll keeps 10 ms instead of the system's 15.6 ms tick. Ticks
// run from the loop only, never inside another message's handler. While the
// system runs a loop of its own (a menu open, the window dragged, a message
// box), a 10 ms system timer keeps the ticks going.
#include "core/scheduler.h"
#include "core/timer_table.h"

#include <windows.h>

#include <functional>

namespace quelm::win {

class WinScheduler final : public Scheduler {
public:
    WinScheduler();
    ~WinScheduler() override;
    WinScheduler(const WinScheduler&) = delete;
    WinScheduler& operator=(const WinScheduler&) = delete;

    std::int64_t nowUs() const override;
    // Sleeps the thread (the 1 ms pause between bytes, on the same
    // high-resolution wait the command line uses); no message is handled.
    void sleepUs(std::int64_t us) override;
    TimerId startTimer(int intervalMs, std::function<void()> tick) override;
    void stopTimer(TimerId id) override;
    // The message loop: messages and ticks until `done()` holds, the limit
    // has passed, or the program is asked to quit.
    bool runUntil(const std::function<bool()>& done, std::int64_t limitMs) override;

    // Seen before each message is translated and dispatched; true when it
    // has been handled (keys the window sees first, dialog navigation).
    std::function<bool(MSG&)> preTranslate;
    // WM_QUIT came: every loop ends.
    bool quitting() const { return quitting_; }

private:
    static LRESULT CALLBACK helperProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    void pumpMessages();
    void runDue();
    void wait(std::int64_t us);

    TimerTable timers_;
    HANDLE waitable_ = nullptr;
    bool raisedResolution_ = false;
    HWND helper_ = nullptr; // message-only window of the system timer
    bool inTick_ = false;
    bool quitting_ = false;
};

} // namespace quelm::win
