#pragma once
// The box driver on real hardware: a serial port of the system (an FTDI
// USB-serial adapter, or any named port, a pseudo-terminal or a COM port
// included). One session at a time, on device 0 of the chosen source; every
// call returns a status and never throws, and a device that goes away
// mid-session only makes the calls fail with kIoError. The port is held
// exclusively while the session lasts, so a second program cannot talk to
// the box in between; lastError() says in words why the last call failed.
#include "driver_api/box_driver.h"
#include "platform/serial_port.h"

#include <string>

namespace quelm {

class SerialDriver final : public BoxDriver {
public:
    // With `port` empty, device N is the N-th FTDI adapter (USB vendor id
    // 0x0403) in the order of its port name; otherwise device 0 is `port`.
    explicit SerialDriver(std::string port = {});
    ~SerialDriver() override;
    SerialDriver(const SerialDriver&) = delete;
    SerialDriver& operator=(const SerialDriver&) = delete;

    std::uint32_t open(int index, DeviceHandle& handle) override;
    std::uint32_t close(DeviceHandle handle) override;
    std::uint32_t setBaudRate(DeviceHandle handle, std::uint32_t baud) override;
    std::uint32_t setDataCharacteristics(DeviceHandle handle, int wordLength, int stopBits, int parity) override;
    // Time-outs in milliseconds. 0 means "do not wait": unlike the vendor
    // driver there is never an endless wait, which would freeze the window.
    std::uint32_t setTimeouts(DeviceHandle handle, int readMs, int writeMs) override;
    std::uint32_t writeByte(DeviceHandle handle, std::uint8_t byte, std::uint32_t& written) override;
    std::uint32_t readByte(DeviceHandle handle, std::uint8_t& byte, std::uint32_t& count) override;
    std::uint32_t getStatus(DeviceHandle handle, std::uint32_t& rxQueue, std::uint32_t& txQueue,
                            std::uint32_t& events) override;
    std::uint32_t countDevices(std::uint32_t& count) override;
    // "<port>: permission denied (...)", "<port>: busy, another program holds
    // it", "<port>: not a serial port", "<port>: the adapter is gone", ...
    std::string lastError() const override { return lastError_; }
    // What the last open got when it asked for low latency.
    std::string openNote() const override { return openNote_; }

    bool isOpen() const { return port_.isOpen(); }
    // Path of device `index`, empty when there is none.
    std::string devicePath(int index) const;

private:
    // Whether `handle` is the open session's.
    bool isSession(DeviceHandle handle) const { return port_.isOpen() && handle == handle_; }
    // Keeps the reason for `error` on the session's port and returns `status`.
    std::uint32_t fail(std::uint32_t status, const platform::SerialError& error);
    std::uint32_t fail(std::uint32_t status, const std::string& reason);
    std::uint32_t notOpen(); // kInvalidHandle, with its reason
    std::uint32_t succeed() {
        lastError_.clear();
        return kOk;
    }

    std::string name_;
    platform::SerialPort port_;
    std::string path_; // the port of the open session, or of the last open tried
    DeviceHandle handle_ = 0;
    DeviceHandle lastHandle_ = 0; // handles count up from 1, so a stale one never matches
    int readTimeoutMs_ = 0;
    int writeTimeoutMs_ = 0;
    std::string lastError_;
    std::string openNote_;
};

} // namespace quelm
