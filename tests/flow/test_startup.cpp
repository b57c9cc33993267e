// Start-up: the settings file, the language tables, captions, defaults, the
// box check and the connection test; the language menu; the one-time scaling.
#include "form/form_ops.h"
#include "platform/path_text.h"
#include "shell/language_files.h"
#include "shell/scale_layout.h"
#include "shell/startup.h"
#include "support/start_up_files.h"
#include "support/test_rig.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <sys/stat.h>

using namespace quelm;
using namespace quelm::test;
namespace fs = std::filesystem;

namespace {

struct StartUpTest : ::testing::Test {
    explicit StartUpTest(sim::BoxConfig config = SampleBox()) : rig(std::move(config)) { f.workDir = dir; }
    void Start() {
        std::string error;
        ASSERT_TRUE(StartUp(f, error)) << error;
    }

    Rig rig;
    Form& f = rig.form;
    fs::path dir = StartUpFolder("startup_");
};

} // namespace

TEST_F(StartUpTest, WithOneBoxSelectsChannelAThenStartsTheConnectionTest) {
    Start();
    EXPECT_EQ(rig.framesToBox(), (std::vector<Frame5>{{0, 1, 2, 3, 3}, {0, 1, 1, 2, 2}}));
    EXPECT_EQ(rig.message(), "fr box 3");
    EXPECT_TRUE(f.ui.Timer[1]->enabled());
    EXPECT_TRUE(f.ui.Timer[3]->enabled());
    EXPECT_FALSE(rig.buttonsEnabled());
    EXPECT_TRUE(f.ui.Option[1]->value());
    for (int n : {3, 5, 14, 21, 28, 13}) EXPECT_TRUE(f.ui.Option[static_cast<std::size_t>(n)]->value()) << n;
    EXPECT_EQ(f.ui.Text8->text(), "100");
    EXPECT_EQ(f.ui.Text10->text(), "10");
    EXPECT_EQ(f.ui.Text1[0]->text(), "");
    EXPECT_EQ(f.ui.Text103->text(), "*.bdp");
    EXPECT_FALSE(f.ui.Frame[10]->visible());
    EXPECT_TRUE(f.ui.keyPreview);
    // Captions from the tables; controls outside them keep their design text.
    EXPECT_EQ(f.ui.File->caption(), "fr frame 1");
    EXPECT_EQ(f.ui.Frame[1]->caption(), "fr frame 7");
    EXPECT_EQ(f.ui.Frame[18]->caption(), "fr frame 24");
    EXPECT_EQ(f.ui.Frame[20]->caption(), "fr frame 25");
    EXPECT_EQ(f.ui.Command[13]->caption(), "fr frame 33");
    EXPECT_EQ(f.ui.Option[4]->caption(), "fr option 2");
    EXPECT_EQ(f.ui.Option[10]->caption(), "fr option 8");
    EXPECT_EQ(f.ui.Option[14]->caption(), "fr option 9");
    EXPECT_EQ(f.ui.Option[27]->caption(), "fr option 22");
    EXPECT_EQ(f.ui.Option[28]->caption(), "L1 + L3");
    EXPECT_EQ(f.ui.Command[10]->caption(), "Cancel");
    // The connection test then runs: the box acknowledges, attempts count.
    rig.clock.advanceMs(100);
    EXPECT_GE(f.x.attemptCount, 1);
    // Each tick shows the count before it reads.
    const int n = f.x.attemptCount;
    EXPECT_TRUE(rig.message() == Str(n) + "fr box 4" || rig.message() == Str(n - 1) + "fr box 4") << rig.message();
}

TEST_F(StartUpTest, EnglishEmptiesTheBoxesResetsTheDefaultsKeepsLevelsAndDoesNotScaleAgain) {
    f.ui.screen = {12000, 9000};
    Start();
    const Geometry scaled = f.ui.Command[7]->geometry();
    rig.clock.advanceMs(50);
    f.ui.Text1[3]->setText("44");
    f.ui.Text2[9]->setText("1048574");
    f.ui.Text8->setText("80");
    f.ui.Option[4]->select();
    f.ui.Option[9]->select();
    f.ui.Option[12]->setEnabled(false);
    const std::size_t framesBefore = rig.framesToBox().size();

    f.ui.English->click();

    EXPECT_EQ(ReadBytes(dir / kSettingsFile), " 2 \r\n");
    EXPECT_EQ(f.x.language, 2);
    EXPECT_EQ(f.ui.Text1[3]->text(), "");
    EXPECT_EQ(f.ui.Text2[9]->text(), "");
    EXPECT_EQ(f.ui.Text8->text(), "80");
    EXPECT_TRUE(f.ui.Option[3]->value());
    EXPECT_TRUE(f.ui.Option[5]->value());
    EXPECT_TRUE(f.ui.Option[12]->enabled());
    EXPECT_EQ(f.ui.Frame[6]->caption(), "en frame 12");
    EXPECT_EQ(f.ui.Option[1]->caption(), "en option 1");
    EXPECT_EQ(f.ui.Command[7]->geometry().width, scaled.width);
    EXPECT_EQ(f.ui.Command[7]->geometry().left, scaled.left);
    // Channel A was already selected: only a new connection-test frame goes.
    const auto frames = rig.framesToBox();
    ASSERT_EQ(frames.size(), framesBefore + 1);
    EXPECT_EQ(frames.back(), (Frame5{0, 1, 1, 2, 2}));
    f.ui.French->click();
    EXPECT_EQ(ReadBytes(dir / kSettingsFile), " 1 \r\n");
    EXPECT_EQ(f.ui.Frame[6]->caption(), "fr frame 12");
}

TEST_F(StartUpTest, AShortFrameFileSetsItsLinesAndEmptiesTheOtherCaptions) {
    WriteBytes(dir / platform::PathFromUtf8(LanguageFileNames(1)[1]), NumberedLines("fr frame ", 10));
    Start();
    EXPECT_EQ(f.ui.English->caption(), "fr frame 6");
    EXPECT_EQ(f.ui.Frame[4]->caption(), "fr frame 10");
    EXPECT_EQ(f.ui.Frame[5]->caption(), "");
    EXPECT_EQ(f.ui.Command[7]->caption(), "");
    EXPECT_EQ(f.ui.Option[5]->caption(), "fr option 3");
    // A later load that stops early keeps what the earlier one gave.
    WriteBytes(dir / platform::PathFromUtf8(LanguageFileNames(2)[1]), NumberedLines("en frame ", 3));
    f.ui.English->click();
    EXPECT_EQ(f.ui.Savefile->caption(), "en frame 3");
    EXPECT_EQ(f.ui.Language->caption(), "fr frame 4");
}

TEST_F(StartUpTest, SettingsFileForms) {
    for (const char* settings : {" 2 \r\n", "2", "  2,1\r\n", "\r\n 2"}) {
        WriteBytes(dir / kSettingsFile, settings);
        Start();
        EXPECT_EQ(f.x.language, 2) << settings;
        EXPECT_EQ(f.ui.File->caption(), "en frame 1") << settings;
    }
    // Neither 1 nor 2: the window starts in French and says so; the file stays.
    Rig fresh;
    fresh.form.workDir = dir;
    WriteBytes(dir / kSettingsFile, " 3 \r\n");
    std::string error;
    ASSERT_TRUE(StartUp(fresh.form, error));
    EXPECT_EQ(fresh.form.x.language, 1);
    EXPECT_EQ(fresh.form.ui.Frame[6]->caption(), "fr frame 12");
    EXPECT_EQ(fresh.form.ui.Text5->text(), "fr box 49");
    EXPECT_EQ(ReadBytes(dir / kSettingsFile), " 3 \r\n");
}

TEST_F(StartUpTest, AMissingEmptyOrUnreadableSettingsFileStopsTheStartWithItsName) {
    auto fails = [&](const char* what) {
        std::string error;
        EXPECT_FALSE(StartUp(f, error)) << what;
        EXPECT_NE(error.find("param_box.dat"), std::string::npos) << error;
        EXPECT_TRUE(rig.framesToBox().empty()) << what;
        EXPECT_FALSE(f.ui.Timer[3]->enabled()) << what;
    };
    fs::remove(dir / kSettingsFile);
    fails("missing");
    WriteBytes(dir / kSettingsFile, "");
    fails("empty");
    fs::remove(dir / kSettingsFile);
    fs::create_directory(dir / kSettingsFile);
    fails("a folder");
    fs::remove(dir / kSettingsFile);
#ifndef _WIN32
    ASSERT_EQ(::mkfifo((dir / kSettingsFile).c_str(), 0600), 0);
    fails("a pipe, which would never end");
#endif
    // From the open window the failure shows in the message line.
    f.ui.Command[9]->click();
    EXPECT_NE(rig.message().find("param_box.dat"), std::string::npos);
}

TEST_F(StartUpTest, ALanguageChoiceThatCannotBeSavedChangesNothing) {
    Start();
    fs::remove(dir / kSettingsFile);
    fs::create_directory(dir / kSettingsFile); // a folder cannot be replaced by the file
    f.ui.English->click();
    EXPECT_EQ(f.x.language, 1);
    EXPECT_EQ(f.ui.Frame[6]->caption(), "fr frame 12");
    EXPECT_EQ(rig.message(), "fr box 41");
    EXPECT_TRUE(fs::is_directory(dir / kSettingsFile));
}

TEST_F(StartUpTest, ALanguageChangeDuringAReadStopsItAndTheWindowComesBack) {
    // At every moment of a read: the connection test of the new start-up
    // must not be left fighting the read for the box's replies.
    for (int atMs = 0; atMs < 120; atMs += 7) {
        Rig r;
        r.form.workDir = dir;
        std::string error;
        ASSERT_TRUE(StartUp(r.form, error));
        ASSERT_TRUE(r.clock.runUntil([&] { return !r.form.ui.Timer[1]->enabled(); }, 5000));
        r.form.ui.Text3->setText("300");
        r.form.ui.Command[7]->userClick();
        r.clock.advanceMs(atMs);
        r.form.ui.English->click();
        EXPECT_EQ(r.form.ui.Frame[6]->caption(), "en frame 12");
        EXPECT_TRUE(r.clock.runUntil([&] { return r.buttonsEnabled() && r.exchangeTimersOff(); }, 10000)) << atMs;
        EXPECT_EQ(r.form.x.operation, kIdle) << atMs;
    }
}

namespace {

sim::BoxConfig ReportingBox() {
    sim::BoxConfig c = SampleBox();
    c.reportNumber = 300;
    c.reportAfterTests = 3;
    return c;
}

struct WaitNumberTest : StartUpTest {
    WaitNumberTest() : StartUpTest(ReportingBox()) {}
};

} // namespace

TEST_F(WaitNumberTest, AttendreNumeroStartsUpAgainAndAReportedNumberArrives) {
    f.ui.screen = {30480, 21200}; // twice the reference: the start-up scales the layout
    Start();
    ASSERT_TRUE(rig.clock.runUntil([&] { return f.ui.Text3->text() == "300"; }, 1000));
    rig.clock.advanceMs(200);
    f.ui.Text3->setText("12");
    f.ui.Text4->setText("44");
    const Geometry before = f.ui.Command[9]->geometry();
    auto same = [&before](const Geometry& g) {
        return g.left == before.left && g.top == before.top && g.width == before.width && g.height == before.height;
    };
    std::vector<std::string> numbers;
    f.ui.observer = [&](Control& c, Change change) {
        if (&c == f.ui.Text3 && change == Change::Text) numbers.push_back(f.ui.Text3->text());
    };
    f.ui.Command[9]->userClick();
    EXPECT_EQ(f.ui.Text4->text(), "");
    ASSERT_TRUE(rig.clock.runUntil([&] { return f.ui.Text3->text() == "300"; }, 1000));
    EXPECT_EQ(numbers, (std::vector<std::string>{"", "300"}));
    EXPECT_TRUE(same(f.ui.Command[9]->geometry())); // the layout is scaled once only
    rig.clock.advanceMs(200);
    EXPECT_TRUE(rig.buttonsEnabled());
}
