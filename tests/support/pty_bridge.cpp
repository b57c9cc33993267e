#include "support/pty_bridge.h"

#include "platform/clock.h"
#include "platform/tty_line.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <system_error>
#include <unistd.h>
#include <utility>
#include <vector>

namespace quelm {
namespace {

// Writes all of `bytes` to the non-blocking master, waiting for room when the
// tty's buffer is full (it never is with the few bytes a box sends).
void writeAll(int fd, const std::vector<std::uint8_t>& bytes, const std::atomic<bool>& stopping) {
    std::size_t done = 0;
    while (done < bytes.size() && !stopping) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n > 0) {
            done += static_cast<std::size_t>(n);
        } else if (n < 0 && (errno == EAGAIN || errno == EINTR)) {
            pollfd p{fd, POLLOUT, 0};
            ::poll(&p, 1, 100);
        } else {
            return; // the line is gone; the bytes are lost as on a cut cable
        }
    }
}

} // namespace

PtyBridge::PtyBridge(sim::SimBox box) : box_(std::move(box)) {
    auto fail = [this](const char* what) {
        const int err = errno;
        closeAll();
        throw std::system_error(err, std::generic_category(), what);
    };
    master_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master_ < 0) fail("posix_openpt");
    char name[256];
    if (::grantpt(master_) != 0 || ::unlockpt(master_) != 0 || ::ptsname_r(master_, name, sizeof name) != 0)
        fail("pseudo-terminal slave");
    slavePath_ = name;
    slave_ = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (slave_ < 0) fail(name);
    // Raw on both sides from the start: a slave left in its cooked default
    // would echo the box's bytes back to the box.
    if (!platform::makeRawLine(slave_) || !platform::makeRawLine(master_)) fail("raw mode");
    int wake[2];
    if (::pipe2(wake, O_CLOEXEC | O_NONBLOCK) != 0) fail("pipe2");
    wakeRead_ = wake[0];
    wakeWrite_ = wake[1];
    const int flags = ::fcntl(master_, F_GETFL);
    if (flags < 0 || ::fcntl(master_, F_SETFL, flags | O_NONBLOCK) != 0) fail("fcntl");
}

PtyBridge::~PtyBridge() {
    stop();
    closeAll();
}

void PtyBridge::closeAll() {
    for (int* fd : {&master_, &slave_, &wakeRead_, &wakeWrite_}) {
        if (*fd >= 0) ::close(*fd);
        *fd = -1;
    }
}

void PtyBridge::start() {
    const std::lock_guard lock(controlMutex_);
    if (running_) return;
    stopping_ = false;
    thread_ = std::thread(&PtyBridge::run, this);
    running_ = true;
}

void PtyBridge::stop() {
    const std::lock_guard lock(controlMutex_);
    if (!running_) return;
    stopping_ = true;
    wake();
    thread_.join();
    running_ = false;
}

void PtyBridge::wake() {
    const char one = 1;
    // A full pipe already holds a wake-up; nothing is lost by ignoring it.
    [[maybe_unused]] const ssize_t n = ::write(wakeWrite_, &one, 1);
}

void PtyBridge::run() {
    while (!stopping_) {
        const std::int64_t waitUs = deliverToHost();
        timespec timeout{waitUs / 1'000'000, static_cast<long>(waitUs % 1'000'000) * 1000};
        pollfd fds[2] = {{master_, POLLIN, 0}, {wakeRead_, POLLIN, 0}};
        const int ready = ::ppoll(fds, 2, waitUs < 0 ? nullptr : &timeout, nullptr);
        if (ready < 0 && errno != EINTR) return;
        if (ready <= 0) continue;
        if (fds[1].revents & POLLIN) {
            char drain[64];
            while (::read(wakeRead_, drain, sizeof drain) > 0) {}
        }
        if (fds[0].revents & POLLIN)
            takeFromHost();
        else if (fds[0].revents & (POLLHUP | POLLERR))
            ::poll(&fds[1], 1, 1); // no slave open (cannot happen while we hold one): do not spin
    }
}

void PtyBridge::takeFromHost() {
    std::uint8_t buf[256];
    const ssize_t n = ::read(master_, buf, sizeof buf);
    if (n <= 0) return;
    const std::lock_guard lock(boxMutex_);
    const std::int64_t now = platform::monotonicNowUs();
    for (ssize_t i = 0; i < n; ++i) box_.hostByte(now, buf[i]);
}

std::int64_t PtyBridge::deliverToHost() {
    std::optional<std::int64_t> next;
    std::int64_t now = 0;
    {
        const std::lock_guard lock(boxMutex_);
        now = platform::monotonicNowUs();
        std::uint8_t byte = 0;
        while (box_.takeByte(now, byte)) {
            if (held_.empty()) heldSinceUs_ = now;
            held_.push_back(byte);
        }
        next = box_.nextArrivalUs();
    }
    const std::int64_t holding = holdingUs_;
    std::optional<std::int64_t> releaseAt;
    if (!held_.empty()) {
        if (holding <= 0 || held_.size() >= kAdapterPacketBytes || now - heldSinceUs_ >= holding) {
            writeAll(master_, held_, stopping_);
            held_.clear();
        } else {
            releaseAt = heldSinceUs_ + holding;
        }
    }
    if (releaseAt && (!next || *releaseAt < *next)) next = releaseAt;
    if (!next) return -1;
    const std::int64_t waitUs = *next - platform::monotonicNowUs();
    return waitUs < 0 ? 0 : waitUs;
}

} // namespace quelm
