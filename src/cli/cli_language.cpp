#include "cli/cli_language.h"

#include "core/texts.h"
#include "platform/system.h"
#include "shell/language_files.h"

namespace quelm::cli {

namespace {

int language = 2;

} // namespace

int LanguageOfSession(const std::string& name) {
    const bool french = name.size() >= 2 && (name[0] == 'f' || name[0] == 'F') && (name[1] == 'r' || name[1] == 'R') &&
                        (name.size() == 2 || name[2] == '_' || name[2] == '-' || name[2] == '.' || name[2] == '@');
    return french ? 1 : 2;
}

int ChooseLanguage(int given, const std::vector<std::filesystem::path>& folders, const std::string& session) {
    if (given == 1 || given == 2) return given;
    for (const std::filesystem::path& folder : folders) {
        std::error_code ec;
        const std::filesystem::path file = folder / kSettingsFile;
        if (folder.empty() || !std::filesystem::is_regular_file(file, ec)) continue;
        int code = 0;
        std::string error;
        if (ReadLanguageCode(file, code, error) && (code == 1 || code == 2)) return code;
    }
    return LanguageOfSession(session);
}

int ChooseLanguage(int given) {
    return ChooseLanguage(given, {".", platform::UserSettingsFolder()}, platform::SessionLanguage());
}

void UseLanguage(int chosen) { language = chosen == 1 ? 1 : 2; }

int Language() { return language; }

const char* Tr(const char* english) { return Phrase(english, language); }

} // namespace quelm::cli
