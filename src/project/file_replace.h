#pragma once
// The system calls behind a file replaced whole: where a name really points,
// a temporary file that is ours alone, the old file's mode and owner carried
// over, and a folder's entries flushed. Each returns the system's error
// number (0 on success) so that the caller words the failure.
#include <filesystem>
#include <optional>
#include <sys/stat.h>

namespace quelm {

// The file `name` stands for: through every symbolic link, to the last name
// that is not one (which may not exist yet). ELOOP for a loop of links.
int FollowLinks(const std::filesystem::path& name, std::filesystem::path& target);

// The status of an existing regular file, or nothing (no file, or another kind).
std::optional<struct stat> RegularFileStatus(const std::filesystem::path& file);

// Creates a new file with a name nobody else uses in `folder` (".quelm-"
// and eight random letters): never an existing file, link, pipe or device.
// Mode 600 when `privateMode`, else 666 less the process's mask. On success
// `fd` is open for writing and `created` names it.
int CreateUniqueFile(const std::filesystem::path& folder, bool privateMode, int& fd, std::filesystem::path& created);

// Gives the open file `fd` the mode of `old` and, where the system lets us,
// its owner and group.
void CopyModeAndOwner(int fd, const struct stat& old);

// The folder's entries reach the disk.
void SyncFolder(const std::filesystem::path& folder);

} // namespace quelm
