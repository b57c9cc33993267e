#include "platform/drives.h"

#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace quelm::platform {

std::vector<std::string> SystemDrives(const std::string& home) {
    // /proc files report no size: read up to a bound.
    std::ifstream in("/proc/self/mounts", std::ios::binary);
    std::string table(1 << 20, '\0');
    in.read(table.data(), static_cast<std::streamsize>(table.size()));
    table.resize(static_cast<std::size_t>(in.gcount()));
    return ListDrives(home, table, RemovableMountBases());
}

bool CanListFolder(const std::string& folder) {
    std::error_code ec;
    std::filesystem::directory_iterator it(folder, ec);
    return !ec && ::access(folder.c_str(), R_OK | X_OK) == 0;
}

} // namespace quelm::platform
