#pragma once
// The scheduler of the command line: periodic timers on the steady clock,
// run by the one thread that calls runUntil, which sleeps until the next
// timer is due. No event loop and no Qt. The timers behave as the window's
// precise Qt timers do: those due together tick in the order they fell due
// (in the order they were started, when that is the same), each at most once
// per pass, and one that falls behind skips the ticks it missed instead of
// running them in a burst.
#include "core/scheduler.h"

#include <cstddef>
#include <functional>
#include <map>
#include <memory>

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
    struct Timer {
        std::int64_t intervalUs;
        std::int64_t dueUs;
        std::uint64_t order; // among timers due at the same time, the earlier first
        std::shared_ptr<std::function<void()>> tick;
    };
    // Ticks once every timer that was due at `nowUs`, earliest first.
    void runDue(std::int64_t nowUs);
    // When the next timer falls due; `otherwise` when there is none.
    std::int64_t nextDueUs(std::int64_t otherwise) const;

    TimerId nextId_ = 1;
    std::uint64_t nextOrder_ = 0;
    std::map<TimerId, Timer> timers_;
};

} // namespace quelm
