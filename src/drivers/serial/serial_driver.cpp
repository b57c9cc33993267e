#include "drivers/serial/serial_driver.h"

#include "platform/usb_ports.h"

#include <algorithm>
#include <utility>
#include <vector>

namespace quelm {
namespace {

using platform::SerialError;
using platform::SerialFault;

// The ports of the attached FTDI adapters (USB vendor id 0x0403), in a stable order.
std::vector<std::string> ftdiPorts() { return platform::UsbSerialPorts("0403"); }

// Why a call on `path` failed, in words a technician can act on.
std::string reasonFor(const std::string& path, const SerialError& error) {
    switch (error.fault) {
    case SerialFault::none: return {};
    case SerialFault::noSuchPort: return path + ": no such device (is the adapter plugged in?)";
    case SerialFault::busy: return path + ": busy, another program holds it";
    case SerialFault::permission:
        return path + ": permission denied" + (error.detail.empty() ? "" : " (" + error.detail + ")");
    case SerialFault::notSerialPort: return path + ": not a serial port";
    case SerialFault::gone: return path + ": the adapter is gone";
    case SerialFault::unsupported: return path + ": line setting not supported";
    case SerialFault::other: break;
    }
    return path + ": " + error.detail;
}

// A failed open: "not found" when there is no such port or it went away.
std::uint32_t openStatus(const SerialError& error) {
    return error.fault == SerialFault::noSuchPort || error.fault == SerialFault::gone ? kDeviceNotFound
                                                                                      : kDeviceNotOpened;
}

// A failed call on the open port: a setting it cannot take, or the I/O.
std::uint32_t callStatus(const SerialError& error) {
    return error.fault == SerialFault::unsupported ? kOtherError : kIoError;
}

} // namespace

SerialDriver::SerialDriver(std::string port) : name_(std::move(port)) {}

SerialDriver::~SerialDriver() {
    if (port_.isOpen()) close(handle_);
}

std::string SerialDriver::devicePath(int index) const {
    if (!name_.empty()) return index == 0 ? name_ : std::string{};
    const std::vector<std::string> ports = ftdiPorts();
    if (index < 0 || static_cast<std::size_t>(index) >= ports.size()) return {};
    return ports[static_cast<std::size_t>(index)];
}

std::uint32_t SerialDriver::fail(std::uint32_t status, const SerialError& error) {
    return fail(status, reasonFor(path_, error));
}

std::uint32_t SerialDriver::fail(std::uint32_t status, const std::string& reason) {
    lastError_ = reason;
    return status;
}

std::uint32_t SerialDriver::open(int index, DeviceHandle& handle) {
    if (port_.isOpen()) return fail(kDeviceNotOpened, std::string()); // the open session goes on untouched
    const std::string path = devicePath(index);
    if (path.empty()) {
        return fail(kDeviceNotFound,
                    name_.empty() ? std::string("no FTDI adapter attached") : name_ + ": only device 0 can be opened");
    }
    path_ = path;
    SerialError error;
    if (!port_.open(path, error)) return fail(openStatus(error), error);
    openNote_ = port_.requestLowLatency(path);
    if (++lastHandle_ == 0) ++lastHandle_;
    handle_ = lastHandle_;
    readTimeoutMs_ = 0;
    writeTimeoutMs_ = 0;
    handle = handle_;
    return succeed();
}

std::uint32_t SerialDriver::close(DeviceHandle handle) {
    if (!isSession(handle)) return notOpen();
    handle_ = 0;
    SerialError error;
    return port_.close(error) ? succeed() : fail(kIoError, error);
}

std::uint32_t SerialDriver::notOpen() { return fail(kInvalidHandle, (path_.empty() ? name_ : path_) + ": not open"); }

std::uint32_t SerialDriver::setBaudRate(DeviceHandle handle, std::uint32_t baud) {
    if (!isSession(handle)) return notOpen();
    SerialError error;
    return port_.setSpeed(baud, error) ? succeed() : fail(callStatus(error), error);
}

std::uint32_t SerialDriver::setDataCharacteristics(DeviceHandle handle, int wordLength, int stopBits, int parity) {
    if (!isSession(handle)) return notOpen();
    SerialError error;
    return port_.setFraming(wordLength, stopBits, parity, error) ? succeed() : fail(callStatus(error), error);
}

std::uint32_t SerialDriver::setTimeouts(DeviceHandle handle, int readMs, int writeMs) {
    if (!isSession(handle)) return notOpen();
    readTimeoutMs_ = std::max(readMs, 0);
    writeTimeoutMs_ = std::max(writeMs, 0);
    return succeed();
}

std::uint32_t SerialDriver::writeByte(DeviceHandle handle, std::uint8_t byte, std::uint32_t& written) {
    written = 0;
    if (!isSession(handle)) return notOpen();
    SerialError error;
    // A write time-out is, like the vendor driver's, OK with nothing written.
    const int n = port_.writeByte(byte, writeTimeoutMs_, error);
    if (n < 0) return fail(kIoError, error);
    written = static_cast<std::uint32_t>(n);
    return succeed();
}

std::uint32_t SerialDriver::readByte(DeviceHandle handle, std::uint8_t& byte, std::uint32_t& count) {
    count = 0;
    if (!isSession(handle)) return notOpen();
    SerialError error;
    const int n = port_.readByte(byte, readTimeoutMs_, error);
    if (n < 0) return fail(kIoError, error);
    count = static_cast<std::uint32_t>(n);
    return succeed();
}

std::uint32_t SerialDriver::getStatus(DeviceHandle handle, std::uint32_t& rxQueue, std::uint32_t& txQueue,
                                      std::uint32_t& events) {
    if (!isSession(handle)) return notOpen();
    SerialError error;
    if (!port_.queues(rxQueue, txQueue, error)) return fail(kIoError, error);
    events = 0;
    return succeed();
}

std::uint32_t SerialDriver::countDevices(std::uint32_t& count) {
    if (name_.empty()) {
        count = static_cast<std::uint32_t>(ftdiPorts().size());
        return succeed();
    }
    // A named port that is not a serial device counts no box, and the reason says why.
    const SerialError error = platform::ProbeSerialPort(name_);
    count = error.fault == SerialFault::none ? 1 : 0;
    if (count == 0) {
        lastError_ = reasonFor(name_, error);
        return kOk;
    }
    return succeed();
}

} // namespace quelm
