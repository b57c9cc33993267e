#pragma once
// The settings file and the language files: single-byte Windows-1252 text,
// lines ending in CR LF, CR alone or LF alone. The tool writes CR LF.
#include "core/language_tables.h"
#include "files/text_file.h"

#include <array>
#include <filesystem>
#include <span>
#include <string>
#include <string_view>

namespace quelm {

inline constexpr const char* kSettingsFile = "param_box.dat";

// Reads the language code, the first value of the settings file. False with
// the reason in `error` when the file is missing, unreadable or empty. A value
// that is not 1 or 2 gives 0.
bool ReadLanguageCode(const std::filesystem::path& file, int& code, std::string& error);
// Replaces the settings file with the single line " <code> " CR LF.
bool WriteLanguageCode(const std::filesystem::path& file, int code, std::string& error);

using TextTable = std::array<std::string, LanguageTables::kLines + 1>;
// Lines 1 to N of a language file into entries 1 to N of a table with
// entries 0 to N (50 for the frame and option tables, more for the message
// table); further lines are ignored. A missing file or one with fewer lines
// stops the load there: entries read keep their new text, the others their
// old one. Returns the number of lines read.
int LoadTable(const std::filesystem::path& file, std::span<std::string> table);
// The same, with the reason a file could not be read in `error` ("cannot
// open frame_English.dat: no such file"); empty when it was read.
int LoadTable(const std::filesystem::path& file, std::span<std::string> table, std::string& error);
// The names of the three files for a language code (box, frame, option);
// empty names for a code other than 1 or 2.
std::array<std::string, 3> LanguageFileNames(int code);
// The lines of a language file's bytes into table[1], table[2], ...; the
// number of lines read.
int ReadTable(std::string_view bytes, std::span<std::string> table);
// The language file of data/ the tool carries built in: kind 0 box, 1 frame,
// 2 option; language 1 French, 2 English.
std::string_view BuiltInLanguageFile(int kind, int language);

} // namespace quelm
