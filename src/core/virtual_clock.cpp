#include "core/virtual_clock.h"

#include <algorithm>
#include <cstdint>

namespace quelm {

void VirtualClock::sleepUs(std::int64_t us) {
    if (us > 0) now_ += us;
}

Scheduler::TimerId VirtualClock::startTimer(int intervalMs, std::function<void()> tick) {
    const TimerId id = nextId_++;
    const std::int64_t interval = std::max<std::int64_t>(1, intervalMs) * 1000;
    timers_.push_back(
        Entry{id, interval, now_ + interval, std::make_shared<const std::function<void()>>(std::move(tick))});
    return id;
}

void VirtualClock::stopTimer(TimerId id) {
    auto it = std::find_if(timers_.begin(), timers_.end(), [id](const Entry& e) { return e.id == id; });
    if (it != timers_.end()) timers_.erase(it);
}

std::int64_t VirtualClock::nextDueUs(int minIntervalMs) const {
    std::int64_t next = INT64_MAX;
    for (const Entry& e : timers_)
        if (e.intervalUs >= std::int64_t{minIntervalMs} * 1000) next = std::min(next, e.dueUs);
    return next;
}

void VirtualClock::skipTo(std::int64_t us) {
    if (us <= now_) return;
    for (Entry& e : timers_)
        if (e.dueUs < us) e.dueUs += (us - e.dueUs + e.intervalUs - 1) / e.intervalUs * e.intervalUs;
    now_ = us;
}

bool VirtualClock::runOne(std::int64_t untilUs) {
    // The earliest due; of equal ones the first started (ids only grow, so
    // the list stays in start order).
    Entry* next = nullptr;
    for (Entry& e : timers_)
        if (next == nullptr || e.dueUs < next->dueUs) next = &e;
    if (next == nullptr || next->dueUs > untilUs) return false;
    const std::int64_t due = next->dueUs;
    now_ = std::max(now_, due);
    // Re-arm before the tick, so that a tick that stops or restarts its own
    // timer sees the usual state. A tick that fell behind (a handler slept
    // past the next due time) is not repeated in a burst.
    next->dueUs = std::max(due + next->intervalUs, now_);
    const auto tick = next->tick; // the entry may be erased by the tick itself
    (*tick)();
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
