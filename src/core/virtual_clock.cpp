#include "core/virtual_clock.h"

#include <algorithm>

namespace quelm {

void VirtualClock::sleepUs(std::int64_t us) {
    if (us > 0) now_ += us;
}

Scheduler::TimerId VirtualClock::startTimer(int intervalMs, std::function<void()> tick) {
    const TimerId id = nextId_++;
    const std::int64_t interval = std::max<std::int64_t>(1, intervalMs) * 1000;
    timers_[id] = Entry{interval, now_ + interval, std::move(tick)};
    queue_.insert({now_ + interval, id});
    return id;
}

void VirtualClock::stopTimer(TimerId id) {
    auto it = timers_.find(id);
    if (it == timers_.end()) return;
    queue_.erase({it->second.dueUs, id});
    timers_.erase(it);
}

bool VirtualClock::runOne(std::int64_t untilUs) {
    if (queue_.empty() || queue_.begin()->first > untilUs) return false;
    const auto [due, id] = *queue_.begin();
    queue_.erase(queue_.begin());
    now_ = std::max(now_, due);
    Entry& entry = timers_.at(id);
    // Re-arm before the tick, so that a tick that stops or restarts its own
    // timer sees the usual state. A tick that fell behind (a handler slept
    // past the next due time) is not repeated in a burst.
    entry.dueUs = std::max(due + entry.intervalUs, now_);
    queue_.insert({entry.dueUs, id});
    auto tick = entry.tick; // the entry may be erased by the tick itself
    tick();
    return true;
}

void VirtualClock::advanceMs(std::int64_t ms) {
    const std::int64_t until = now_ + ms * 1000;
    while (runOne(until)) {}
    now_ = std::max(now_, until);
}

bool VirtualClock::runUntilIdle(std::int64_t limitMs) {
    const std::int64_t until = now_ + limitMs * 1000;
    while (!timers_.empty() && runOne(until)) {}
    if (!timers_.empty()) now_ = std::max(now_, until);
    return timers_.empty();
}

bool VirtualClock::runUntil(const std::function<bool()>& done, std::int64_t limitMs) {
    const std::int64_t until = now_ + limitMs * 1000;
    while (!done()) {
        if (!runOne(until)) {
            now_ = std::max(now_, until);
            return done();
        }
    }
    return true;
}

} // namespace quelm
