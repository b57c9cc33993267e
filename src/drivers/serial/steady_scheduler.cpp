#include "drivers/serial/steady_scheduler.h"

#include "platform/clock.h"

#include <algorithm>
#include <tuple>
#include <utility>
#include <vector>

namespace quelm {

std::int64_t SteadyScheduler::nowUs() const { return platform::monotonicNowUs(); }

void SteadyScheduler::sleepUs(std::int64_t us) { platform::SleepForUs(us); }

Scheduler::TimerId SteadyScheduler::startTimer(int intervalMs, std::function<void()> tick) {
    const TimerId id = nextId_++;
    const std::int64_t intervalUs = std::int64_t{std::max(intervalMs, 0)} * 1000;
    timers_.emplace(id, Timer{intervalUs, nowUs() + intervalUs, nextOrder_++,
                              std::make_shared<std::function<void()>>(std::move(tick))});
    return id;
}

void SteadyScheduler::stopTimer(TimerId id) { timers_.erase(id); }

std::int64_t SteadyScheduler::nextDueUs(std::int64_t otherwise) const {
    std::int64_t next = otherwise;
    for (const auto& [id, timer] : timers_) next = std::min(next, timer.dueUs);
    return next;
}

void SteadyScheduler::runDue(std::int64_t nowUs) {
    std::vector<std::tuple<std::int64_t, std::uint64_t, TimerId>> due;
    for (const auto& [id, timer] : timers_)
        if (timer.dueUs <= nowUs) due.emplace_back(timer.dueUs, timer.order, id);
    std::sort(due.begin(), due.end());
    for (const auto& [dueUs, order, id] : due) {
        const auto it = timers_.find(id);
        if (it == timers_.end()) continue; // stopped by a tick before it
        Timer& timer = it->second;
        timer.dueUs += timer.intervalUs;
        if (timer.dueUs < nowUs) timer.dueUs = nowUs + timer.intervalUs;
        timer.order = nextOrder_++;
        // Held alive while it runs, even when it stops its own timer.
        const std::shared_ptr<std::function<void()>> tick = timer.tick;
        (*tick)();
    }
}

bool SteadyScheduler::runUntil(const std::function<bool()>& done, std::int64_t limitMs) {
    const std::int64_t deadlineUs = nowUs() + limitMs * 1000;
    while (!done()) {
        const std::int64_t now = nowUs();
        if (now >= deadlineUs) return false;
        const std::int64_t next = nextDueUs(deadlineUs);
        // A request to end wakes the wait, so that `done` can see it at once.
        if (next > now)
            platform::SleepUntilUsOrInterrupted(std::min(next, deadlineUs));
        else
            runDue(now);
    }
    return true;
}

} // namespace quelm
