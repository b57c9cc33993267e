#pragma once
// Whole files as bytes, for tests that write a file, let the tool read or
// write it, and look at the bytes.
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace quelm::test {

inline std::string ReadBytes(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

inline void WriteBytes(const std::filesystem::path& p, const std::string& bytes) {
    std::ofstream(p, std::ios::binary) << bytes;
}

} // namespace quelm::test
