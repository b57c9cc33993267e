// The protocol trace window: every frame with its time, operation, step and
// meaning, the link's log, saved and cleared; and, opened or closed, the
// link sends the same frames at the same times. With it, the menu items a
// user expects: the language in use checked, the title naming the box, Quit.
#include "app/builder.h"
#include "core/virtual_clock.h"
#include "shell/startup.h"
#include "support/qt_app.h"
#include "ui/main_view.h"
#include "ui/trace_window.h"

#include <QAction>
#include <QApplication>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace quelm {
namespace {

namespace fs = std::filesystem;

std::unique_ptr<Tool> SimulatedTool(bool keepTraceLog) {
    BackendOptions options;
    options.simulate = true;
    options.simFile = QUELM_SOURCE_DIR "/data/simbox.txt";
    std::string error;
    auto tool = BuildTool(options, std::make_unique<VirtualClock>(), {}, error, keepTraceLog);
    EXPECT_TRUE(tool) << error;
    return tool;
}

VirtualClock& ClockOf(Tool& tool) { return static_cast<VirtualClock&>(*tool.scheduler); }

// Reads detector 300 and then asks for 299, which never answers, for three
// seconds; the key stops it. Qt's events run between the ticks, so an open
// window paints what comes.
void ReadThenStop(Tool& tool) {
    Form& f = *tool.form;
    f.ui.Text3->setText("300");
    f.ui.Command[7]->click();
    for (int ms = 0; ms < 1500; ms += 10) {
        ClockOf(tool).advanceMs(10);
        QApplication::processEvents();
    }
    f.ui.Text3->setText("299");
    f.ui.Command[7]->click();
    ClockOf(tool).advanceMs(3000);
    f.x.keyPressed = 32;
    ClockOf(tool).advanceMs(500);
    QApplication::processEvents();
}

struct LinkRun {
    std::vector<std::pair<std::int64_t, int>> bytesToBox; // time, byte
    std::string message;
    std::string text8;
};

LinkRun Record(Tool& tool) {
    LinkRun run;
    for (const auto& b : tool.backend.box->bytesFromHost()) run.bytesToBox.emplace_back(b.tUs, b.byte);
    run.message = tool.form->ui.Text5->text();
    run.text8 = tool.form->ui.Text8->text();
    return run;
}

TEST(TraceWindow, OpenOrClosedTheLinkSendsTheSameFramesAtTheSameTimes) {
    auto plain = SimulatedTool(false);
    ReadThenStop(*plain);
    const LinkRun without = Record(*plain);
    ASSERT_GT(without.bytesToBox.size(), 15u);

    auto traced = SimulatedTool(true);
    ui::MainView view(*traced->form, traced->traceLog.get());
    view.show();
    traced->form->ui.ProtocolTrace->click();
    ASSERT_NE(view.traceWindow(), nullptr);
    ASSERT_TRUE(view.traceWindow()->isVisible());
    ReadThenStop(*traced);
    const LinkRun with = Record(*traced);

    EXPECT_EQ(with.bytesToBox, without.bytesToBox);
    EXPECT_EQ(with.message, without.message);
    EXPECT_EQ(with.text8, without.text8);
    EXPECT_FALSE(traced->traceLog->entries().empty());
}

class TraceContent : public ::testing::Test {
protected:
    TraceContent() : tool(SimulatedTool(true)), view(*tool->form, tool->traceLog.get()) {
        dir = fs::path(::testing::TempDir()) / ("quelm_trace_" + std::to_string(::getpid()));
        fs::create_directories(dir);
    }
    ~TraceContent() override { fs::remove_all(dir); }
    std::unique_ptr<Tool> tool;
    ui::MainView view;
    fs::path dir;
};

TEST_F(TraceContent, FramesCarryTimeHexDecimalOperationStepAndMeaning) {
    ReadThenStop(*tool);
    const TraceLog& log = *tool->traceLog;
    const TraceEntry* request = nullptr;
    const TraceEntry* reply = nullptr;
    bool polled = false;
    std::int64_t last = 0;
    for (const TraceEntry& e : log.entries()) {
        EXPECT_GE(e.timeUs, last); // in the order things happened
        last = e.timeUs;
        if (!request && e.kind == TraceEntry::Kind::Sent && e.bytes[0] == 64) request = &e;
        if (!reply && e.kind == TraceEntry::Kind::Received && e.bytes[0] == 64) reply = &e;
        polled = polled || e.kind == TraceEntry::Kind::Log;
    }
    ASSERT_TRUE(request && reply);
    EXPECT_TRUE(polled);
    EXPECT_EQ(request->operation, kReadGroup1);
    EXPECT_LT(request->timeUs, reply->timeUs);
    const std::string line = FormatTraceEntry(*request);
    EXPECT_NE(line.find("TX  40 00 01 2C 6D   64   0   1  44 109  op  7 step  0"), std::string::npos) << line;
    EXPECT_NE(line.find("detector 300"), std::string::npos) << line;
    EXPECT_NE(line.find(" ms  "), std::string::npos);
    EXPECT_NE(FormatTraceEntry(*reply).find("RX  40"), std::string::npos);

    // The window opened afterwards shows everything kept, then what comes,
    // in the window's language (French at the first start), and says it all
    // again when the language changes.
    tool->form->ui.ProtocolTrace->click();
    ui::TraceWindow& window = *view.traceWindow();
    std::string shown = window.shownText().toStdString() + "\n";
    EXPECT_EQ(shown, log.text(1));
    tool->form->ui.Text3->setText("12");
    tool->form->ui.Command[7]->click();
    ClockOf(*tool).advanceMs(1500);
    shown = window.shownText().toStdString() + "\n";
    EXPECT_EQ(shown, log.text(1));
    EXPECT_NE(shown.find("lecture des param\xC3\xA8tres, groupe 1, d\xC3\xA9tecteur 12"), std::string::npos) << shown;
    tool->form->ui.English->click();
    shown = window.shownText().toStdString() + "\n";
    const std::string english = log.text(2);
    tool->form->ui.French->click(); // the choice is kept in the settings the other tests start from
    EXPECT_EQ(shown, english);
    EXPECT_NE(shown.find("read parameters group 1, detector 12"), std::string::npos) << shown;
}

TEST_F(TraceContent, SavedWholeOrNotAtAllAndCleared) {
    ReadThenStop(*tool);
    tool->form->ui.ProtocolTrace->click();
    ui::TraceWindow& window = *view.traceWindow();
    const fs::path file = dir / "trace.txt";
    std::ofstream(file) << "old";
    QString error;
    ASSERT_TRUE(window.saveTo(QString::fromStdString(file.string()), error)) << error.toStdString();
    std::stringstream saved;
    saved << std::ifstream(file).rdbuf();
    EXPECT_EQ(saved.str(), tool->traceLog->text(1));
    EXPECT_FALSE(window.saveTo(QString::fromStdString((dir / "missing" / "t.txt").string()), error));
    EXPECT_FALSE(error.isEmpty());

    window.clearTrace();
    EXPECT_TRUE(tool->traceLog->entries().empty());
    EXPECT_TRUE(window.shownText().isEmpty());
}

TEST(TraceLogLimit, DropsTheOldestTenthWhenFull) {
    VirtualClock clock;
    TraceLog log(clock, 100);
    for (int i = 0; i < 250; ++i) log.addText(TraceEntry::Kind::Log, std::to_string(i));
    ASSERT_LE(log.entries().size(), 100u);
    EXPECT_EQ(log.entries().back().text, "249");
    EXPECT_EQ(std::stoi(log.entries().front().text), 250 - static_cast<int>(log.entries().size()));
}

// A quiet tick's line, logged every few milliseconds, takes one line with
// its count; another line, or a frame, starts a new one.
TEST(TraceLogRepeats, ALineThatRepeatsIsShownOnceWithItsCount) {
    VirtualClock clock;
    TraceLog log(clock);
    int added = 0, repeated = 0;
    log.onAdded = [&](const TraceEntry&) { ++added; };
    log.onRepeated = [&](const TraceEntry&) { ++repeated; };
    for (int i = 0; i < 3; ++i) log.addText(TraceEntry::Kind::Log, "<11>", "quiet");
    log.addText(TraceEntry::Kind::Log, "<11>", "other note");
    log.addFrame(clock.nowUs(), true, {0, 1, 1, 2, 2}, "connection test");
    log.addText(TraceEntry::Kind::Log, "<11>", "other note");
    ASSERT_EQ(log.entries().size(), 4u);
    EXPECT_EQ(log.entries()[0].repeats, 3);
    EXPECT_EQ(added, 4);
    EXPECT_EQ(repeated, 2);
    EXPECT_NE(FormatTraceEntry(log.entries()[0]).find("log <11>   (quiet)   x3"), std::string::npos);
    EXPECT_EQ(FormatTraceEntry(log.entries()[1]).find(" x"), std::string::npos);
}

// Language items, title and Quit, from the shipped files on the simulated box.
TEST(WindowMenus, LanguageCheckedTitleNamesTheBoxAndQuitCloses) {
    const fs::path work = fs::path(::testing::TempDir()) / ("quelm_menus_" + std::to_string(::getpid()));
    fs::create_directories(work);
    for (const char* name : {"box_Français.dat", "frame_Français.dat", "option_Français.dat", "box_English.dat",
                             "frame_English.dat", "option_English.dat"})
        fs::copy_file(fs::path(QUELM_SOURCE_DIR "/data") / name, work / name, fs::copy_options::overwrite_existing);
    std::ofstream(work / "param_box.dat", std::ios::binary) << " 1 \r\n";
    auto tool = SimulatedTool(true);
    Form& f = *tool->form;
    f.workDir = work;
    BackendOptions simulated;
    simulated.simulate = true;
    f.ui.linkNote = {describeLink(simulated, 1), describeLink(simulated, 2)};
    std::string error;
    ASSERT_TRUE(StartUp(f, error)) << error;
    ui::MainView view(f, tool->traceLog.get());
    view.show();
    QAction* french = view.actionOf(*f.ui.French);
    QAction* english = view.actionOf(*f.ui.English);
    EXPECT_TRUE(french->isChecked());
    EXPECT_FALSE(english->isChecked());
    EXPECT_TRUE(view.windowTitle().endsWith(QStringLiteral("boîte simulée"))) << view.windowTitle().toStdString();
    EXPECT_EQ(view.actionOf(*f.ui.ProtocolTrace)->text(), QStringLiteral("Trace du protocole"));

    english->trigger();
    EXPECT_TRUE(english->isChecked());
    EXPECT_FALSE(french->isChecked());
    EXPECT_TRUE(view.windowTitle().endsWith(QStringLiteral("simulated box")));
    EXPECT_EQ(view.actionOf(*f.ui.Quit)->text(), QStringLiteral("Quit"));
    english->trigger(); // the language in use stays checked
    EXPECT_TRUE(english->isChecked());

    BackendOptions real;
    EXPECT_EQ(describeLink(real, 2), "first FTDI adapter");
    real.port = "/dev/ttyUSB3";
    EXPECT_EQ(describeLink(real, 1), "/dev/ttyUSB3");

    view.actionOf(*f.ui.Quit)->trigger();
    EXPECT_FALSE(view.isVisible());
    fs::remove_all(work);
}

} // namespace
} // namespace quelm
