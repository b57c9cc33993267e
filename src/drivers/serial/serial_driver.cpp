#include "drivers/serial/serial_driver.h"

#include "drivers/serial/tty_line.h"

#include <QSerialPortInfo>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace quelm {
namespace {

constexpr quint16 kFtdiVendorId = 0x0403;

// Device paths of the attached FTDI adapters, in a stable order.
std::vector<std::string> ftdiPorts() {
    std::vector<std::string> paths;
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
        if (info.hasVendorIdentifier() && info.vendorIdentifier() == kFtdiVendorId)
            paths.push_back(info.systemLocation().toStdString());
    }
    std::sort(paths.begin(), paths.end());
    return paths;
}

// Waits up to `timeoutMs` for `events` on `fd`, across signals. Returns
// poll's result (> 0 ready, 0 timed out, < 0 failed) and the events seen.
int waitFor(int fd, short events, int timeoutMs, short& revents) {
    using namespace std::chrono;
    const auto deadline = steady_clock::now() + milliseconds(timeoutMs);
    for (;;) {
        const auto left = ceil<milliseconds>(deadline - steady_clock::now()).count();
        pollfd p{fd, events, 0};
        const int r = ::poll(&p, 1, static_cast<int>(std::max<decltype(left)>(left, 0)));
        if (r >= 0) {
            revents = p.revents;
            return r;
        }
        if (errno != EINTR)
            return -1;
    }
}

bool speedFor(std::uint32_t baud, speed_t& speed) {
    static constexpr std::pair<std::uint32_t, speed_t> kSpeeds[] = {
        {300, B300},     {600, B600},       {1200, B1200},     {2400, B2400},     {4800, B4800},
        {9600, B9600},   {19200, B19200},   {38400, B38400},   {57600, B57600},   {115200, B115200},
        {230400, B230400}, {460800, B460800}, {921600, B921600},
    };
    for (const auto& [rate, code] : kSpeeds) {
        if (rate == baud) {
            speed = code;
            return true;
        }
    }
    return false;
}

// Word length, stop bits and parity as the vendor driver numbers them:
// 5 to 8 bits; 0 one stop bit, 2 two; 0 none, 1 odd, 2 even, 3 mark, 4 space.
bool setFraming(termios& tio, int wordLength, int stopBits, int parity) {
    static constexpr tcflag_t kSizes[] = {CS5, CS6, CS7, CS8};
    static constexpr tcflag_t kParity[] = {0, PARENB | PARODD, PARENB, PARENB | CMSPAR | PARODD, PARENB | CMSPAR};
    if (wordLength < 5 || wordLength > 8 || (stopBits != 0 && stopBits != 2) || parity < 0 || parity > 4)
        return false;
    tio.c_cflag &= ~(CSIZE | CSTOPB | PARENB | PARODD | CMSPAR);
    tio.c_cflag |= kSizes[wordLength - 5] | kParity[parity];
    if (stopBits == 2)
        tio.c_cflag |= CSTOPB;
    return true;
}

} // namespace

SerialDriver::SerialDriver(std::string port) : port_(std::move(port)) {}

SerialDriver::~SerialDriver() {
    if (fd_ >= 0)
        close(handle_);
}

std::string SerialDriver::devicePath(int index) const {
    if (!port_.empty())
        return index == 0 ? port_ : std::string{};
    const std::vector<std::string> ports = ftdiPorts();
    if (index < 0 || static_cast<std::size_t>(index) >= ports.size())
        return {};
    return ports[static_cast<std::size_t>(index)];
}

int SerialDriver::fdOf(DeviceHandle handle) const {
    return (fd_ >= 0 && handle == handle_) ? fd_ : -1;
}

void SerialDriver::dropSession() {
    fd_ = -1;
    handle_ = 0;
}

std::uint32_t SerialDriver::open(int index, DeviceHandle& handle) {
    if (fd_ >= 0)
        return kDeviceNotOpened; // the open session goes on untouched
    const std::string path = devicePath(index);
    if (path.empty())
        return kDeviceNotFound;
    // Non-blocking so that the open does not wait for a carrier; CLOCAL is set
    // by makeRawLine, after which the descriptor can block again.
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return (errno == ENOENT || errno == ENODEV || errno == ENXIO) ? kDeviceNotFound : kDeviceNotOpened;
    const int flags = ::fcntl(fd, F_GETFL);
    if (!::isatty(fd) || !makeRawLine(fd) || flags < 0 || ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) {
        ::close(fd);
        return kDeviceNotOpened;
    }
    ::ioctl(fd, TIOCEXCL); // keep other programs off the box while the session lasts
    fd_ = fd;
    if (++lastHandle_ == 0)
        ++lastHandle_;
    handle_ = lastHandle_;
    readTimeoutMs_ = 0;
    writeTimeoutMs_ = 0;
    handle = handle_;
    return kOk;
}

std::uint32_t SerialDriver::close(DeviceHandle handle) {
    const int fd = fdOf(handle);
    if (fd < 0)
        return kInvalidHandle;
    ::ioctl(fd, TIOCNXCL);
    dropSession();
    // Linux releases the descriptor even when close reports an error.
    return (::close(fd) == 0 || errno == EINTR) ? kOk : kIoError;
}

template <class F> std::uint32_t SerialDriver::editLine(DeviceHandle handle, F change) {
    const int fd = fdOf(handle);
    if (fd < 0)
        return kInvalidHandle;
    termios tio{};
    if (::tcgetattr(fd, &tio) != 0)
        return kIoError;
    if (!change(tio))
        return kOtherError;
    return ::tcsetattr(fd, TCSANOW, &tio) == 0 ? kOk : kIoError;
}

std::uint32_t SerialDriver::setBaudRate(DeviceHandle handle, std::uint32_t baud) {
    return editLine(handle, [baud](termios& tio) {
        speed_t speed{};
        return speedFor(baud, speed) && ::cfsetispeed(&tio, speed) == 0 && ::cfsetospeed(&tio, speed) == 0;
    });
}

std::uint32_t SerialDriver::setDataCharacteristics(DeviceHandle handle, int wordLength, int stopBits, int parity) {
    return editLine(handle,
                    [=](termios& tio) { return setFraming(tio, wordLength, stopBits, parity); });
}

std::uint32_t SerialDriver::setTimeouts(DeviceHandle handle, int readMs, int writeMs) {
    if (fdOf(handle) < 0)
        return kInvalidHandle;
    readTimeoutMs_ = std::max(readMs, 0);
    writeTimeoutMs_ = std::max(writeMs, 0);
    return kOk;
}

std::uint32_t SerialDriver::writeByte(DeviceHandle handle, std::uint8_t byte, std::uint32_t& written) {
    written = 0;
    const int fd = fdOf(handle);
    if (fd < 0)
        return kInvalidHandle;
    short revents = 0;
    const int ready = waitFor(fd, POLLOUT, writeTimeoutMs_, revents);
    if (ready < 0 || (revents & (POLLERR | POLLHUP | POLLNVAL)))
        return kIoError;
    if (ready == 0)
        return kOk; // write time-out: like the vendor driver, OK with nothing written
    if (::write(fd, &byte, 1) != 1)
        return (errno == EAGAIN || errno == EINTR) ? kOk : kIoError;
    written = 1;
    // Push the byte to the line now, so the box sees the frame byte by byte.
    while (::tcdrain(fd) != 0) {
        if (errno != EINTR)
            return kIoError;
    }
    return kOk;
}

std::uint32_t SerialDriver::readByte(DeviceHandle handle, std::uint8_t& byte, std::uint32_t& count) {
    count = 0;
    const int fd = fdOf(handle);
    if (fd < 0)
        return kInvalidHandle;
    short revents = 0;
    if (waitFor(fd, POLLIN, readTimeoutMs_, revents) < 0 || (revents & POLLNVAL))
        return kIoError;
    if (revents & POLLIN) {
        std::uint8_t got = 0;
        const ssize_t n = ::read(fd, &got, 1);
        if (n == 1) {
            byte = got;
            count = 1;
            return kOk;
        }
        if (n < 0 && errno != EAGAIN && errno != EINTR)
            return kIoError;
    }
    // A hung-up line polls readable and reads as end of file.
    return (revents & (POLLERR | POLLHUP)) ? kIoError : kOk;
}

std::uint32_t SerialDriver::getStatus(DeviceHandle handle, std::uint32_t& rxQueue, std::uint32_t& txQueue,
                                      std::uint32_t& events) {
    const int fd = fdOf(handle);
    if (fd < 0)
        return kInvalidHandle;
    int rx = 0;
    int tx = 0;
    if (::ioctl(fd, FIONREAD, &rx) != 0 || ::ioctl(fd, TIOCOUTQ, &tx) != 0)
        return kIoError;
    rxQueue = static_cast<std::uint32_t>(std::max(rx, 0));
    txQueue = static_cast<std::uint32_t>(std::max(tx, 0));
    events = 0;
    return kOk;
}

std::uint32_t SerialDriver::countDevices(std::uint32_t& count) {
    if (port_.empty()) {
        count = static_cast<std::uint32_t>(ftdiPorts().size());
        return kOk;
    }
    // A pseudo-terminal's slave is a character device too.
    struct stat st {};
    count = (::stat(port_.c_str(), &st) == 0 && S_ISCHR(st.st_mode)) ? 1 : 0;
    return kOk;
}

} // namespace quelm
