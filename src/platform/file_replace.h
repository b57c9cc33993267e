#pragma once
// The system calls behind a file replaced whole: where a name really points,
// a new file that is ours alone beside it, written and flushed to the disk,
// the old file's mode and owner carried over, and the old file replaced by
// it in one step. Failures come back in the system's own words.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

namespace quelm::platform {

// The file `name` stands for: through every symbolic link, to the last name
// that is not one (which may not exist yet). Fails on a loop of links.
bool FollowLinks(const std::filesystem::path& name, std::filesystem::path& target, std::string& reason);

// What a replacement keeps of the regular file it replaces. On Windows the
// mode is the file's attributes, and the replacing step keeps its security.
struct KeptStatus {
    std::uint32_t mode = 0;
    std::int64_t owner = -1;
    std::int64_t group = -1;
};
// Of an existing regular file; nothing for no file, or another kind.
std::optional<KeptStatus> RegularFileStatus(const std::filesystem::path& file);

// Whether the user has marked the existing file `file` as not to be
// written: no write permission bit at all, or none for us (Linux); the
// read-only attribute (Windows). Replacing it by a rename would go round
// that mark, so a write refuses such a file.
bool WriteProtected(const std::filesystem::path& file);

// A file of our own, open for writing.
class NewFile {
public:
    NewFile() = default;
    ~NewFile();
    NewFile(const NewFile&) = delete;
    NewFile& operator=(const NewFile&) = delete;

    // Creates a file with a name nobody else uses in `folder` (".quelm-" and
    // eight random letters): never an existing file, link, pipe or device.
    // Readable and writable by its owner alone when `privateMode`.
    bool create(const std::filesystem::path& folder, bool privateMode, std::string& reason);
    const std::filesystem::path& path() const { return path_; }
    // The old file's mode and, where the system lets us, its owner and group.
    void takeModeAndOwner(const KeptStatus& old);
    // Writes some of `size` bytes: how many, 0 (with the reason) when the
    // system took none.
    std::size_t write(const char* data, std::size_t size, std::string& reason);
    // What was written reaches the disk.
    bool flush(std::string& reason);
    // The file is closed even when the system reports an error.
    bool close(std::string& reason);

private:
    std::intptr_t native_ = -1; // a file descriptor on Linux, a HANDLE on Windows
    std::filesystem::path path_;
};

// Puts `replacement` in the place of `target` in one step: afterwards the
// name holds the old file whole or the new one whole. Linux: a rename.
// Windows: ReplaceFileW over an existing file, else a move written through.
bool ReplaceWith(const std::filesystem::path& target, const std::filesystem::path& replacement, std::string& reason);

// The folder's entries reach the disk (on Windows the written-through move
// already saw to that).
void SyncFolder(const std::filesystem::path& folder);

} // namespace quelm::platform
