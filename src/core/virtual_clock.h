#pragma once
// A scheduler whose time moves only when told to: tests and the fast
// simulation run whole operations in microseconds, the same way every time.
#include "core/scheduler.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

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
    // The next tick of a timer whose interval is at least `minIntervalMs`;
    // INT64_MAX when none runs.
    std::int64_t nextDueUs(int minIntervalMs) const;
    // Moves the clock on to `us` without running the ticks due before then:
    // every timer keeps its phase and ticks next at its first due time from
    // `us` on. For a caller that knows those ticks would change nothing.
    void skipTo(std::int64_t us);

private:
    // A handful of timers run at once: a flat list, scanned for the next
    // due, costs less per tick than ordered trees and copies in one go. The
    // tick is shared so that copying the clock or running a tick that stops
    // its own timer never copies the function.
    struct Entry {
        TimerId id;
        std::int64_t intervalUs;
        std::int64_t dueUs;
        std::shared_ptr<const std::function<void()>> tick;
    };
    // Runs the earliest tick due at or before `untilUs`; false when none is.
    bool runOne(std::int64_t untilUs);

    std::int64_t now_ = 0;
    TimerId nextId_ = 1;
    std::vector<Entry> timers_; // in start order: ties of due time run in that order
};

} // namespace quelm
