#include "platform/clock.h"

#include <cerrno>
#include <ctime>

namespace quelm::platform {

void SleepUntilUs(std::int64_t untilUs) {
    // The steady clock is CLOCK_MONOTONIC: an absolute deadline on it, so a
    // signal that interrupts the sleep does not stretch it.
    timespec until{};
    until.tv_sec = static_cast<time_t>(untilUs / 1'000'000);
    until.tv_nsec = static_cast<long>(untilUs % 1'000'000) * 1000;
    while (::clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &until, nullptr) == EINTR) {}
}

} // namespace quelm::platform
