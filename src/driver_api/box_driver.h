#pragma once
// The device calls the link makes, in the shape of the vendor's USB-serial
// driver: every call returns a status (0 = OK) and never throws. Backends:
// the serial driver (drivers/serial) and the simulated box (drivers/sim).
#include <cstdint>
#include <string>

namespace quelm {

using DeviceHandle = std::uint32_t;

// Status values as the vendor driver numbers them.
enum BoxStatus : std::uint32_t {
    kOk = 0,
    kInvalidHandle = 1,
    kDeviceNotFound = 2,
    kDeviceNotOpened = 3,
    kIoError = 4,
    kOtherError = 18,
};

class BoxDriver {
public:
    virtual ~BoxDriver() = default;

    // Opens device `index`. On success writes the handle; on failure leaves it
    // as it was. Opening a device that is already open fails and leaves the
    // open session as it is.
    virtual std::uint32_t open(int index, DeviceHandle& handle) = 0;
    virtual std::uint32_t close(DeviceHandle handle) = 0;
    virtual std::uint32_t setBaudRate(DeviceHandle handle, std::uint32_t baud) = 0;
    // wordLength 8; stopBits 0 = one stop bit; parity 0 = none.
    virtual std::uint32_t setDataCharacteristics(DeviceHandle handle, int wordLength, int stopBits, int parity) = 0;
    virtual std::uint32_t setTimeouts(DeviceHandle handle, int readMs, int writeMs) = 0;
    // Writes one byte and pushes it to the line at once.
    virtual std::uint32_t writeByte(DeviceHandle handle, std::uint8_t byte, std::uint32_t& written) = 0;
    // Reads one byte. With nothing queued it returns after the read time-out
    // with count 0 and `byte` unchanged.
    virtual std::uint32_t readByte(DeviceHandle handle, std::uint8_t& byte, std::uint32_t& count) = 0;
    // Bytes waiting in the receive and transmit queues; the event word.
    virtual std::uint32_t getStatus(DeviceHandle handle, std::uint32_t& rxQueue, std::uint32_t& txQueue,
                                    std::uint32_t& events) = 0;
    // Number of attached boxes.
    virtual std::uint32_t countDevices(std::uint32_t& count) = 0;
    // Why the most recent call failed, or why a count found no box, in a
    // few English words naming the device ("/dev/ttyUSB0: busy, another
    // program holds it"); empty otherwise, and always for a driver with
    // nothing to add to its statuses.
    virtual std::string lastError() const { return {}; }
    // What the last successful open arranged beyond the vendor driver's
    // calls ("low latency on /dev/ttyUSB0: latency timer 1 ms"), for the
    // trace; empty when there is nothing to say.
    virtual std::string openNote() const { return {}; }
};

} // namespace quelm
