#include "platform/kept_file.h"

#include "platform/wide_text.h"

#include <windows.h>

#include <algorithm>

namespace quelm::platform {

namespace {

bool Failed(std::string& reason) {
    reason = SystemMessage(::GetLastError());
    if (!reason.empty() && reason.back() == '.') reason.pop_back();
    return false;
}

HANDLE HandleOf(std::intptr_t native) { return reinterpret_cast<HANDLE>(native); }

} // namespace

KeptFile::~KeptFile() { close(); }

bool KeptFile::open(const std::filesystem::path& file, std::string& reason) {
    close();
    const HANDLE h = ::CreateFileW(file.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                   FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return Failed(reason);
    if (::GetFileType(h) != FILE_TYPE_DISK) {
        ::CloseHandle(h);
        reason = "it is not a regular file";
        return false;
    }
    native_ = reinterpret_cast<std::intptr_t>(h);
    return true;
}

bool KeptFile::replaceFrom(std::uint64_t offset, std::string_view bytes, std::string& reason) {
    const HANDLE h = HandleOf(native_);
    LARGE_INTEGER at;
    at.QuadPart = static_cast<LONGLONG>(offset);
    if (native_ == -1 || !::SetFilePointerEx(h, at, nullptr, FILE_BEGIN)) return Failed(reason);
    for (std::size_t done = 0; done < bytes.size();) {
        DWORD n = 0;
        const DWORD size = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1u << 20));
        if (!::WriteFile(h, bytes.data() + done, size, &n, nullptr)) return Failed(reason);
        if (n == 0) {
            reason = SystemMessage(ERROR_DISK_FULL);
            return false;
        }
        done += n;
    }
    if (!::SetEndOfFile(h)) return Failed(reason);
    return ::FlushFileBuffers(h) || Failed(reason);
}

void KeptFile::close() {
    if (native_ != -1) ::CloseHandle(HandleOf(native_));
    native_ = -1;
}

} // namespace quelm::platform
