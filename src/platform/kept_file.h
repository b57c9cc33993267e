#pragma once
// A regular file kept open while its end is redone again and again (the
// report of a site run as each detector ends): each change written at a
// place in the file, the file cut after it, and flushed to the disk before
// the next. Failures come back in the system's own words.
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

namespace quelm::platform {

class KeptFile {
public:
    KeptFile() = default;
    ~KeptFile();
    KeptFile(const KeptFile&) = delete;
    KeptFile& operator=(const KeptFile&) = delete;

    // Opens the existing regular file `file` for writing, as it is.
    bool open(const std::filesystem::path& file, std::string& reason);
    bool isOpen() const { return native_ != -1; }
    // Writes `bytes` at `offset`, cuts the file after them, and waits until
    // both are on the disk.
    bool replaceFrom(std::uint64_t offset, std::string_view bytes, std::string& reason);
    void close();

private:
    std::intptr_t native_ = -1; // a file descriptor on Linux, a HANDLE on Windows
};

} // namespace quelm::platform
