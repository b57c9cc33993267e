#pragma once
// The ".bdp" project file: one detector's settings, 19 values, one per line,
// Windows-1252, CR LF: ten addresses, six option numbers, three levels.
// Plain data in and out; the window side is in project_actions.h.
#include <array>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quelm {

inline constexpr std::size_t kProjectValues = 19;
// Lines 11 to 16 hold an option number each, 17 to 19 a level each.
inline constexpr std::size_t kProjectOptionLines = 6;
// Nineteen short values need a few hundred bytes; a larger file is read no
// further than this.
inline constexpr std::size_t kProjectFileLimit = 64 * 1024;

// The window's values as a save writes them. Texts are UTF-8.
struct ProjectRecord {
    std::array<std::string, 10> addresses;
    // The selected option of each group, by the number in its name (Option13
    // is 13), in file order: channel, power, dynamic time, rise time, fall
    // time, command type; 0 when the group has none selected.
    std::array<int, kProjectOptionLines> options{};
    std::array<double, 3> levels{}; // ON+, DYN+, DYN-
};

// The option numbers each option line (11 to 16) is compared with, in the
// order they are tested, as the parameter table gives them.
const std::array<std::vector<int>, kProjectOptionLines>& ProjectOptionLines();

// The file's bytes for a record.
std::string FormatProjectFile(const ProjectRecord& record);
// The values of a file, at most 19, decoded to UTF-8, by the reading rules:
// a value ends at a comma or a line end, blanks before it are skipped, a
// quoted value is the text between the quotes, an empty line is an empty
// value, a number loses its surrounding blanks.
std::vector<std::string> ParseProjectValues(std::string_view bytes);
// The option a value of option line `line` (11 to 16) selects, if any.
std::optional<int> MatchProjectOption(int line, const std::string& value);

// The first byte no project file holds, if any: NUL and the other control
// bytes but CR, LF and tab (a binary file, UTF-16 text). Windows-1252 text,
// bytes 80 to FF included, has none.
std::optional<std::size_t> ForeignByte(std::string_view bytes);

// Writes the file whole or leaves the old one as it was.
bool WriteProjectFile(const std::filesystem::path& file, const ProjectRecord& record, std::string& error);
enum class ProjectRead { read, unreadable, notAProjectFile };
// The values of the file's first kProjectFileLimit bytes; with the reason,
// naming the file, when the file cannot be read (missing, not a regular
// file) or holds a byte no project file holds.
ProjectRead ReadProjectValues(const std::filesystem::path& file, std::vector<std::string>& values, std::string& error);
// The same, true when the values were read.
bool ReadProjectFile(const std::filesystem::path& file, std::vector<std::string>& values, std::string& error);

// A detector number text that names a file in the chosen folder itself: no
// path separator, no "..", no NUL.
bool IsPlainFileName(std::string_view text);
// `name` in `folder`, with one separator between them; a folder that ends
// with the separator (a root) gets no second one.
std::string JoinFolder(const std::string& folder, const std::string& name);

} // namespace quelm
