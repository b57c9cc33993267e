// The language files and the layout scaling: Windows-1252, line ends, the
// ratio rule, and the files the tool ships.
#include "core/texts.h"
#include "core/window_model.h"
#include "platform/path_text.h"
#include "shell/language_files.h"
#include "shell/scale_layout.h"
#include "shell/startup.h"
#include "support/start_up_files.h"
#include "support/test_rig.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#ifndef _WIN32
#include <iconv.h>
#endif
#include <sstream>

using namespace quelm;
using namespace quelm::test;
namespace fs = std::filesystem;

#ifndef _WIN32 // the converter of the C library
TEST(LanguageFiles, Windows1252DecodesAll256BytesAsTheSystemConverterDoes) {
    iconv_t cd = iconv_open("UTF-8", "WINDOWS-1252");
    ASSERT_NE(cd, reinterpret_cast<iconv_t>(-1));
    int undefined = 0;
    for (int b = 0; b < 256; ++b) {
        char in[1] = {static_cast<char>(b)};
        char out[8] = {};
        char* ip = in;
        char* op = out;
        std::size_t il = 1, ol = sizeof out;
        const std::string ours = DecodeWindows1252(std::string_view(in, 1));
        if (iconv(cd, &ip, &il, &op, &ol) == static_cast<std::size_t>(-1)) {
            // Left undefined by the code page: the C1 control of that number.
            ++undefined;
            EXPECT_EQ(ours, std::string({static_cast<char>(0xC2), static_cast<char>(b)})) << b;
        } else {
            EXPECT_EQ(ours, std::string(out, sizeof out - ol)) << b;
        }
    }
    iconv_close(cd);
    EXPECT_EQ(undefined, 5);
    EXPECT_EQ(DecodeWindows1252("D\xE9tecteur N\xB0"), "D\xC3\xA9tecteur N\xC2\xB0");
}
#endif

TEST(LanguageFiles, LinesEndAtCrLfCrOrLfAndAreTakenWhole) {
    const fs::path p = fs::path(::testing::TempDir()) / "lines.dat";
    WriteBytes(p, " a, \"b\" \r\rc\nd\re\r\n" + NumberedLines("x", 60));
    TextTable t;
    t[50] = "old";
    EXPECT_EQ(LoadTable(p, t), 50);
    EXPECT_EQ(t[1], " a, \"b\" ");
    EXPECT_EQ(t[2], "");
    EXPECT_EQ(t[3], "c");
    EXPECT_EQ(t[4], "d");
    EXPECT_EQ(t[5], "e");
    EXPECT_EQ(t[50], "x45");
    // A last line without its end counts; a missing file changes nothing.
    WriteBytes(p, "one\r\ntwo");
    TextTable u;
    u[3] = "kept";
    EXPECT_EQ(LoadTable(p, u), 2);
    EXPECT_EQ(u[2], "two");
    EXPECT_EQ(u[3], "kept");
    EXPECT_EQ(LoadTable(p.string() + ".none", u), 0);
    EXPECT_EQ(u[1], "one");
#ifndef _WIN32
    const fs::path pipe = fs::path(::testing::TempDir()) / "pipe.dat";
    fs::remove(pipe);
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    EXPECT_EQ(LoadTable(pipe, u), 0);
#endif
}

TEST(ScaleLayout, RatioRuleFontsAndTextBoxHeights) {
    EXPECT_NEAR(LayoutRatio({12000, 9000}), 0.7874, 1e-4);
    EXPECT_FLOAT_EQ(LayoutRatio({15240, 10600}), 1.0f);
    EXPECT_FLOAT_EQ(LayoutRatio({19200, 10600}), 1.0f);
    EXPECT_NEAR(LayoutRatio({15360, 11520}), 1.00787, 1e-5);

    VirtualClock clock;
    RecordingDriver driver(clock);
    Form f(clock, driver);
    f.ui.screen = {12000, 9000};
    ScaleLayout(f.ui);
    const Geometry button = f.ui.Command[7]->geometry();
    EXPECT_NEAR(button.width, 1523.6, 0.05);
    EXPECT_NEAR(button.height, 495 * 0.7874, 0.05);
    EXPECT_NEAR(button.left, 2160 * 0.7874, 0.05);
    EXPECT_EQ(f.ui.Command[7]->fontPoints(), 6);
    const Geometry box = f.ui.Text1[4]->geometry();
    EXPECT_EQ(box.height, 375);
    EXPECT_NEAR(box.top, (360 + 480 * 4) * 0.7874, 0.05);
    EXPECT_NEAR(box.width, 1935 * 0.7874, 0.05);
    EXPECT_NEAR(f.ui.Label1[4]->geometry().height, f.ui.Label1[4]->design().height * 0.7874, 0.05);
    EXPECT_EQ(f.ui.frame().left, 0);
    EXPECT_NEAR(f.ui.frame().width, 15240 * 0.7874, 0.05);
    EXPECT_EQ(f.ui.frame().fontPoints, 6);

    Form g(clock, driver);
    g.ui.screen = {15240, 10600};
    ScaleLayout(g.ui);
    EXPECT_EQ(g.ui.Command[7]->geometry().width, 1935);
    EXPECT_EQ(g.ui.Frame[6]->fontPoints(), 8);
    EXPECT_EQ(g.ui.Image1->fontPoints(), 8.25); // a picture has no font to scale
}

TEST(ShippedLanguageFiles, FrenchCaptionsAreTheDesignOnesAndEveryMessageIsThere) {
    const char* data = std::getenv("QUELM_DATA_DIR");
    ASSERT_NE(data, nullptr);
    // The shipped files in a folder of the test's own, with French chosen
    // (the settings file beside the programs holds the user's choice).
    const fs::path work = fs::path(::testing::TempDir()) / "shipped";
    fs::create_directories(work);
    for (int code : {1, 2})
        for (const std::string& name : LanguageFileNames(code))
            fs::copy_file(fs::path(data) / platform::PathFromUtf8(name), work / platform::PathFromUtf8(name),
                          fs::copy_options::overwrite_existing);
    WriteBytes(work / kSettingsFile, " 1 \r\n");
    Rig rig;
    Form& f = rig.form;
    f.workDir = work;
    std::vector<std::string> design;
    for (Control* c : f.ui.controls()) design.push_back(c->caption());
    for (MenuItem* m : f.ui.menus()) design.push_back(m->caption());
    std::string error;
    ASSERT_TRUE(StartUp(f, error)) << error;
    EXPECT_EQ(f.x.language, 1);
    std::size_t i = 0;
    for (Control* c : f.ui.controls()) EXPECT_EQ(c->caption(), design[i++]) << c->name();
    for (MenuItem* m : f.ui.menus()) EXPECT_EQ(m->caption(), design[i++]) << m->name();

    for (int code : {1, 2}) {
        LanguageTables t;
        const auto names = LanguageFileNames(code);
        EXPECT_EQ(LoadTable(fs::path(data) / platform::PathFromUtf8(names[0]), t.messages),
                  LanguageTables::kMessageLines);
        EXPECT_EQ(LoadTable(fs::path(data) / platform::PathFromUtf8(names[1]), t.frame), 50);
        EXPECT_EQ(LoadTable(fs::path(data) / platform::PathFromUtf8(names[2]), t.option), 50);
        for (int k = 1; k <= 41; ++k) {
            if (k != 5 && k != 7) {
                EXPECT_FALSE(t.messageLine(k).empty()) << names[0] << " line " << k;
            }
        }
        for (int k = 1; k <= 33; ++k) EXPECT_FALSE(t.frame[static_cast<std::size_t>(k)].empty()) << k;
        for (int k = 1; k <= 22; ++k) EXPECT_FALSE(t.option[static_cast<std::size_t>(k)].empty()) << k;
    }
}

#ifndef _WIN32 // reads the sources by their path on the build machine
// Every sentence the command line and the site runner pass through the
// catalogue as one literal (`Tr("...")`, `Phrase("...", language)`) has its French wording: a sentence
// added in English only would reach a French technician untranslated.
TEST(Phrases, EverySentenceOfTheCommandLineHasItsFrench) {
    const std::filesystem::path src = std::filesystem::path(QUELM_SOURCE_DIR) / "src";
    std::vector<std::filesystem::path> files = {src / "app" / "backend.cpp"};
    for (const char* folder : {"cli", "site"})
        for (const auto& entry : std::filesystem::directory_iterator(src / folder))
            if (entry.path().extension() == ".cpp") files.push_back(entry.path());
    int checked = 0;
    for (const std::filesystem::path& file : files) {
        std::ifstream in(file);
        const std::string code((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        for (const char* call : {"Tr(", "Phrase("}) {
            for (std::size_t at = code.find(call); at != std::string::npos; at = code.find(call, at + 1)) {
                if (at > 0 && (std::isalnum(static_cast<unsigned char>(code[at - 1])) || code[at - 1] == '_')) continue;
                // The literals that follow, joined as the compiler joins them.
                std::size_t p = at + std::strlen(call);
                std::string key;
                bool literal = false;
                while (true) {
                    while (p < code.size() && std::isspace(static_cast<unsigned char>(code[p]))) ++p;
                    if (p >= code.size() || code[p] != '"') break;
                    literal = true;
                    for (++p; p < code.size() && code[p] != '"'; ++p) {
                        if (code[p] != '\\') {
                            key += code[p];
                            continue;
                        }
                        const char e = code[++p];
                        key += e == 'n' ? '\n' : e;
                    }
                    ++p;
                }
                if (!literal || (code[p] != ')' && code[p] != ',')) continue;
                ++checked;
                EXPECT_STRNE(Phrase(key.c_str(), 1), key.c_str()) << file.filename() << ": \"" << key << "\"";
            }
        }
    }
    EXPECT_GT(checked, 60);
}
#endif
