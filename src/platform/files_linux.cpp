#include "platform/files.h"

#include "platform/stop_signals.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quelm::platform {
namespace {

using Refusal = FileRead::Refusal;

// The system's reason, as the messages write it: "permission denied".
std::string reasonOf(int err) {
    std::string text = std::strerror(err);
    if (!text.empty()) text[0] = static_cast<char>(std::tolower(static_cast<unsigned char>(text[0])));
    return text;
}

bool refused(const struct stat& st, std::size_t limit, bool startOnly, FileRead& read) {
    if (S_ISDIR(st.st_mode))
        read.refusal = Refusal::folder;
    else if (!S_ISREG(st.st_mode))
        read.refusal = Refusal::notRegular;
    else if (!startOnly && static_cast<std::uintmax_t>(st.st_size) > limit)
        read.refusal = Refusal::tooLarge;
    read.size = static_cast<std::uintmax_t>(st.st_size);
    return read.refusal != Refusal::none;
}

FileRead failed(int err) {
    FileRead read;
    read.refusal = err == ENOENT ? Refusal::missing : Refusal::failed;
    read.reason = reasonOf(err);
    return read;
}

FileRead Stopped() {
    FileRead read;
    read.refusal = Refusal::failed;
    read.reason = kStoppedReason;
    return read;
}

} // namespace

FileRead ReadRegularFile(const std::string& path, std::size_t limit, bool startOnly) {
    FileRead read;
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return failed(errno);
    if (refused(st, limit, startOnly, read)) return read;
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return failed(errno);
    if (::fstat(fd, &st) != 0)
        read = failed(errno);
    else
        refused(st, limit, startOnly, read);
    // Read to the end, but never past the limit: the file may grow meanwhile.
    char chunk[1 << 16];
    while (read.refusal == Refusal::none && !(startOnly && read.bytes.size() == limit)) {
        const std::size_t want = startOnly ? std::min(sizeof chunk, limit - read.bytes.size()) : sizeof chunk;
        const ssize_t n = ::read(fd, chunk, want);
        if (n == 0) break;
        if (n < 0 && errno == EINTR) continue;
        if (n < 0)
            read = failed(errno);
        else if (read.bytes.size() + static_cast<std::size_t>(n) > limit)
            read.refusal = Refusal::tooLarge;
        else
            read.bytes.append(chunk, static_cast<std::size_t>(n));
    }
    ::close(fd);
    if (read.refusal != Refusal::none) read.bytes.clear();
    return read;
}

// The wait for input is a poll that a signal interrupts whatever the
// handler's flags, and that looks again at the stop request now and then
// for a signal that came just before it.
FileRead ReadStandardInput(std::size_t limit) {
    FileRead read;
    char chunk[1 << 16];
    while (read.refusal == Refusal::none) {
        if (StopSignal() != 0) {
            read = Stopped();
            break;
        }
        pollfd wait{STDIN_FILENO, POLLIN, 0};
        const int ready = ::poll(&wait, 1, 200);
        if (ready == 0 || (ready < 0 && errno == EINTR)) continue;
        const ssize_t n = ready < 0 ? -1 : ::read(STDIN_FILENO, chunk, sizeof chunk);
        if (n == 0) break;
        if (n < 0 && errno == EINTR) continue;
        if (n < 0)
            read = failed(errno);
        else if (read.bytes.size() + static_cast<std::size_t>(n) > limit)
            read.refusal = Refusal::tooLarge;
        else
            read.bytes.append(chunk, static_cast<std::size_t>(n));
    }
    if (read.refusal != Refusal::none) read.bytes.clear();
    return read;
}

bool IsStandardStream(const std::string& path) {
    struct stat named {};
    if (::stat(path.c_str(), &named) != 0) return false;
    for (const int fd : {STDIN_FILENO, STDOUT_FILENO, STDERR_FILENO}) {
        struct stat stream {};
        if (::fstat(fd, &stream) == 0 && stream.st_dev == named.st_dev && stream.st_ino == named.st_ino) return true;
    }
    return false;
}

} // namespace quelm::platform
