#pragma once
// A new folder of its own under the system's temporary folder, on every
// system: "<prefix>-<random>".
#include <filesystem>
#include <random>
#include <string>
#include <system_error>

namespace quelm::test {

inline std::filesystem::path MakeTempFolder(const std::string& prefix) {
    std::random_device random;
    std::error_code ec;
    const std::filesystem::path base = std::filesystem::temp_directory_path(ec);
    for (int attempt = 0; !ec && attempt < 100; ++attempt) {
        const std::filesystem::path dir = base / (prefix + "-" + std::to_string(random()));
        if (std::filesystem::create_directory(dir, ec)) return dir;
    }
    return {};
}

} // namespace quelm::test
