#pragma once
// The scheduler of the command line: periodic timers on the steady clock,
// run by the one thread that calls runUntil, which sleeps until the next
// timer is due. No event loop and no Qt. The timers behave as the window's
// precise Qt timers do: those due together tick in the order they fell due
// (in the order they were started, when that is the same), each at most once
// per pass, and one that falls behind skips the ticks it missed instead of
// running them in a burst.
#include "core/scheduler.h"
#include "core/timer_table.h"

#include <cstddef>
#include <functional>

namespace quelm {

class SteadyScheduler final : public Scheduler {
public:
    std::int64_t nowUs() const override;
    // Sleeps the thread; no timer tick runs meanwhile.
    void sleepUs(std::int64_t us) override;
    TimerId startTimer(int intervalMs, std::function<void()> tick) override;
    // Safe from anywhere, the timer's own tick included: that tick finishes,
    // and no further tick of the timer runs.
    void stopTimer(TimerId id) override;
    bool runUntil(const std::function<bool()>& done, std::int64_t limitMs) override;

    std::size_t runningTimers() const { return timers_.size(); }

private:
    TimerTable timers_;
};

} // namespace quelm
