#include "shell/language_files.h"

#include "files/text_file.h"
#include "platform/path_text.h"
#include "protocol/codec.h"

namespace quelm {

namespace {

// Far more than fifty lines of captions or one settings line need; a larger
// file is read no further.
constexpr std::size_t kLanguageFileLimit = 1 << 20;
constexpr std::size_t kSettingsFileLimit = 1 << 16;

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

} // namespace

bool ReadLanguageCode(const std::filesystem::path& file, int& code, std::string& error) {
    const auto bytes = ReadFileStart(file, kSettingsFileLimit, error);
    if (!bytes) return false;
    // The first value: leading blanks and empty lines skipped, ending at a
    // blank, a comma or the end of the line.
    std::size_t start = 0;
    while (start < bytes->size() && (IsBlank((*bytes)[start]) || (*bytes)[start] == '\r' || (*bytes)[start] == '\n'))
        ++start;
    if (start == bytes->size()) {
        error = platform::Utf8OfPath(file) + (bytes->empty() ? " is empty" : " holds no value");
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
    std::string line = " ";
    line += std::to_string(code);
    line += " \r\n";
    return WriteFileAtomically(file, line, error);
}

int LoadTable(const std::filesystem::path& file, std::span<std::string> table) {
    std::string error;
    return LoadTable(file, table, error);
}

int LoadTable(const std::filesystem::path& file, std::span<std::string> table, std::string& error) {
    error.clear();
    const auto bytes = ReadFileStart(file, kLanguageFileLimit, error);
    if (!bytes) return 0;
    return ReadTable(*bytes, table);
}

int ReadTable(std::string_view s, std::span<std::string> table) {
    // A line ends at CR LF, at a CR alone or at a LF alone (a file saved by
    // an editor that writes line feeds only).
    std::size_t at = 0;
    const int last = static_cast<int>(table.size()) - 1;
    int k = 0;
    while (k < last && at < s.size()) {
        std::size_t end = s.find_first_of("\r\n", at);
        if (end == std::string::npos) end = s.size();
        table[static_cast<std::size_t>(++k)] = DecodeWindows1252(s.substr(at, end - at));
        at = end + 1;
        if (end < s.size() && s[end] == '\r' && at < s.size() && s[at] == '\n') ++at;
    }
    return k;
}

std::array<std::string, 3> LanguageFileNames(int code) {
    if (code == 1)
        return {"box_Fran\xC3\xA7"
                "ais.dat",
                "frame_Fran\xC3\xA7"
                "ais.dat",
                "option_Fran\xC3\xA7"
                "ais.dat"};
    if (code == 2) return {"box_English.dat", "frame_English.dat", "option_English.dat"};
    return {};
}

} // namespace quelm
