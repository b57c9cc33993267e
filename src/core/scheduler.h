#pragma once
// The clock and the timers every handler runs on. Two implementations: the
// Qt event loop with precise timers (drivers/serial) and a virtual clock for
// tests and fast simulation (core/virtual_clock.h).
#include <cstdint>
#include <functional>

namespace quelm {

class Scheduler {
public:
    using TimerId = int;
    virtual ~Scheduler() = default;

    // Microseconds since an arbitrary origin; monotonic.
    virtual std::int64_t nowUs() const = 0;

    // Blocking wait inside a handler (the pause between the bytes of a frame,
    // a driver's read time-out). Never runs a timer tick.
    virtual void sleepUs(std::int64_t us) = 0;
    void pauseMs(int ms) { sleepUs(std::int64_t{ms} * 1000); }

    // A periodic timer: `tick` runs every intervalMs after the start, always
    // from the scheduler's own loop, never inside another handler.
    virtual TimerId startTimer(int intervalMs, std::function<void()> tick) = 0;
    virtual void stopTimer(TimerId id) = 0;

    // Runs the timers (and, on the event loop, everything else that comes)
    // until `done()` holds, checked after every tick, or `limitMs` have
    // passed on this clock. Returns whether `done()` held.
    virtual bool runUntil(const std::function<bool()>& done, std::int64_t limitMs) = 0;
};

} // namespace quelm
