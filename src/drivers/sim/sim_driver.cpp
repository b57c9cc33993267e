// The vendor-driver calls on the simulated box. Only device index 0 exists,
// one session at a time; the read waits on the scheduler's clock.
#include "drivers/sim/sim_driver.h"

namespace quelm::sim {

std::uint32_t SimDriver::open(int index, DeviceHandle& handle) {
    if (!box_.plugged() || index != 0) {
        open_ = false;
        return kDeviceNotFound;
    }
    if (open_) return kDeviceNotOpened;
    open_ = true;
    handle_ = nextHandle_++;
    handle = handle_;
    return kOk;
}

std::uint32_t SimDriver::close(DeviceHandle handle) {
    if (!open_ || handle != handle_) return kInvalidHandle;
    open_ = false;
    return kOk;
}

std::uint32_t SimDriver::check(DeviceHandle handle) {
    if (!box_.plugged()) {
        open_ = false;
        return kIoError;
    }
    return open_ && handle == handle_ ? kOk : kInvalidHandle;
}

std::uint32_t SimDriver::setBaudRate(DeviceHandle handle, std::uint32_t baud) {
    const std::uint32_t status = check(handle);
    if (status == kOk) baud_ = baud;
    return status;
}

std::uint32_t SimDriver::setDataCharacteristics(DeviceHandle handle, int, int, int) { return check(handle); }

std::uint32_t SimDriver::setTimeouts(DeviceHandle handle, int readMs, int writeMs) {
    const std::uint32_t status = check(handle);
    if (status == kOk) {
        readTimeoutMs_ = readMs;
        writeTimeoutMs_ = writeMs;
    }
    return status;
}

std::uint32_t SimDriver::writeByte(DeviceHandle handle, std::uint8_t byte, std::uint32_t& written) {
    written = 0;
    const std::uint32_t status = check(handle);
    if (status != kOk) return status;
    box_.hostByte(clock_.nowUs(), byte);
    written = 1;
    return kOk;
}

// A byte that arrives within the read time-out ends the wait early; with
// none, the read sleeps the whole time-out. A time-out of 0 or less does not
// wait at all (the simulation never blocks without end).
std::uint32_t SimDriver::readByte(DeviceHandle handle, std::uint8_t& byte, std::uint32_t& count) {
    count = 0;
    const std::uint32_t status = check(handle);
    if (status != kOk) return status;
    const std::int64_t now = clock_.nowUs();
    const std::int64_t timeoutUs = readTimeoutMs_ > 0 ? std::int64_t{readTimeoutMs_} * 1000 : 0;
    const std::optional<std::int64_t> next = box_.nextArrivalUs();
    if (next && *next <= now + timeoutUs) {
        clock_.sleepUs(*next - now);
        if (box_.takeByte(clock_.nowUs(), byte)) count = 1;
        return kOk;
    }
    clock_.sleepUs(timeoutUs);
    return kOk;
}

std::uint32_t SimDriver::getStatus(DeviceHandle handle, std::uint32_t& rxQueue, std::uint32_t& txQueue,
                                   std::uint32_t& events) {
    const std::uint32_t status = check(handle);
    if (status != kOk) return status;
    rxQueue = static_cast<std::uint32_t>(box_.pending(clock_.nowUs()));
    txQueue = 0;
    events = 0;
    return kOk;
}

std::uint32_t SimDriver::countDevices(std::uint32_t& count) {
    count = box_.deviceCount();
    return kOk;
}

} // namespace quelm::sim
