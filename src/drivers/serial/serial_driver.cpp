#include "drivers/serial/serial_driver.h"

#include "drivers/serial/port_setup.h"
#include "drivers/serial/tty_line.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace quelm {
namespace {

// Device paths of the attached FTDI adapters (USB vendor id 0x0403), in a stable order.
std::vector<std::string> ftdiPorts() { return UsbSerialPorts("0403"); }

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
        if (errno != EINTR) return -1;
    }
}

// The reason for a failed system call on `path`, in words a technician can act on.
std::string reasonFor(const std::string& path, int err) {
    switch (err) {
    case EACCES:
    case EPERM: return path + ": permission denied (add your user to the dialout group, then log in again)";
    case EBUSY:
    case EWOULDBLOCK: return path + ": busy, another program holds it";
    case ENOENT: return path + ": no such device (is the adapter plugged in?)";
    case ENODEV:
    case ENXIO:
    case EIO: return path + ": the adapter is gone";
    default: return path + ": " + std::strerror(err);
    }
}

std::string notASerialPort(const std::string& path) { return path + ": not a serial port"; }

bool speedFor(std::uint32_t baud, speed_t& speed) {
    static constexpr std::pair<std::uint32_t, speed_t> kSpeeds[] = {
        {300, B300},       {600, B600},       {1200, B1200},     {2400, B2400},   {4800, B4800},
        {9600, B9600},     {19200, B19200},   {38400, B38400},   {57600, B57600}, {115200, B115200},
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
    if (wordLength < 5 || wordLength > 8 || (stopBits != 0 && stopBits != 2) || parity < 0 || parity > 4) return false;
    tio.c_cflag &= ~(CSIZE | CSTOPB | PARENB | PARODD | CMSPAR);
    tio.c_cflag |= kSizes[wordLength - 5] | kParity[parity];
    if (stopBits == 2) tio.c_cflag |= CSTOPB;
    return true;
}

} // namespace

SerialDriver::SerialDriver(std::string port) : port_(std::move(port)) {}

SerialDriver::~SerialDriver() {
    if (fd_ >= 0) close(handle_);
}

std::string SerialDriver::devicePath(int index) const {
    if (!port_.empty()) return index == 0 ? port_ : std::string{};
    const std::vector<std::string> ports = ftdiPorts();
    if (index < 0 || static_cast<std::size_t>(index) >= ports.size()) return {};
    return ports[static_cast<std::size_t>(index)];
}

int SerialDriver::fdOf(DeviceHandle handle) const { return (fd_ >= 0 && handle == handle_) ? fd_ : -1; }

void SerialDriver::dropSession() {
    fd_ = -1;
    handle_ = 0;
}

std::uint32_t SerialDriver::fail(std::uint32_t status, int err) { return fail(status, reasonFor(path_, err)); }

std::uint32_t SerialDriver::fail(std::uint32_t status, const std::string& reason) {
    lastError_ = reason;
    return status;
}

int SerialDriver::openPort(const std::string& path, std::uint32_t& status) {
    // The kind of node first: a folder, a regular file or a pipe is refused
    // without being opened (a pipe could keep the open waiting).
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) {
        status = fail(errno == ENOENT || errno == ENOTDIR ? kDeviceNotFound : kDeviceNotOpened, errno);
        return -1;
    }
    if (!S_ISCHR(st.st_mode)) {
        status = fail(kDeviceNotOpened, notASerialPort(path));
        return -1;
    }
    // Non-blocking so that the open does not wait for a carrier; CLOCAL is set
    // by makeRawLine, after which the descriptor can block again. A port
    // another program holds with TIOCEXCL fails here with EBUSY.
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        const int err = errno;
        status = fail(err == ENOENT || err == ENODEV || err == ENXIO ? kDeviceNotFound : kDeviceNotOpened, err);
        return -1;
    }
    auto refuse = [&](std::uint32_t code, const std::string& reason) {
        ::close(fd);
        status = fail(code, reason);
        return -1;
    };
    termios tio{};
    if (!::isatty(fd) || ::tcgetattr(fd, &tio) != 0) // /dev/null and other character devices
        return refuse(kDeviceNotOpened, notASerialPort(path));
    // The lock catches programs that open the port as root, whom TIOCEXCL
    // does not stop, and those that lock it the same way.
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) return refuse(kDeviceNotOpened, reasonFor(path, errno));
    ::ioctl(fd, TIOCEXCL); // no other open of the port while the session lasts
    const int flags = ::fcntl(fd, F_GETFL);
    if (!makeRawLine(fd) || flags < 0 || ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) {
        const int err = errno;
        ::ioctl(fd, TIOCNXCL);
        return refuse(kDeviceNotOpened, reasonFor(path, err));
    }
    return fd;
}

std::uint32_t SerialDriver::open(int index, DeviceHandle& handle) {
    if (fd_ >= 0) return fail(kDeviceNotOpened, std::string()); // the open session goes on untouched: nothing is wrong
    const std::string path = devicePath(index);
    if (path.empty()) {
        return fail(kDeviceNotFound,
                    port_.empty() ? std::string("no FTDI adapter attached") : port_ + ": only device 0 can be opened");
    }
    path_ = path;
    std::uint32_t status = kOk;
    const int fd = openPort(path, status);
    if (fd < 0) return status;
    openNote_ = RequestLowLatency(fd, path);
    fd_ = fd;
    if (++lastHandle_ == 0) ++lastHandle_;
    handle_ = lastHandle_;
    readTimeoutMs_ = 0;
    writeTimeoutMs_ = 0;
    handle = handle_;
    return succeed();
}

std::uint32_t SerialDriver::close(DeviceHandle handle) {
    const int fd = fdOf(handle);
    if (fd < 0) return notOpen();
    ::ioctl(fd, TIOCNXCL);
    dropSession();
    // Linux releases the descriptor, and with it the lock, even when close
    // reports an error.
    if (::close(fd) == 0 || errno == EINTR) return succeed();
    return fail(kIoError, errno);
}

std::uint32_t SerialDriver::notOpen() { return fail(kInvalidHandle, (path_.empty() ? port_ : path_) + ": not open"); }

template <class F>
std::uint32_t SerialDriver::editLine(DeviceHandle handle, F change) {
    const int fd = fdOf(handle);
    if (fd < 0) return notOpen();
    termios tio{};
    if (::tcgetattr(fd, &tio) != 0) return fail(kIoError, errno);
    if (!change(tio)) return fail(kOtherError, path_ + ": line setting not supported");
    if (::tcsetattr(fd, TCSANOW, &tio) != 0) return fail(kIoError, errno);
    return succeed();
}

std::uint32_t SerialDriver::setBaudRate(DeviceHandle handle, std::uint32_t baud) {
    return editLine(handle, [baud](termios& tio) {
        speed_t speed{};
        return speedFor(baud, speed) && ::cfsetispeed(&tio, speed) == 0 && ::cfsetospeed(&tio, speed) == 0;
    });
}

std::uint32_t SerialDriver::setDataCharacteristics(DeviceHandle handle, int wordLength, int stopBits, int parity) {
    return editLine(handle, [=](termios& tio) { return setFraming(tio, wordLength, stopBits, parity); });
}

std::uint32_t SerialDriver::setTimeouts(DeviceHandle handle, int readMs, int writeMs) {
    if (fdOf(handle) < 0) return notOpen();
    readTimeoutMs_ = std::max(readMs, 0);
    writeTimeoutMs_ = std::max(writeMs, 0);
    return succeed();
}

std::uint32_t SerialDriver::writeByte(DeviceHandle handle, std::uint8_t byte, std::uint32_t& written) {
    written = 0;
    const int fd = fdOf(handle);
    if (fd < 0) return notOpen();
    short revents = 0;
    const int ready = waitFor(fd, POLLOUT, writeTimeoutMs_, revents);
    if (ready < 0) return fail(kIoError, errno);
    if (revents & (POLLERR | POLLHUP | POLLNVAL)) return fail(kIoError, EIO); // the line hung up: the adapter went away
    if (ready == 0) return succeed(); // write time-out: like the vendor driver, OK with nothing written
    if (::write(fd, &byte, 1) != 1) return (errno == EAGAIN || errno == EINTR) ? succeed() : fail(kIoError, errno);
    written = 1;
    // Push the byte to the line now, so the box sees the frame byte by byte.
    while (::tcdrain(fd) != 0) {
        if (errno != EINTR) return fail(kIoError, errno);
    }
    return succeed();
}

std::uint32_t SerialDriver::readByte(DeviceHandle handle, std::uint8_t& byte, std::uint32_t& count) {
    count = 0;
    const int fd = fdOf(handle);
    if (fd < 0) return notOpen();
    short revents = 0;
    if (waitFor(fd, POLLIN, readTimeoutMs_, revents) < 0) return fail(kIoError, errno);
    if (revents & POLLNVAL) return fail(kIoError, EBADF);
    if (revents & POLLIN) {
        std::uint8_t got = 0;
        const ssize_t n = ::read(fd, &got, 1);
        if (n == 1) {
            byte = got;
            count = 1;
            return succeed();
        }
        if (n < 0 && errno != EAGAIN && errno != EINTR) return fail(kIoError, errno);
    }
    // A hung-up line polls readable and reads as end of file.
    return (revents & (POLLERR | POLLHUP)) ? fail(kIoError, EIO) : succeed();
}

std::uint32_t SerialDriver::getStatus(DeviceHandle handle, std::uint32_t& rxQueue, std::uint32_t& txQueue,
                                      std::uint32_t& events) {
    const int fd = fdOf(handle);
    if (fd < 0) return notOpen();
    int rx = 0;
    int tx = 0;
    if (::ioctl(fd, FIONREAD, &rx) != 0 || ::ioctl(fd, TIOCOUTQ, &tx) != 0) return fail(kIoError, errno);
    rxQueue = static_cast<std::uint32_t>(std::max(rx, 0));
    txQueue = static_cast<std::uint32_t>(std::max(tx, 0));
    events = 0;
    return succeed();
}

std::uint32_t SerialDriver::countDevices(std::uint32_t& count) {
    if (port_.empty()) {
        count = static_cast<std::uint32_t>(ftdiPorts().size());
        return succeed();
    }
    // A pseudo-terminal's slave is a character device too. A named port that
    // is not one counts no box, and the reason says why.
    struct stat st {};
    if (::stat(port_.c_str(), &st) != 0) {
        count = 0;
        lastError_ = reasonFor(port_, errno);
        return kOk;
    }
    count = S_ISCHR(st.st_mode) ? 1 : 0;
    if (count == 0) {
        lastError_ = notASerialPort(port_);
        return kOk;
    }
    return succeed();
}

} // namespace quelm
