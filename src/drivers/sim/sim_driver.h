#pragma once
// The BoxDriver calls on a simulated box, on a Scheduler's clock: a read with
// nothing queued waits for the next byte up to the read time-out (by
// sleeping on the scheduler, so the virtual clock moves and nothing else
// runs); writes go to the box at the current time.
#include "core/scheduler.h"
#include "driver_api/box_driver.h"
#include "drivers/sim/sim_box.h"

namespace quelm::sim {

class SimDriver final : public BoxDriver {
public:
    SimDriver(SimBox& box, Scheduler& clock) : box_(box), clock_(clock) {}

    std::uint32_t open(int index, DeviceHandle& handle) override;
    std::uint32_t close(DeviceHandle handle) override;
    std::uint32_t setBaudRate(DeviceHandle handle, std::uint32_t baud) override;
    std::uint32_t setDataCharacteristics(DeviceHandle handle, int wordLength, int stopBits, int parity) override;
    std::uint32_t setTimeouts(DeviceHandle handle, int readMs, int writeMs) override;
    std::uint32_t writeByte(DeviceHandle handle, std::uint8_t byte, std::uint32_t& written) override;
    std::uint32_t readByte(DeviceHandle handle, std::uint8_t& byte, std::uint32_t& count) override;
    std::uint32_t getStatus(DeviceHandle handle, std::uint32_t& rxQueue, std::uint32_t& txQueue,
                            std::uint32_t& events) override;
    std::uint32_t countDevices(std::uint32_t& count) override;

    bool isOpen() const { return open_; }
    int readTimeoutMs() const { return readTimeoutMs_; }
    std::uint32_t baudRate() const { return baud_; }

private:
    // OK for the open session's handle while the box is plugged in. A call
    // while the box is unplugged fails with kIoError and ends the session.
    std::uint32_t check(DeviceHandle handle);

    SimBox& box_;
    Scheduler& clock_;
    bool open_ = false;
    DeviceHandle handle_ = 0;
    DeviceHandle nextHandle_ = 0x1000;
    int readTimeoutMs_ = 0;
    int writeTimeoutMs_ = 0;
    std::uint32_t baud_ = 0;
};

} // namespace quelm::sim
