#include "shell/language_files.h"

#include "detector/codec.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <optional>
#include <sstream>

namespace quelm {

namespace {

// Code points of the bytes 0x80 to 0x9F; the other bytes map to themselves.
constexpr char16_t kHighControls[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

void AppendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

// The file's first `limit` bytes, or nothing with the reason in `error`.
// Only a regular file is opened: a pipe or a device could keep the start-up
// waiting forever.
std::optional<std::string> ReadFile(const std::filesystem::path& file, std::size_t limit, std::string& error) {
    const std::string name = file.filename().string();
    std::error_code ec;
    const auto status = std::filesystem::status(file, ec);
    if (!std::filesystem::exists(status)) {
        error = "cannot open " + name + ": no such file";
        return std::nullopt;
    }
    if (!std::filesystem::is_regular_file(status)) {
        error = "cannot read " + name + ": it is not a regular file";
        return std::nullopt;
    }
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        error = "cannot open " + name + ": " + std::strerror(errno);
        return std::nullopt;
    }
    std::string bytes(limit, '\0');
    in.read(bytes.data(), static_cast<std::streamsize>(limit));
    if (in.bad()) {
        error = "cannot read " + name;
        return std::nullopt;
    }
    bytes.resize(static_cast<std::size_t>(in.gcount()));
    return bytes;
}

// Far more than fifty lines of captions or one settings line need; a larger
// file is read no further.
constexpr std::size_t kLanguageFileLimit = 1 << 20;
constexpr std::size_t kSettingsFileLimit = 1 << 16;

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

} // namespace

std::string DecodeWindows1252(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size());
    for (char b : bytes) {
        const auto byte = static_cast<unsigned char>(b);
        AppendUtf8(out, byte >= 0x80 && byte <= 0x9F ? kHighControls[byte - 0x80] : byte);
    }
    return out;
}

bool ReadLanguageCode(const std::filesystem::path& file, int& code, std::string& error) {
    const auto bytes = ReadFile(file, kSettingsFileLimit, error);
    if (!bytes) return false;
    // The first value: leading blanks and empty lines skipped, ending at a
    // blank, a comma or the end of the line.
    std::size_t start = 0;
    while (start < bytes->size() && (IsBlank((*bytes)[start]) || (*bytes)[start] == '\r' || (*bytes)[start] == '\n'))
        ++start;
    if (start == bytes->size()) {
        error = file.filename().string() + (bytes->empty() ? " is empty" : " holds no value");
        return false;
    }
    std::size_t end = start;
    while (end < bytes->size() && !IsBlank((*bytes)[end]) && (*bytes)[end] != ',' && (*bytes)[end] != '\r' &&
           (*bytes)[end] != '\n')
        ++end;
    const double value = NumericValue(bytes->substr(start, end - start));
    code = value == 1 ? 1 : value == 2 ? 2 : 0;
    return true;
}

bool WriteLanguageCode(const std::filesystem::path& file, int code, std::string& error) {
    // Written beside the file and renamed over it: a failed write leaves the
    // old settings whole.
    std::filesystem::path temporary = file;
    temporary += ".new";
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    if (out) out << ' ' << code << " \r\n";
    out.close();
    std::error_code ec;
    std::string reason;
    if (!out)
        reason = std::strerror(errno);
    else if (std::filesystem::rename(temporary, file, ec); ec)
        reason = ec.message();
    if (reason.empty()) return true;
    std::filesystem::remove(temporary, ec);
    error = "cannot write " + file.filename().string() + ": " + reason;
    return false;
}

int LoadTable(const std::filesystem::path& file, TextTable& table) {
    std::string error;
    const auto bytes = ReadFile(file, kLanguageFileLimit, error);
    if (!bytes) return 0;
    // A line ends at CR LF or at a CR alone; a LF alone is part of the text.
    const std::string& s = *bytes;
    std::size_t at = 0;
    int k = 0;
    while (k < LanguageTables::kLines && at < s.size()) {
        std::size_t end = s.find('\r', at);
        if (end == std::string::npos) end = s.size();
        table[static_cast<std::size_t>(++k)] = DecodeWindows1252(std::string_view(s).substr(at, end - at));
        at = end + 1;
        if (at < s.size() && s[at] == '\n') ++at;
    }
    return k;
}

std::array<std::string, 3> LanguageFileNames(int code) {
    if (code == 1) return {"box_Fran\xC3\xA7" "ais.dat", "frame_Fran\xC3\xA7" "ais.dat", "option_Fran\xC3\xA7" "ais.dat"};
    if (code == 2) return {"box_English.dat", "frame_English.dat", "option_English.dat"};
    return {};
}

} // namespace quelm
