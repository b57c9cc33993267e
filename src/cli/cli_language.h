#pragma once
// The language the command line speaks, as the window would: the choice kept
// in the settings file, else the session's, unless --lang says otherwise.
// Language 1 is French, 2 English, as in the settings file.
#include <filesystem>
#include <string>
#include <vector>

namespace quelm::cli {

// 1 for a French locale or language name ("fr", "fr_FR.UTF-8", "fr-CA"),
// 2 for any other ("C", "en_GB.UTF-8", "") .
int LanguageOfSession(const std::string& name);

// `given` (from --lang) when not 0; else the code of the settings file in
// the first of `folders` that holds one with 1 or 2; else the session's.
int ChooseLanguage(int given, const std::vector<std::filesystem::path>& folders, const std::string& session);
// The same for this process: the working folder, then the user's own.
int ChooseLanguage(int given);

// The language the messages are in from now on, and the sentence `english`
// in it.
void UseLanguage(int language);
int Language();
const char* Tr(const char* english);

} // namespace quelm::cli
