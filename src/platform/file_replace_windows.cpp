#include "platform/file_replace.h"

#include "platform/unique_name.h"
#include "platform/wide_text.h"

#include <windows.h>

#include <algorithm>
#include <utility>

namespace quelm::platform {

namespace {

// As many links as the system itself follows before it gives up.
constexpr int kMaxLinks = 40;

bool failed(DWORD code, std::string& reason) {
    reason = SystemMessage(code);
    if (!reason.empty() && reason.back() == '.') reason.pop_back();
    return false;
}

HANDLE handleOf(std::intptr_t native) { return reinterpret_cast<HANDLE>(native); }

} // namespace

bool FollowLinks(const std::filesystem::path& name, std::filesystem::path& target, std::string& reason) {
    target = name;
    for (int i = 0; i < kMaxLinks; ++i) {
        std::error_code ec;
        const auto status = std::filesystem::symlink_status(target, ec);
        if (status.type() == std::filesystem::file_type::not_found) return true;
        if (ec) {
            reason = ec.message();
            return false;
        }
        if (!std::filesystem::is_symlink(status)) return true;
        const std::filesystem::path next = std::filesystem::read_symlink(target, ec);
        if (ec) {
            reason = ec.message();
            return false;
        }
        target = next.is_absolute() ? next : target.parent_path() / next;
    }
    return failed(ERROR_CANT_RESOLVE_FILENAME, reason);
}

std::optional<KeptStatus> RegularFileStatus(const std::filesystem::path& file) {
    const DWORD attributes = ::GetFileAttributesW(file.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE)))
        return std::nullopt;
    return KeptStatus{attributes, -1, -1};
}

bool WriteProtected(const std::filesystem::path& file) {
    const DWORD attributes = ::GetFileAttributesW(file.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY) &&
           (attributes & FILE_ATTRIBUTE_READONLY);
}

NewFile::~NewFile() {
    std::string ignored; // only after a failure already reported
    if (native_ != -1) close(ignored);
}

bool NewFile::create(const std::filesystem::path& folder, bool, std::string& reason) {
    // The file takes the folder's security, as every file made there does;
    // the replacing step gives it the old file's.
    for (int i = 0; i < kNameTries; ++i) {
        path_ = UniqueNameIn(folder);
        const HANDLE h =
            ::CreateFileW(path_.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (h != INVALID_HANDLE_VALUE) {
            native_ = reinterpret_cast<std::intptr_t>(h);
            return true;
        }
        if (::GetLastError() != ERROR_FILE_EXISTS) return failed(::GetLastError(), reason);
    }
    return failed(ERROR_FILE_EXISTS, reason);
}

// The old file's attributes (hidden, system, ...), but never read-only on a
// file still to be written; its owner and security come with the replacing.
void NewFile::takeModeAndOwner(const KeptStatus& old) {
    constexpr DWORD kKept =
        FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
    FILE_BASIC_INFO info{};
    info.FileAttributes = (old.mode & kKept) ? (old.mode & kKept) : FILE_ATTRIBUTE_NORMAL;
    (void)::SetFileInformationByHandle(handleOf(native_), FileBasicInfo, &info, sizeof info);
}

std::size_t NewFile::write(const char* data, std::size_t size, std::string& reason) {
    DWORD written = 0;
    const auto chunk = static_cast<DWORD>(std::min<std::size_t>(size, 1u << 30));
    if (!::WriteFile(handleOf(native_), data, chunk, &written, nullptr)) return failed(::GetLastError(), reason);
    if (written == 0) reason = "nothing written";
    return written;
}

bool NewFile::flush(std::string& reason) {
    return ::FlushFileBuffers(handleOf(native_)) || failed(::GetLastError(), reason);
}

bool NewFile::close(std::string& reason) {
    return ::CloseHandle(handleOf(std::exchange(native_, -1))) || failed(::GetLastError(), reason);
}

bool ReplaceWith(const std::filesystem::path& targetName, const std::filesystem::path& replacementName,
                 std::string& reason) {
    // Whole paths: the system's replacing step wants them.
    std::error_code ec;
    const std::filesystem::path target = std::filesystem::absolute(targetName, ec);
    const std::filesystem::path replacement = std::filesystem::absolute(replacementName, ec);
    // A folder is never replaced, as Windows itself refuses.
    const DWORD attributes = ::GetFileAttributesW(target.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
        return failed(ERROR_ACCESS_DENIED, reason);
    // Over an existing file: its attributes and security stay, the new
    // content comes in one step. Where the file system cannot do that, and
    // for a new name, a move that reaches the disk before it returns.
    if (attributes != INVALID_FILE_ATTRIBUTES &&
        ::ReplaceFileW(target.c_str(), replacement.c_str(), nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr))
        return true;
    if (::MoveFileExW(replacement.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return true;
    return failed(::GetLastError(), reason);
}

void SyncFolder(const std::filesystem::path&) {}

} // namespace quelm::platform
