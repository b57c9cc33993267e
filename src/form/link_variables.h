#pragma once
// The window-level variables of the link with the box.
#include "driver_api/box_driver.h"
#include "protocol/frame.h"

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace quelm {

struct LinkVariables {
    DeviceHandle deviceHandle = 0;  // written only by a successful open; never cleared
    std::uint32_t openStatus = 0;   // status of the last open
    std::uint32_t lastStatus = 0;   // status of the most recent other driver call
    std::uint32_t deviceCount = 0;  // boxes attached, from the last count
    std::uint32_t rxQueueCount = 0; // bytes waiting, from the last status query
    std::uint32_t txQueueCount = 0; // kept, never used
    std::uint32_t eventStatus = 0;  // kept, never used
    std::uint8_t ioByte = 0;        // the one-byte buffer of every write and read
    Frame rxFrame{};                // received bytes at positions 1 to 5; 0 unused
    std::uint64_t bytesFromBox = 0; // every byte read from the box, to tell silence from wrong answers
    // Why the port cannot be used, from the driver, when the last open
    // failed or the last count found none; empty otherwise.
    std::string portError;
    // When the request the decoder awaits went out; empty once a frame came.
    // Still set when an operation ends, its reply may yet come.
    std::optional<std::int64_t> unansweredSinceUs;
    // Told of every frame sent to the box and every frame taken from it, for
    // whoever follows the exchange from outside (a journal of the writes, a
    // read that checks the line answered each request once); empty when
    // nobody does.
    std::function<void(const Frame& frame, bool toBox)> frameWatch;
};

} // namespace quelm
