#pragma once
// A scheduler whose time moves only when told to: tests and the fast
// simulation run whole operations in microseconds, the same way every time.
#include "core/scheduler.h"

#include <cstdint>
#include <functional>
#include <map>
#include <set>
#include <utility>

namespace quelm {

class VirtualClock final : public Scheduler {
public:
    std::int64_t nowUs() const override { return now_; }
    void sleepUs(std::int64_t us) override;
    TimerId startTimer(int intervalMs, std::function<void()> tick) override;
    void stopTimer(TimerId id) override;

    // Runs every tick due within the next `ms` milliseconds, in time order,
    // then leaves the clock at now + ms.
    void advanceMs(std::int64_t ms);
    // Runs ticks until no timer is running or `limitMs` have passed.
    // Returns true when it stopped because nothing was left to run.
    bool runUntilIdle(std::int64_t limitMs);
    bool runUntil(const std::function<bool()>& done, std::int64_t limitMs) override;
    // Timers started and not stopped.
    std::size_t timersRunning() const { return timers_.size(); }

private:
    struct Entry {
        std::int64_t intervalUs;
        std::int64_t dueUs;
        std::function<void()> tick;
    };
    // Runs the earliest tick due at or before `untilUs`; false when none is.
    bool runOne(std::int64_t untilUs);

    std::int64_t now_ = 0;
    TimerId nextId_ = 1;
    std::map<TimerId, Entry> timers_;
    std::set<std::pair<std::int64_t, TimerId>> queue_; // (due, id): ties run in start order
};

} // namespace quelm
