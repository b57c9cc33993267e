#pragma once
// The real clock: "now" on the steady clock, which the schedulers, the
// serial port and the pseudo-terminal bridge all stamp their events with, so
// times taken on either side compare; and waits that end on time. Windows'
// default timer tick is 15.6 ms, far too coarse for the 1 ms pause between
// the bytes of a frame, so the wait there is a high-resolution one.
#include <chrono>
#include <cstdint>

namespace quelm::platform {

inline std::int64_t monotonicNowUs() {
    using namespace std::chrono;
    return duration_cast<microseconds>(steady_clock::now().time_since_epoch()).count();
}

// Sleeps the calling thread until monotonicNowUs() reaches `untilUs`; a
// signal that interrupts the wait does not cut it short.
void SleepUntilUs(std::int64_t untilUs);

// The same, but the wait ends early, with false, when a signal or a request
// to end (platform/stop_signals.h) comes meanwhile.
bool SleepUntilUsOrInterrupted(std::int64_t untilUs);

inline void SleepForUs(std::int64_t us) {
    if (us > 0) SleepUntilUs(monotonicNowUs() + us);
}

} // namespace quelm::platform
