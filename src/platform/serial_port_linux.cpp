// The serial port on Linux: a tty driven with termios, held with TIOCEXCL
// and a lock on the device node, waited on with poll.
#include "platform/serial_port.h"

#include "platform/linux_sysfs.h"
#include "platform/tty_line.h"

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

namespace quelm::platform {
namespace {

SerialError errorOf(int err) {
    switch (err) {
    case EACCES:
    case EPERM: return {SerialFault::permission, "add your user to the dialout group, then log in again"};
    case EBUSY:
    case EWOULDBLOCK: return {SerialFault::busy, {}};
    case ENOENT:
    case ENOTDIR: return {SerialFault::noSuchPort, {}};
    case ENODEV:
    case ENXIO:
    case EIO: return {SerialFault::gone, {}};
    default: return {SerialFault::other, std::strerror(err)};
    }
}

bool failed(SerialError& error, int err) {
    error = errorOf(err);
    return false;
}

// The -1 of a read or write that failed.
int lost(SerialError& error, int err) {
    error = errorOf(err);
    return -1;
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
        if (errno != EINTR) return -1;
    }
}

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

bool framingFor(termios& tio, int wordLength, int stopBits, int parity) {
    static constexpr tcflag_t kSizes[] = {CS5, CS6, CS7, CS8};
    static constexpr tcflag_t kParity[] = {0, PARENB | PARODD, PARENB, PARENB | CMSPAR | PARODD, PARENB | CMSPAR};
    if (wordLength < 5 || wordLength > 8 || (stopBits != 0 && stopBits != 2) || parity < 0 || parity > 4) return false;
    tio.c_cflag &= ~(CSIZE | CSTOPB | PARENB | PARODD | CMSPAR);
    tio.c_cflag |= kSizes[wordLength - 5] | kParity[parity];
    if (stopBits == 2) tio.c_cflag |= CSTOPB;
    return true;
}

// Reads the line settings, lets `change` edit them and writes them back.
template <class F>
bool editLine(int fd, SerialError& error, F change) {
    termios tio{};
    if (::tcgetattr(fd, &tio) != 0) return failed(error, errno);
    if (!change(tio)) {
        error = {SerialFault::unsupported, {}};
        return false;
    }
    if (::tcsetattr(fd, TCSANOW, &tio) != 0) return failed(error, errno);
    return true;
}

} // namespace

SerialError ProbeSerialPort(const std::string& path) {
    // A pseudo-terminal's slave is a character device too.
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return errorOf(errno);
    if (!S_ISCHR(st.st_mode)) return {SerialFault::notSerialPort, {}};
    return {};
}

SerialPort::~SerialPort() {
    SerialError ignored; // nothing is left to lose when the port goes with its owner
    if (isOpen()) close(ignored);
}

bool SerialPort::open(const std::string& path, SerialError& error) {
    // The kind of node first: a folder, a regular file or a pipe is refused
    // without being opened (a pipe could keep the open waiting).
    if (error = ProbeSerialPort(path); error.fault != SerialFault::none) return false;
    // Non-blocking so that the open does not wait for a carrier; CLOCAL is set
    // by makeRawLine, after which the descriptor can block again. A port
    // another program holds with TIOCEXCL fails here with EBUSY.
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return failed(error, errno);
    auto refuse = [&](SerialError why) {
        ::close(fd);
        error = std::move(why);
        return false;
    };
    termios tio{};
    if (!::isatty(fd) || ::tcgetattr(fd, &tio) != 0) // /dev/null and other character devices
        return refuse({SerialFault::notSerialPort, {}});
    // The lock catches programs that open the port as root, whom TIOCEXCL
    // does not stop, and those that lock it the same way.
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) return refuse(errorOf(errno));
    ::ioctl(fd, TIOCEXCL); // no other open of the port while the session lasts
    const int flags = ::fcntl(fd, F_GETFL);
    if (!makeRawLine(fd) || flags < 0 || ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) {
        const int err = errno;
        ::ioctl(fd, TIOCNXCL);
        return refuse(errorOf(err));
    }
    native_ = fd;
    return true;
}

bool SerialPort::close(SerialError& error) {
    const int fd = static_cast<int>(std::exchange(native_, kClosed));
    ::ioctl(fd, TIOCNXCL);
    // Linux releases the descriptor, and with it the lock, even when close
    // reports an error.
    if (::close(fd) == 0 || errno == EINTR) return true;
    return failed(error, errno);
}

bool SerialPort::setSpeed(std::uint32_t baud, SerialError& error) {
    return editLine(static_cast<int>(native_), error, [baud](termios& tio) {
        speed_t speed{};
        return speedFor(baud, speed) && ::cfsetispeed(&tio, speed) == 0 && ::cfsetospeed(&tio, speed) == 0;
    });
}

bool SerialPort::setFraming(int wordLength, int stopBits, int parity, SerialError& error) {
    return editLine(static_cast<int>(native_), error,
                    [=](termios& tio) { return framingFor(tio, wordLength, stopBits, parity); });
}

int SerialPort::readByte(std::uint8_t& byte, int timeoutMs, SerialError& error) {
    const int fd = static_cast<int>(native_);
    short revents = 0;
    if (waitFor(fd, POLLIN, timeoutMs, revents) < 0) return lost(error, errno);
    if (revents & POLLNVAL) return lost(error, EBADF);
    if (revents & POLLIN) {
        std::uint8_t got = 0;
        const ssize_t n = ::read(fd, &got, 1);
        if (n == 1) {
            byte = got;
            return 1;
        }
        if (n < 0 && errno != EAGAIN && errno != EINTR) return lost(error, errno);
    }
    // A hung-up line polls readable and reads as end of file.
    if (revents & (POLLERR | POLLHUP)) return lost(error, EIO);
    return 0;
}

int SerialPort::writeByte(std::uint8_t byte, int timeoutMs, SerialError& error) {
    const int fd = static_cast<int>(native_);
    short revents = 0;
    const int ready = waitFor(fd, POLLOUT, timeoutMs, revents);
    if (ready < 0) return lost(error, errno);
    // The line hung up: the adapter went away.
    if (revents & (POLLERR | POLLHUP | POLLNVAL)) return lost(error, EIO);
    if (ready == 0) return 0;
    if (::write(fd, &byte, 1) != 1) return (errno == EAGAIN || errno == EINTR) ? 0 : lost(error, errno);
    // Push the byte to the line now, so the box sees the frame byte by byte.
    while (::tcdrain(fd) != 0) {
        if (errno != EINTR) return lost(error, errno);
    }
    return 1;
}

bool SerialPort::queues(std::uint32_t& rx, std::uint32_t& tx, SerialError& error) {
    const int fd = static_cast<int>(native_);
    int inQueue = 0;
    int outQueue = 0;
    if (::ioctl(fd, FIONREAD, &inQueue) != 0 || ::ioctl(fd, TIOCOUTQ, &outQueue) != 0) return failed(error, errno);
    rx = static_cast<std::uint32_t>(std::max(inQueue, 0));
    tx = static_cast<std::uint32_t>(std::max(outQueue, 0));
    return true;
}

std::string SerialPort::requestLowLatency(const std::string& path) {
    return RequestLowLatency(static_cast<int>(native_), path);
}

} // namespace quelm::platform
