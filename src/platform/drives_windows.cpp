#include "platform/drives.h"

#include "platform/path_text.h"
#include "platform/wide_text.h"

#include <windows.h>

#include <filesystem>

namespace quelm::platform {

std::vector<std::string> SystemDrives(const std::string&) {
    std::vector<std::string> drives;
    wchar_t buffer[512] = {};
    const DWORD n = ::GetLogicalDriveStringsW(511, buffer);
    if (n == 0 || n > 511) return drives;
    // "C:\", "D:\", ... one after the other, each ended by a NUL.
    for (const wchar_t* drive = buffer; *drive; drive += std::wcslen(drive) + 1) drives.push_back(Utf8Of(drive));
    return drives;
}

bool CanListFolder(const std::string& folder) {
    std::error_code ec;
    std::filesystem::directory_iterator it(PathFromUtf8(folder), ec);
    return !ec;
}

} // namespace quelm::platform
