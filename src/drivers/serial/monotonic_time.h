#pragma once
// The one wall clock of the real-time side: the scheduler on the Qt event
// loop and the pseudo-terminal bridge stamp their events with it, so times
// taken on either side compare.
#include <chrono>
#include <cstdint>

namespace quelm {

inline std::int64_t monotonicNowUs() {
    using namespace std::chrono;
    return duration_cast<microseconds>(steady_clock::now().time_since_epoch()).count();
}

} // namespace quelm
