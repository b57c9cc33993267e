#include "core/timer_table.h"

#include <algorithm>
#include <tuple>
#include <utility>
#include <vector>

namespace quelm {

Scheduler::TimerId TimerTable::start(std::int64_t nowUs, int intervalMs, std::function<void()> tick) {
    const Scheduler::TimerId id = nextId_++;
    const std::int64_t intervalUs = std::int64_t{std::max(intervalMs, 0)} * 1000;
    timers_.emplace(id, Timer{intervalUs, nowUs + intervalUs, nextOrder_++,
                              std::make_shared<std::function<void()>>(std::move(tick))});
    return id;
}

std::int64_t TimerTable::nextDueUs(std::int64_t otherwise) const {
    std::int64_t next = otherwise;
    for (const auto& [id, timer] : timers_) next = std::min(next, timer.dueUs);
    return next;
}

std::int64_t TimerTable::waitUs(std::int64_t nowUs, std::int64_t deadlineUs) const {
    return std::max<std::int64_t>(0, nextDueUs(deadlineUs) - nowUs);
}

int TimerTable::runDue(std::int64_t nowUs) {
    std::vector<std::tuple<std::int64_t, std::uint64_t, Scheduler::TimerId>> due;
    for (const auto& [id, timer] : timers_)
        if (timer.dueUs <= nowUs) due.emplace_back(timer.dueUs, timer.order, id);
    std::sort(due.begin(), due.end());
    int ticked = 0;
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
        ++ticked;
    }
    return ticked;
}

} // namespace quelm
