#pragma once
// A folder of its own for each test that starts the tool up: the settings
// file chooses French, and every line of the French and English language
// files says what it is ("fr box 3", "en frame 12", "fr option 2"; 50 each).
#include "platform/path_text.h"
#include "shell/language_files.h"
#include "support/file_bytes.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace quelm::test {

// `count` lines "<prefix><k>", each ended by `end`.
inline std::string NumberedLines(const std::string& prefix, int count = 50, const std::string& end = "\r\n") {
    std::string s;
    for (int k = 1; k <= count; ++k) s += prefix + std::to_string(k) + end;
    return s;
}

// The box, frame and option files of language `code`, lines tagged `tag`.
inline void WriteLanguage(const std::filesystem::path& dir, int code, const std::string& tag,
                          const std::string& end = "\r\n") {
    const auto names = LanguageFileNames(code);
    WriteBytes(dir / platform::PathFromUtf8(names[0]), NumberedLines(tag + " box ", 50, end));
    WriteBytes(dir / platform::PathFromUtf8(names[1]), NumberedLines(tag + " frame ", 50, end));
    WriteBytes(dir / platform::PathFromUtf8(names[2]), NumberedLines(tag + " option ", 50, end));
}

// "<prefix><name of the running test>" under the tests' temporary folder,
// new and empty, with the settings and language files.
inline std::filesystem::path StartUpFolder(const std::string& prefix) {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = prefix + info->name();
    for (char& c : name)
        if (c == '/') c = '_'; // a parameterised test's name holds its index
    const std::filesystem::path dir = std::filesystem::path(::testing::TempDir()) / name;
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    WriteLanguage(dir, 1, "fr");
    WriteLanguage(dir, 2, "en");
    WriteBytes(dir / kSettingsFile, " 1 \r\n");
    return dir;
}

} // namespace quelm::test
