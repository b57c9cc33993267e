#pragma once
// Paths are UTF-8 text inside the tool. A std::filesystem::path is made from
// such text, and turned back into it, only through these two: on Windows the
// standard library would otherwise read and write narrow path text in a
// single-byte code page, and an accented folder name would not survive.
#include <filesystem>
#include <string>
#include <string_view>

namespace quelm::platform {

inline std::filesystem::path PathFromUtf8(std::string_view utf8) {
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

inline std::string Utf8OfPath(const std::filesystem::path& path) {
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

} // namespace quelm::platform
