// A start-up on damaged settings and language files: an unknown language
// code starts in French and says so, a language file that cannot be read is
// named with its reason, and a file saved with line feeds alone reads as the
// same file with CR LF.
#include "core/texts.h"
#include "platform/path_text.h"
#include "shell/language_files.h"
#include "shell/startup.h"
#include "support/start_up_files.h"
#include "support/test_rig.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <sstream>

using namespace quelm;
using namespace quelm::test;
namespace fs = std::filesystem;

namespace {

bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

struct LanguageFaults : ::testing::Test {
    LanguageFaults() { f.workDir = dir; }
    bool Start() {
        std::string error;
        const bool started = StartUp(f, error, &notes);
        EXPECT_TRUE(started) << error;
        return started;
    }
    bool Logged(const std::string& part) const {
        for (const std::string& line : f.ui.LoggerList->items())
            if (Contains(line, part)) return true;
        return false;
    }

    Rig rig;
    Form& f = rig.form;
    fs::path dir = StartUpFolder("langfaults_");
    std::vector<std::string> notes;
};

} // namespace

TEST_F(LanguageFaults, AnUnknownLanguageCodeStartsInFrenchSaysSoAndLeavesTheFile) {
    for (const char* settings : {" 7 \r\n", "x", " 0 ", "-1\r\n"}) {
        Rig fresh;
        fresh.form.workDir = dir;
        WriteBytes(dir / kSettingsFile, settings);
        std::string error;
        ASSERT_TRUE(StartUp(fresh.form, error, &notes)) << settings;
        EXPECT_EQ(fresh.form.x.language, 1) << settings;
        EXPECT_EQ(fresh.form.ui.Language->caption(), "fr frame 4") << settings; // the menu to pick a language
        EXPECT_EQ(fresh.form.ui.Option[5]->caption(), "fr option 3") << settings;
        EXPECT_EQ(fresh.form.ui.Text5->text(), "fr box 49") << settings;
        EXPECT_EQ(ReadBytes(dir / kSettingsFile), settings);
        ASSERT_EQ(notes.size(), 1u) << settings;
        EXPECT_TRUE(Contains(notes[0], "param_box.dat holds an unknown language code")) << notes[0];
        EXPECT_EQ(fresh.form.ui.LoggerList->items().back(), notes[0]);
    }
    // From there the language menu repairs the file.
    WriteBytes(dir / kSettingsFile, " 7 ");
    ASSERT_TRUE(Start());
    f.ui.English->click();
    EXPECT_EQ(f.x.language, 2);
    EXPECT_EQ(ReadBytes(dir / kSettingsFile), " 2 \r\n");
    EXPECT_EQ(f.ui.Language->caption(), "en frame 4");
}

TEST_F(LanguageFaults, AMissingOrUnreadableLanguageFileIsNamedWithItsReason) {
    const auto fr = LanguageFileNames(1);
    fs::remove(dir / platform::PathFromUtf8(fr[1]));
    fs::remove(dir / platform::PathFromUtf8(fr[2]));
    fs::create_directory(dir / platform::PathFromUtf8(fr[2])); // a folder where the option file should be
    ASSERT_TRUE(Start());
    // The built-in captions stand in: the window keeps its menus and buttons.
    EXPECT_EQ(f.ui.Frame[6]->caption(), "Param\xC3\xA8tres");
    EXPECT_EQ(f.ui.File->caption(), "Fichier");
    EXPECT_EQ(f.ui.Text5->text(), " Fichier de langue manquant ou illisible : " + fr[1] + ", " + fr[2]);
    ASSERT_EQ(notes.size(), 2u);
    EXPECT_EQ(notes[0], "cannot open " + platform::Utf8OfPath(dir / platform::PathFromUtf8(fr[1])) + ": no such file");
    EXPECT_EQ(notes[1], "cannot open " + platform::Utf8OfPath(dir / platform::PathFromUtf8(fr[2])) + ": is a folder");
    EXPECT_TRUE(Logged(notes[0]) && Logged(notes[1]));

    // The message table itself missing: a built-in text in the chosen language.
    const auto en = LanguageFileNames(2);
    fs::remove(dir / platform::PathFromUtf8(en[0]));
    WriteBytes(dir / kSettingsFile, " 2 \r\n");
    Rig fresh;
    fresh.form.workDir = dir;
    std::string error;
    ASSERT_TRUE(StartUp(fresh.form, error, &notes));
    EXPECT_EQ(fresh.form.ui.Text5->text(), " Language file missing or unreadable: " + en[0]);
    EXPECT_EQ(fresh.form.ui.Frame[6]->caption(), "en frame 12");
    ASSERT_EQ(notes.size(), 1u);
    EXPECT_EQ(notes[0], "cannot open " + (dir / en[0]).string() + ": no such file");
}

TEST_F(LanguageFaults, AnUnknownCodeAndAMissingFrenchFileAreBothShown) {
    WriteBytes(dir / kSettingsFile, "x\r\n");
    fs::remove(dir / platform::PathFromUtf8(LanguageFileNames(1)[0]));
    ASSERT_TRUE(Start());
    EXPECT_TRUE(Contains(f.ui.Text5->text(), "Code de langue inconnu")) << f.ui.Text5->text();
    EXPECT_TRUE(Contains(f.ui.Text5->text(), LanguageFileNames(1)[0])) << f.ui.Text5->text();
    EXPECT_EQ(notes.size(), 2u);
}

TEST(LanguageFileLines, LineFeedsAloneReadAsTheSameFileWithCrLf) {
    const fs::path base = fs::path(::testing::TempDir()) / "line_ends";
    fs::create_directories(base);
    // Windows-1252 text with a byte that is a letter, not a line end.
    const std::string prefix = "D\xE9tecteur ";
    TextTable crlf, cr, lf;
    WriteBytes(base / "crlf.dat", NumberedLines(prefix, 50, "\r\n"));
    WriteBytes(base / "cr.dat", NumberedLines(prefix, 50, "\r"));
    WriteBytes(base / "lf.dat", NumberedLines(prefix, 50, "\n"));
    EXPECT_EQ(LoadTable(base / "crlf.dat", crlf), 50);
    EXPECT_EQ(LoadTable(base / "cr.dat", cr), 50);
    EXPECT_EQ(LoadTable(base / "lf.dat", lf), 50);
    EXPECT_EQ(crlf, cr);
    EXPECT_EQ(crlf, lf);
    EXPECT_EQ(lf[50], "D\xC3\xA9tecteur 50");
    // An empty line between line feeds is a line of its own.
    WriteBytes(base / "gaps.dat", "a\n\nb\r\n\nc");
    TextTable g;
    EXPECT_EQ(LoadTable(base / "gaps.dat", g), 5);
    EXPECT_EQ(g[2], "");
    EXPECT_EQ(g[4], "");
    EXPECT_EQ(g[5], "c");
}

TEST(ShippedLanguageFiles, LineFortyNineSaysTheCodeIsUnknownInBothLanguages) {
    const char* data = std::getenv("QUELM_DATA_DIR");
    ASSERT_NE(data, nullptr);
    for (int code : {1, 2}) {
        const fs::path file = fs::path(data) / platform::PathFromUtf8(LanguageFileNames(code)[0]);
        const std::string bytes = ReadBytes(file);
        // Exactly 52 lines, each ending in CR LF, no line feed alone.
        std::size_t crlf = 0;
        for (std::size_t at = bytes.find("\r\n"); at != std::string::npos; at = bytes.find("\r\n", at + 2)) ++crlf;
        EXPECT_EQ(crlf, std::size_t{LanguageTables::kMessageLines}) << file;
        EXPECT_EQ(std::count(bytes.begin(), bytes.end(), '\n'), LanguageTables::kMessageLines) << file;
        TextTable t;
        ASSERT_EQ(LoadTable(file, t), 50);
        EXPECT_TRUE(Contains(t[49], "param_box.dat")) << t[49];
    }
    TextTable fr;
    LoadTable(fs::path(data) / platform::PathFromUtf8(LanguageFileNames(1)[0]), fr);
    EXPECT_EQ(fr[49], " Code de langue inconnu dans param_box.dat : fen\xC3\xAAtre en fran\xC3\xA7"
                      "ais, fichier non modifi\xC3\xA9");
}

// Every text of the tool's own catalogue has its French and its English, and
// a port's reason reaches the French window in French.
TEST(OwnTexts, EveryTextIsInBothLanguages) {
    for (int i = 0; i < static_cast<int>(Said::Count); ++i) {
        const auto id = static_cast<Said>(i);
        EXPECT_FALSE(Text(id, 1).empty()) << "French text " << i;
        EXPECT_FALSE(Text(id, 2).empty()) << "English text " << i;
        EXPECT_NE(Text(id, 1), Text(id, 2)) << i;
    }
    EXPECT_EQ(Reason("/dev/ttyS0: not a serial port", 1), "/dev/ttyS0: ce n'est pas un port s\xC3\xA9rie");
    EXPECT_EQ(Reason("/dev/ttyS0: not a serial port", 2), "/dev/ttyS0: not a serial port");
}
