#include "platform/clock.h"

#include <cerrno>
#include <ctime>

namespace quelm::platform {

namespace {

// The steady clock is CLOCK_MONOTONIC: an absolute deadline on it, so a
// signal that interrupts the sleep does not stretch it.
timespec deadline(std::int64_t untilUs) {
    timespec until{};
    until.tv_sec = static_cast<time_t>(untilUs / 1'000'000);
    until.tv_nsec = static_cast<long>(untilUs % 1'000'000) * 1000;
    return until;
}

} // namespace

void SleepUntilUs(std::int64_t untilUs) {
    const timespec until = deadline(untilUs);
    while (::clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &until, nullptr) == EINTR) {}
}

bool SleepUntilUsOrInterrupted(std::int64_t untilUs) {
    const timespec until = deadline(untilUs);
    return ::clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &until, nullptr) != EINTR;
}

} // namespace quelm::platform
