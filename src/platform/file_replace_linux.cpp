#include "platform/file_replace.h"

#include "platform/unique_name.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace quelm::platform {

namespace {

// As many links as the system itself follows before it gives up.
constexpr int kMaxLinks = 40;

bool failed(int err, std::string& reason) {
    reason = std::strerror(err);
    return false;
}

} // namespace

bool FollowLinks(const std::filesystem::path& name, std::filesystem::path& target, std::string& reason) {
    target = name;
    for (int i = 0; i < kMaxLinks; ++i) {
        struct stat st {};
        if (::lstat(target.c_str(), &st) != 0) return errno == ENOENT || failed(errno, reason);
        if (!S_ISLNK(st.st_mode)) return true;
        std::string points(static_cast<std::size_t>(st.st_size > 0 ? st.st_size : 4095) + 1, '\0');
        const ssize_t n = ::readlink(target.c_str(), points.data(), points.size());
        if (n < 0) return failed(errno, reason);
        points.resize(static_cast<std::size_t>(n));
        const std::filesystem::path next(points);
        target = next.is_absolute() ? next : target.parent_path() / next;
    }
    return failed(ELOOP, reason);
}

std::optional<KeptStatus> RegularFileStatus(const std::filesystem::path& file) {
    struct stat st {};
    if (::stat(file.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return std::nullopt;
    return KeptStatus{st.st_mode, st.st_uid, st.st_gid};
}

bool WriteProtected(const std::filesystem::path& file) {
    struct stat st {};
    if (::stat(file.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
    // The mode first: the superuser may write anything, yet a file with no
    // write bit was still marked read-only by its owner.
    if ((st.st_mode & 0222) == 0) return true;
    return ::access(file.c_str(), W_OK) != 0 && errno == EACCES;
}

NewFile::~NewFile() {
    std::string ignored; // only after a failure already reported
    if (native_ >= 0) close(ignored);
}

bool NewFile::create(const std::filesystem::path& folder, bool privateMode, std::string& reason) {
    const mode_t mode = privateMode ? 0600 : 0666;
    for (int i = 0; i < kNameTries; ++i) {
        path_ = UniqueNameIn(folder);
        const int fd = ::open(path_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode);
        if (fd >= 0) {
            native_ = fd;
            return true;
        }
        if (errno != EEXIST) return failed(errno, reason);
    }
    return failed(EEXIST, reason);
}

void NewFile::takeModeAndOwner(const KeptStatus& old) {
    const int fd = static_cast<int>(native_);
    const auto owner = static_cast<uid_t>(old.owner);
    const auto group = static_cast<gid_t>(old.group);
    // The owner first: a change of owner clears the set-user-id bit.
    if (::fchown(fd, owner, group) != 0) (void)::fchown(fd, static_cast<uid_t>(-1), group);
    (void)::fchmod(fd, old.mode & 07777);
}

std::size_t NewFile::write(const char* data, std::size_t size, std::string& reason) {
    for (;;) {
        const ssize_t n = ::write(static_cast<int>(native_), data, size);
        if (n > 0) return static_cast<std::size_t>(n);
        if (n < 0 && errno == EINTR) continue;
        reason = n < 0 ? std::strerror(errno) : "nothing written";
        return 0;
    }
}

bool NewFile::flush(std::string& reason) { return ::fsync(static_cast<int>(native_)) == 0 || failed(errno, reason); }

bool NewFile::close(std::string& reason) {
    const int fd = static_cast<int>(std::exchange(native_, -1));
    return ::close(fd) == 0 || failed(errno, reason);
}

bool ReplaceWith(const std::filesystem::path& target, const std::filesystem::path& replacement, std::string& reason) {
    return ::rename(replacement.c_str(), target.c_str()) == 0 || failed(errno, reason);
}

void SyncFolder(const std::filesystem::path& folder) {
    const int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

} // namespace quelm::platform
