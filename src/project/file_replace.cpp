#include "project/file_replace.h"

#include <cerrno>
#include <fcntl.h>
#include <random>
#include <string>
#include <unistd.h>

namespace quelm {

namespace {

// As many links as the system itself follows before it gives up.
constexpr int kMaxLinks = 40;
constexpr int kNameTries = 100;

std::string RandomLetters(std::size_t count) {
    static constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    std::random_device device;
    std::uniform_int_distribution<std::size_t> pick(0, sizeof kLetters - 2);
    std::string s;
    for (std::size_t i = 0; i < count; ++i) s += kLetters[pick(device)];
    return s;
}

} // namespace

int FollowLinks(const std::filesystem::path& name, std::filesystem::path& target) {
    target = name;
    for (int i = 0; i < kMaxLinks; ++i) {
        struct stat st {};
        if (::lstat(target.c_str(), &st) != 0) return errno == ENOENT ? 0 : errno;
        if (!S_ISLNK(st.st_mode)) return 0;
        std::string points(static_cast<std::size_t>(st.st_size > 0 ? st.st_size : 4095) + 1, '\0');
        const ssize_t n = ::readlink(target.c_str(), points.data(), points.size());
        if (n < 0) return errno;
        points.resize(static_cast<std::size_t>(n));
        const std::filesystem::path next(points);
        target = next.is_absolute() ? next : target.parent_path() / next;
    }
    return ELOOP;
}

std::optional<struct stat> RegularFileStatus(const std::filesystem::path& file) {
    struct stat st {};
    if (::stat(file.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return std::nullopt;
    return st;
}

int CreateUniqueFile(const std::filesystem::path& folder, bool privateMode, int& fd, std::filesystem::path& created) {
    const mode_t mode = privateMode ? 0600 : 0666;
    for (int i = 0; i < kNameTries; ++i) {
        created = folder / (".quelm-" + RandomLetters(8));
        fd = ::open(created.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode);
        if (fd >= 0) return 0;
        if (errno != EEXIST) return errno;
    }
    return EEXIST;
}

void CopyModeAndOwner(int fd, const struct stat& old) {
    // The owner first: a change of owner clears the set-user-id bit.
    if (::fchown(fd, old.st_uid, old.st_gid) != 0) (void)::fchown(fd, static_cast<uid_t>(-1), old.st_gid);
    (void)::fchmod(fd, old.st_mode & 07777);
}

void SyncFolder(const std::filesystem::path& folder) {
    const int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

} // namespace quelm
