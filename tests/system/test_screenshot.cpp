// The window seen as a person would: started from the real settings and
// language files on a 1366 x 768 screen, in French and then in English
// through the menu. Every caption of the language files stands whole on its
// control, the window fits the screen, and a picture of each is saved under
// the build folder (screenshots/window_fr.png, window_en.png); the trace
// window after a read of the simulated box (trace_en.png).
#include "app/builder.h"
#include "core/virtual_clock.h"
#include "form/form.h"
#include "shell/bind_handlers.h"
#include "shell/startup.h"
#include "support/qt_app.h"
#include "support/test_rig.h"
#include "ui/main_view.h"
#include "ui/trace_window.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QGroupBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QStringDecoder>
#include <QStyle>
#include <QStyleFactory>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

#ifndef QUELM_SCREENSHOT_DIR
#define QUELM_SCREENSHOT_DIR "screenshots"
#endif

namespace quelm {
namespace {

namespace fs = std::filesystem;

constexpr int kScreenWidth = 1366, kScreenHeight = 768;

const char* const kLanguageFiles[] = {"box_Français.dat", "frame_Français.dat", "option_Français.dat",
                                      "box_English.dat",  "frame_English.dat",  "option_English.dat"};

// The shipped data files, beside the executables; the tests run there too.
fs::path dataDir() {
    const char* dir = std::getenv("QUELM_DATA_DIR");
    return dir ? fs::path(dir) : fs::current_path();
}

// Lines of a Windows-1252 file ending in CR LF or CR alone, read here on
// their own so that the tool's reader is checked, not trusted.
std::vector<QString> fileLines(const fs::path& file) {
    QFile in(QString::fromStdString(file.string()));
    if (!in.open(QIODevice::ReadOnly)) return {};
    QStringDecoder decode("windows-1252");
    const QString text = decode(in.readAll());
    QStringList lines = QString(text).replace(QStringLiteral("\r\n"), QStringLiteral("\r")).split(QChar('\r'));
    return {lines.begin(), lines.end()};
}

// Table line k (from 1) of a language file; empty past its end.
QString line(const std::vector<QString>& lines, int k) {
    return k >= 1 && k <= static_cast<int>(lines.size()) ? lines[static_cast<std::size_t>(k - 1)] : QString();
}

// The controls each caption line names: frame table lines 1 to 33 and
// option table lines 1 to 22.
std::vector<std::vector<std::string>> frameCaptionControls() {
    std::vector<std::vector<std::string>> names = {{"File"},     {"openfile"}, {"Savefile"},
                                                   {"Language"}, {"French"},   {"English"}};
    for (int n = 1; n <= 18; ++n) names.push_back({"Frame" + std::to_string(n)});
    names.push_back({"Frame20"});
    for (int n : {4, 5, 6, 7, 8, 9, 12, 13}) names.push_back({"Command" + std::to_string(n)});
    return names;
}

std::vector<std::vector<std::string>> optionCaptionControls() {
    std::vector<std::vector<std::string>> names = {{"Option1", "Option3"}, {"Option2", "Option4"}};
    for (int n = 5; n <= 10; ++n) names.push_back({"Option" + std::to_string(n)});
    for (int n = 14; n <= 27; ++n) names.push_back({"Option" + std::to_string(n)});
    return names;
}

// The room a caption needs on its widget: the text plus the style's
// indicator, frame and margins.
int roomNeeded(const QWidget& w, const QString& caption) {
    const QStyle* style = w.style();
    const int text = w.fontMetrics().horizontalAdvance(caption);
    if (qobject_cast<const QRadioButton*>(&w))
        return style->pixelMetric(QStyle::PM_ExclusiveIndicatorWidth, nullptr, &w) +
               style->pixelMetric(QStyle::PM_RadioButtonLabelSpacing, nullptr, &w) + text;
    if (qobject_cast<const QPushButton*>(&w))
        return 2 * style->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, &w) +
               style->pixelMetric(QStyle::PM_ButtonMargin, nullptr, &w) + text;
    return 2 * 8 + text; // a group's title stands 8 pixels in from either side of the frame
}

QString shownCaption(const QWidget& w) {
    if (auto* group = qobject_cast<const QGroupBox*>(&w)) return group->title();
    if (auto* button = qobject_cast<const QAbstractButton*>(&w)) return button->text();
    return QStringLiteral("<not a captioned widget>");
}

class ScreenshotTest : public ::testing::Test {
protected:
    ScreenshotTest() : driver(clock) {
        driver.devices = 0; // no box: the start-up only looks for one
        work = fs::path(::testing::TempDir()) / ("quelm_screenshot_" + std::to_string(::getpid()));
        fs::remove_all(work);
        fs::create_directories(work);
        for (const char* name : kLanguageFiles) fs::copy_file(dataDir() / name, work / name);
        // French, whatever language was last chosen in the build folder.
        std::ofstream(work / "param_box.dat", std::ios::binary) << " 1 \r\n";
        form.workDir = work;
        form.ui.screen = {kScreenWidth * 15.0, kScreenHeight * 15.0};
        bindHandlers(form);
    }
    ~ScreenshotTest() override { fs::remove_all(work); }

    // Starts the tool as main() does and shows its window.
    void startAndShow() {
        std::string error;
        ASSERT_TRUE(StartUp(form, error)) << error;
        view = std::make_unique<ui::MainView>(form);
        view->show();
        QApplication::processEvents();
    }

    void savePicture(const char* name) const {
        const fs::path dir = QUELM_SCREENSHOT_DIR;
        fs::create_directories(dir);
        const QString file = QString::fromStdString((dir / name).string());
        EXPECT_TRUE(view->grab().save(file)) << file.toStdString();
    }

    // Every caption line of the language's files, on every control it
    // names, exactly and with room to be read whole.
    void expectCaptions(const char* language) const {
        const auto frame = fileLines(dataDir() / (std::string("frame_") + language + ".dat"));
        const auto option = fileLines(dataDir() / (std::string("option_") + language + ".dat"));
        expectTable(frame, frameCaptionControls());
        expectTable(option, optionCaptionControls());
    }

    void expectTable(const std::vector<QString>& lines, const std::vector<std::vector<std::string>>& names) const {
        for (std::size_t i = 0; i < names.size(); ++i) {
            const QString expected = line(lines, static_cast<int>(i) + 1);
            EXPECT_FALSE(expected.isEmpty()) << "line " << i + 1;
            for (const std::string& name : names[i]) expectCaption(name, expected);
        }
    }

    void expectCaption(const std::string& name, const QString& expected) const {
        SCOPED_TRACE(name);
        const Control* control = form.ui.find(name);
        ASSERT_NE(control, nullptr);
        if (control->kind() == ControlKind::Menu) {
            EXPECT_EQ(view->actionOf(static_cast<const MenuItem&>(*control))->text(), expected);
            return;
        }
        const QWidget* w = view->widgetOf(*control);
        ASSERT_NE(w, nullptr);
        EXPECT_EQ(shownCaption(*w), expected);
        EXPECT_LE(roomNeeded(*w, expected), w->width()) << expected.toStdString() << " is clipped";
    }

    // Every control the user sees lies whole inside its group or the
    // client area, and the window inside the screen.
    void expectWindowFitsTheScreen() const {
        EXPECT_TRUE(QRect(0, 0, kScreenWidth, kScreenHeight).contains(view->frameGeometry()))
            << view->frameGeometry().width() << " x " << view->frameGeometry().height();
        for (const Control* c : form.ui.controls()) {
            const QWidget* w = view->widgetOf(*c);
            if (!w->isVisibleTo(view.get())) continue;
            EXPECT_TRUE(w->parentWidget()->rect().contains(w->geometry())) << c->name();
        }
    }

    VirtualClock clock;
    test::RecordingDriver driver;
    Form form{clock, driver};
    fs::path work;
    std::unique_ptr<ui::MainView> view;
};

TEST_F(ScreenshotTest, FrenchWindowShowsEveryCaptionWholeOnTheScreen) {
    startAndShow();
    savePicture("window_fr.png");
    expectCaptions("Français");
    expectWindowFitsTheScreen();
}

TEST_F(ScreenshotTest, EnglishMenuItemPutsEveryEnglishCaptionWhole) {
    startAndShow();
    view->actionOf(*form.ui.English)->trigger();
    QApplication::processEvents();
    savePicture("window_en.png");
    expectCaptions("English");
    expectWindowFitsTheScreen();
}

// The disk manager over the parameter area, opened in both modes and in both
// languages, with project files in the working directory.
TEST_F(ScreenshotTest, DiskManagerInBothModesAndLanguages) {
    for (const char* name : {"12.bdp", "300.bdp", "notes.txt"}) std::ofstream(work / name) << "1\r\n";
    fs::create_directory(work / "projects");
    startAndShow();
    const auto showPanel = [&](const MenuItem& item, const char* picture) {
        view->actionOf(item)->trigger();
        QApplication::processEvents();
        EXPECT_TRUE(view->widgetOf(*form.ui.Frame[10])->isVisible());
        EXPECT_FALSE(view->widgetOf(*form.ui.Frame[6])->isVisible());
        const auto* files = static_cast<const QListWidget*>(view->widgetOf(*form.ui.File1));
        ASSERT_EQ(files->count(), 2);
        EXPECT_EQ(files->item(0)->text(), "12.bdp");
        EXPECT_GE(static_cast<const QListWidget*>(view->widgetOf(*form.ui.Dirlist))->count(), 2);
        EXPECT_GE(static_cast<const QComboBox*>(view->widgetOf(*form.ui.Drvlist))->count(), 1);
        expectWindowFitsTheScreen();
        savePicture(picture);
    };
    form.ui.Text3->setText("42");
    showPanel(*form.ui.openfile, "panel_open_fr.png");
    EXPECT_TRUE(view->widgetOf(*form.ui.Text103)->isEnabled());
    showPanel(*form.ui.Savefile, "panel_save_fr.png");
    EXPECT_EQ(static_cast<const QLineEdit*>(view->widgetOf(*form.ui.Text103))->text(), "42.bdp");
    EXPECT_TRUE(view->widgetOf(*form.ui.Command[12])->isVisible());

    view->actionOf(*form.ui.English)->trigger();
    QApplication::processEvents();
    EXPECT_FALSE(view->widgetOf(*form.ui.Frame[10])->isVisible()); // the start-up hides it
    form.ui.Text3->setText("42");
    showPanel(*form.ui.openfile, "panel_open_en.png");
    showPanel(*form.ui.Savefile, "panel_save_en.png");
    expectCaptions("English");
}

// The trace window after the start-up (the connection test, until detector
// 300 reports its number) and a read of that detector, in English.
TEST(TraceScreenshot, TraceWindowAfterARead) {
    const fs::path work = fs::path(::testing::TempDir()) / ("quelm_trace_shot_" + std::to_string(::getpid()));
    fs::create_directories(work);
    // The shipped box, whose detector 300 reports its number at start.
    {
        std::ifstream shipped(QUELM_SOURCE_DIR "/data/simbox.txt");
        std::ofstream(work / "simbox.txt") << shipped.rdbuf() << "report 300 after=2\n";
    }
    BackendOptions options;
    options.simulate = true;
    options.simFile = (work / "simbox.txt").string();
    std::string error;
    auto tool = BuildTool(options, std::make_unique<VirtualClock>(), {}, error, true);
    ASSERT_TRUE(tool) << error;
    Form& form = *tool->form;
    for (const char* name : kLanguageFiles)
        fs::copy_file(dataDir() / name, work / name, fs::copy_options::overwrite_existing);
    std::ofstream(work / "param_box.dat", std::ios::binary) << " 2 \r\n";
    form.workDir = work;
    form.ui.screen = {kScreenWidth * 15.0, kScreenHeight * 15.0};
    form.ui.linkNote = {describeLink(options, 1), describeLink(options, 2)};
    ASSERT_TRUE(StartUp(form, error)) << error;
    auto& clock = static_cast<VirtualClock&>(*tool->scheduler);
    clock.advanceMs(200); // the connection test, until detector 300 reports its number
    EXPECT_EQ(form.ui.Text3->text(), "300");
    form.ui.Command[7]->click();
    clock.advanceMs(1500);
    ui::MainView view(form, tool->traceLog.get());
    view.show();
    form.ui.ProtocolTrace->click();
    ui::TraceWindow* trace = view.traceWindow();
    ASSERT_NE(trace, nullptr);
    trace->resize(980, 360);
    QApplication::processEvents();
    EXPECT_TRUE(trace->shownText().contains(QStringLiteral("read parameters group 3, detector 300")));
    const fs::path dir = QUELM_SCREENSHOT_DIR;
    fs::create_directories(dir);
    EXPECT_TRUE(trace->grab().save(QString::fromStdString((dir / "trace_en.png").string())));
    fs::remove_all(work);
}

} // namespace
} // namespace quelm
