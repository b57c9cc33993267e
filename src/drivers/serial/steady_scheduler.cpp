#include "drivers/serial/steady_scheduler.h"

#include "platform/clock.h"

#include <algorithm>
#include <utility>

namespace quelm {

std::int64_t SteadyScheduler::nowUs() const { return platform::monotonicNowUs(); }

void SteadyScheduler::sleepUs(std::int64_t us) { platform::SleepForUs(us); }

Scheduler::TimerId SteadyScheduler::startTimer(int intervalMs, std::function<void()> tick) {
    return timers_.start(nowUs(), intervalMs, std::move(tick));
}

void SteadyScheduler::stopTimer(TimerId id) { timers_.stop(id); }

bool SteadyScheduler::runUntil(const std::function<bool()>& done, std::int64_t limitMs) {
    const std::int64_t deadlineUs = nowUs() + limitMs * 1000;
    while (!done()) {
        const std::int64_t now = nowUs();
        if (now >= deadlineUs) return false;
        const std::int64_t next = timers_.nextDueUs(deadlineUs);
        // A request to end wakes the wait, so that `done` can see it at once.
        if (next > now)
            platform::SleepUntilUsOrInterrupted(std::min(next, deadlineUs));
        else
            timers_.runDue(now);
    }
    return true;
}

} // namespace quelm
