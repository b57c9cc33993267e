#include "project/project_file.h"

#include "files/text_file.h"
#include "form/form_ops.h"
#include "form/parameter_table.h"
#include "platform/path_text.h"
#include "protocol/number.h"

#include <cctype>
#include <cstdio>

namespace quelm {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }
bool IsLineEnd(char c) { return c == '\r' || c == '\n'; }
// A byte no project file holds: a control character other than CR, LF and tab.
bool IsForeign(char c) {
    const auto byte = static_cast<unsigned char>(c);
    return (byte < 0x20 && !IsLineEnd(c) && c != '\t') || byte == 0x7F;
}

// A whole text that is a decimal number: sign, digits, point, exponent.
bool IsNumberText(std::string_view s) {
    std::size_t i = 0;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
    std::size_t digits = 0;
    while (i < s.size() && std::isdigit(static_cast<unsigned char>(s[i]))) ++i, ++digits;
    if (i < s.size() && s[i] == '.') ++i;
    while (i < s.size() && std::isdigit(static_cast<unsigned char>(s[i]))) ++i, ++digits;
    if (digits == 0) return false;
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
        ++i;
        if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
        if (i == s.size()) return false;
        while (i < s.size() && std::isdigit(static_cast<unsigned char>(s[i]))) ++i;
    }
    return i == s.size();
}

// An address line. A text that the reader would split or shorten (a comma,
// blanks or a double quote at its start) is written between double quotes,
// so the file still holds 19 values; a double quote cannot stand inside a
// quoted value and becomes an apostrophe there. A line end inside a text
// would start a new value and becomes a blank, as does any other control
// character, which would make the file one that no read opens.
std::string AddressLine(const std::string& text) {
    std::string bytes = EncodeWindows1252(text);
    for (char& c : bytes)
        if (IsForeign(c) || IsLineEnd(c)) c = ' ';
    const bool quote =
        bytes.find(',') != std::string::npos || (!bytes.empty() && (IsBlank(bytes.front()) || bytes.front() == '"'));
    if (!quote) return bytes;
    for (char& c : bytes)
        if (c == '"') c = '\'';
    return '"' + bytes + '"';
}

// One value from `at`, leaving `at` after its comma or line end.
std::string NextValue(std::string_view s, std::size_t& at) {
    while (at < s.size() && IsBlank(s[at])) ++at;
    std::string_view value;
    if (at < s.size() && s[at] == '"') {
        const std::size_t end = s.find_first_of("\"\r\n", at + 1);
        value = s.substr(at + 1, (end == std::string_view::npos ? s.size() : end) - at - 1);
        at = end == std::string_view::npos ? s.size() : end;
        if (at < s.size() && s[at] == '"') ++at;
        // Whatever stands between the closing quote and the delimiter is dropped.
        at = std::min(s.size(), s.find_first_of(",\r\n", at));
    } else {
        const std::size_t end = std::min(s.size(), s.find_first_of(",\r\n", at));
        value = s.substr(at, end - at);
        at = end;
        std::string_view trimmed = value;
        while (!trimmed.empty() && IsBlank(trimmed.back())) trimmed.remove_suffix(1);
        if (IsNumberText(trimmed)) value = trimmed;
    }
    if (at < s.size()) {
        const bool crlf = s[at] == '\r' && at + 1 < s.size() && s[at + 1] == '\n';
        at += crlf ? 2 : 1;
    }
    return DecodeWindows1252(value);
}

} // namespace

const std::array<std::vector<int>, kProjectOptionLines>& ProjectOptionLines() {
    static const std::array<std::vector<int>, kProjectOptionLines> lines = [] {
        std::array<std::vector<int>, kProjectOptionLines> options;
        for (const ParameterRow& row : ParameterTable()) {
            if (row.isLevel()) continue;
            for (const ParameterChoice& c : row.choices)
                options[static_cast<std::size_t>(row.projectLine - kFirstProjectOptionLine)].push_back(c.option);
        }
        return options;
    }();
    return lines;
}

std::string FormatProjectFile(const ProjectRecord& record) {
    std::string out;
    for (const std::string& address : record.addresses) out += AddressLine(address) + "\r\n";
    // A group with no option selected gives an empty line, which a read
    // leaves unused, so the file keeps its 19 values.
    for (int option : record.options) out += (option != 0 ? std::to_string(option) : std::string()) + "\r\n";
    for (double level : record.levels) {
        out += ' ';
        out += NumberText(level);
        out += " \r\n";
    }
    return out;
}

std::vector<std::string> ParseProjectValues(std::string_view bytes) {
    std::vector<std::string> values;
    std::size_t at = 0;
    while (values.size() < kProjectValues && at < bytes.size()) values.push_back(NextValue(bytes, at));
    return values;
}

std::optional<int> MatchProjectOption(int line, const std::string& value) {
    if (line < kFirstProjectOptionLine || line > kLastProjectOptionLine) return std::nullopt;
    const double number = NumericValue(value);
    for (int option : ProjectOptionLines()[static_cast<std::size_t>(line - kFirstProjectOptionLine)])
        if (number == option) return option;
    return std::nullopt;
}

bool WriteProjectFile(const std::filesystem::path& file, const ProjectRecord& record, std::string& error) {
    return WriteFileAtomically(file, FormatProjectFile(record), error);
}

std::optional<std::size_t> ForeignByte(std::string_view bytes) {
    for (std::size_t i = 0; i < bytes.size(); ++i)
        if (IsForeign(bytes[i])) return i;
    return std::nullopt;
}

ProjectRead ReadProjectValues(const std::filesystem::path& file, std::vector<std::string>& values, std::string& error) {
    const auto bytes = ReadFileStart(file, kProjectFileLimit, error);
    if (!bytes) return ProjectRead::unreadable;
    if (const auto at = ForeignByte(*bytes)) {
        char byte[8];
        std::snprintf(byte, sizeof byte, "0x%02X", static_cast<unsigned char>((*bytes)[*at]));
        error = platform::Utf8OfPath(file) + ": not a project file (byte " + byte + " at offset " +
                std::to_string(*at) + ")";
        return ProjectRead::notAProjectFile;
    }
    values = ParseProjectValues(*bytes);
    return ProjectRead::read;
}

bool ReadProjectFile(const std::filesystem::path& file, std::vector<std::string>& values, std::string& error) {
    return ReadProjectValues(file, values, error) == ProjectRead::read;
}

bool IsPlainFileName(std::string_view text) {
    return text.find_first_of(std::string_view("/\\\0", 3)) == std::string_view::npos &&
           text.find("..") == std::string_view::npos;
}

std::string JoinFolder(const std::string& folder, const std::string& name) {
    const char separator = static_cast<char>(std::filesystem::path::preferred_separator);
    if (!folder.empty() && folder.back() == separator) return folder + name;
    return folder + separator + name;
}

} // namespace quelm
