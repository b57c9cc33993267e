// The readers of files: project, language, settings and simulated box
// files. The language and settings readers take a path; their bytes go into
// a memory file, read through /proc/self/fd as any regular file.
#include "../entries.h"

#include "drivers/sim/sim_box.h"
#include "project/project_file.h"
#include "shell/language_files.h"

#include <cstdlib>
#include <set>
#include <string>
#include <string_view>
#include <sys/mman.h>
#include <unistd.h>

namespace quelm::fuzz {

namespace {

std::string_view Text(const std::uint8_t* data, std::size_t size) {
    return {reinterpret_cast<const char*>(data), size};
}

// The path of a memory file holding `bytes`, the same file each time.
std::filesystem::path MemoryFile(std::string_view bytes) {
    static const int fd = ::memfd_create("quelm-fuzz", MFD_CLOEXEC);
    if (fd < 0 || ::ftruncate(fd, 0) != 0) std::abort();
    if (!bytes.empty() && ::pwrite(fd, bytes.data(), bytes.size(), 0) != static_cast<ssize_t>(bytes.size()))
        std::abort();
    return "/proc/self/fd/" + std::to_string(fd);
}

bool ValidUtf8(std::string_view s) {
    for (std::size_t i = 0; i < s.size();) {
        const auto b = static_cast<unsigned char>(s[i]);
        const std::size_t n = b < 0x80 ? 1 : (b >> 5) == 6 ? 2 : (b >> 4) == 14 ? 3 : (b >> 3) == 30 ? 4 : 0;
        if (n == 0 || i + n > s.size()) return false;
        for (std::size_t k = 1; k < n; ++k)
            if ((static_cast<unsigned char>(s[i + k]) >> 6) != 2) return false;
        i += n;
    }
    return true;
}

} // namespace

// Any bytes read with at most 19 values; any ten address texts written so
// that the file opens again and reads back as 19 values with its options and
// levels.
int ProjectFile(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes = Text(data, size);
    const auto values = ParseProjectValues(bytes);
    if (values.size() > kProjectValues) std::abort();
    for (const auto& v : values)
        if (!ValidUtf8(v)) std::abort();
    ProjectRecord record;
    for (std::size_t i = 0; i < 10; ++i) record.addresses[i] = std::string(bytes.substr(i * size / 10, size / 10 + 1));
    record.options = {4, 11, 10, 20, 27, 29};
    record.levels = {85, 50.5, 0};
    const std::string file = FormatProjectFile(record);
    if (ForeignByte(file)) std::abort(); // a saved file always opens again
    const auto back = ParseProjectValues(file);
    if (back.size() != kProjectValues) std::abort();
    for (int line = 11; line <= 16; ++line)
        if (MatchProjectOption(line, back[static_cast<std::size_t>(line - 1)]) !=
            record.options[static_cast<std::size_t>(line - 11)])
            std::abort();
    if (back[16] != "85" || back[17] != "50.5" || back[18] != "0") std::abort();
    return 0;
}

// At most 50 lines, each valid UTF-8; lines past the file's keep their text.
int LanguageFile(const std::uint8_t* data, std::size_t size) {
    TextTable table;
    table.fill("old");
    const int lines = LoadTable(MemoryFile(Text(data, size)), table);
    if (lines < 0 || lines > LanguageTables::kLines) std::abort();
    for (int k = 1; k <= LanguageTables::kLines; ++k) {
        const std::string& line = table[static_cast<std::size_t>(k)];
        if (!ValidUtf8(line) || (k > lines && line != "old")) std::abort();
    }
    return 0;
}

// A language code of 0, 1 or 2, or a refusal that says why.
int SettingsFile(const std::uint8_t* data, std::size_t size) {
    int code = -1;
    std::string error;
    if (ReadLanguageCode(MemoryFile(Text(data, size)), code, error)) {
        if (code < 0 || code > 2) std::abort();
    } else if (error.empty()) {
        std::abort();
    }
    return 0;
}

// A box in range, or a refusal that says why; the box loaded answers.
int BoxFile(const std::uint8_t* data, std::size_t size) {
    std::string error;
    const auto config = sim::parseBoxText(std::string(Text(data, size)), error);
    if (!config) {
        if (error.empty()) std::abort();
        return 0;
    }
    if ((config->channel != 3 && config->channel != 4) || config->boxesAttached > 9 || config->turnaroundUs < 0 ||
        config->turnaroundUs > 60'000'000)
        std::abort();
    std::set<std::uint32_t> numbers;
    for (const auto& d : config->detectors)
        if (d.number > 1048574 || !numbers.insert(d.number).second) std::abort();
    sim::SimBox box(*config);
    const std::uint32_t n = config->detectors.empty() ? 300 : config->detectors.front().number;
    const std::uint8_t request[5] = {64, std::uint8_t(n >> 16), std::uint8_t(n >> 8), std::uint8_t(n),
                                     std::uint8_t(64 ^ (n >> 16) ^ (n >> 8) ^ n)};
    for (int i = 0; i < 5; ++i) box.hostByte(i * sim::kByteWireUs, request[i]);
    std::uint8_t byte = 0;
    while (box.takeByte(120'000'000, byte)) {}
    return 0;
}

} // namespace quelm::fuzz
