#pragma once
// The box driver on real hardware: a Linux tty (an FTDI USB-serial adapter,
// or any named port, a pseudo-terminal included) driven with POSIX termios.
// One session at a time, on device 0 of the chosen source; every call
// returns a status and never throws, and a device that goes away mid-session
// only makes the calls fail with kIoError. The port is held exclusively
// while the session lasts (TIOCEXCL and a lock on the device node), so a
// second program cannot talk to the box in between; lastError() says in
// words why the last call failed.
#include "link/box_driver.h"

#include <string>

namespace quelm {

class SerialDriver final : public BoxDriver {
public:
    // With `port` empty, device N is the N-th FTDI adapter (USB vendor id
    // 0x0403) in the order of its device path; otherwise device 0 is `port`.
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

    bool isOpen() const { return fd_ >= 0; }
    // Path of device `index`, empty when there is none.
    std::string devicePath(int index) const;

private:
    // The session's fd for `handle`, or -1 when the handle is not the open one.
    int fdOf(DeviceHandle handle) const;
    // Reads the line settings, lets `change` edit them and writes them back.
    template <class F>
    std::uint32_t editLine(DeviceHandle handle, F change);
    void dropSession();
    // Opens and checks `path`, taking it for this process alone; the
    // descriptor, or -1 with the status in `status` and the reason kept.
    int openPort(const std::string& path, std::uint32_t& status);
    // Keeps the reason for `err` (an errno value) on the session's port and
    // returns `status`.
    std::uint32_t fail(std::uint32_t status, int err);
    std::uint32_t fail(std::uint32_t status, const std::string& reason);
    std::uint32_t notOpen(); // kInvalidHandle, with its reason
    std::uint32_t succeed() {
        lastError_.clear();
        return kOk;
    }

    std::string port_;
    int fd_ = -1;
    std::string path_; // the port of the open session, or of the last open tried
    DeviceHandle handle_ = 0;
    DeviceHandle lastHandle_ = 0; // handles count up from 1, so a stale one never matches
    int readTimeoutMs_ = 0;
    int writeTimeoutMs_ = 0;
    std::string lastError_;
    std::string openNote_;
};

} // namespace quelm
