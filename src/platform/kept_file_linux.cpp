#include "platform/kept_file.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quelm::platform {

namespace {

bool Failed(std::string& reason) {
    reason = std::strerror(errno);
    return false;
}

} // namespace

KeptFile::~KeptFile() { close(); }

bool KeptFile::open(const std::filesystem::path& file, std::string& reason) {
    close();
    // Never waits on a pipe or a device: the kind is checked once open.
    const int fd = ::open(file.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return Failed(reason);
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        Failed(reason);
        ::close(fd);
        return false;
    }
    if (!S_ISREG(st.st_mode)) {
        ::close(fd);
        reason = "it is not a regular file";
        return false;
    }
    native_ = fd;
    return true;
}

bool KeptFile::replaceFrom(std::uint64_t offset, std::string_view bytes, std::string& reason) {
    const int fd = static_cast<int>(native_);
    if (fd < 0) {
        reason = std::strerror(EBADF);
        return false;
    }
    for (std::size_t done = 0; done < bytes.size();) {
        const ssize_t n = ::pwrite(fd, bytes.data() + done, bytes.size() - done, static_cast<off_t>(offset + done));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return n < 0 ? Failed(reason) : (reason = std::strerror(ENOSPC), false);
        done += static_cast<std::size_t>(n);
    }
    if (::ftruncate(fd, static_cast<off_t>(offset + bytes.size())) != 0) return Failed(reason);
    // The size is part of what must reach the disk: fdatasync sees to it.
    return ::fdatasync(fd) == 0 || Failed(reason);
}

void KeptFile::close() {
    if (native_ >= 0) ::close(static_cast<int>(native_));
    native_ = -1;
}

} // namespace quelm::platform
