// The application: the window model with its handlers, shown by the Qt view,
// talking to the box through the serial driver or a simulated box.
#include "app/builder.h"
#include "core/printable.h"
#include "core/texts.h"
#include "drivers/qt/qt_scheduler.h"
#include "platform/path_text.h"
#include "platform/system.h"
#include "quelm_version.h"
#include "shell/language_files.h"
#include "shell/startup.h"
#include "ui/geometry.h"
#include "ui/main_view.h"
#include "ui/qt_language.h"
#include "ui/tool_style.h"

#include <QApplication>
#include <QFontInfo>
#include <QLocale>
#include <QMessageBox>
#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace {

constexpr const char* kUsage = "Usage: quelmbox [options]\n"
                               "  --simulate[=FILE]  talk to a simulated box described by FILE\n"
                               "                     (default: simbox.txt next to the program)\n"
                               "  --port PATH        use this serial port instead of the first FTDI adapter\n"
                               "  --seed N           seed of the simulated box's faults, to replay a run\n"
                               "  --trace            print every frame sent and received on standard error\n"
                               "  --screenshot FILE  save a picture of the window to FILE and quit\n"
                               "  --quit-after-paint quit once the window has been painted (start-up timing)\n"
                               "  --version          print the version\n"
                               "  --help             show this text\n"
                               "The settings file param_box.dat and the language files are read from the\n"
                               "current directory.\n";

struct Options {
    quelm::BackendOptions backend;
    QString screenshot;
    bool trace = false;
    bool quitAfterPaint = false;
};

// --help or --version, answered before Qt starts.
const char* earlyAnswer(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--help" || arg == "-h") return kUsage;
        if (arg == "--version") return "quelmbox " QUELM_VERSION "\n";
    }
    return nullptr;
}

// Quits the event loop once `window` has been painted the first time.
class QuitAfterPaint : public QObject {
public:
    explicit QuitAfterPaint(QWidget& window) : QObject(&window) { window.installEventFilter(this); }

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint && !done_) {
            done_ = true;
            const auto* window = static_cast<QWidget*>(parent());
            // The face matters to the figures: outline formats differ in cost.
            std::printf("painted %dx%d in %s\n", window->width(), window->height(),
                        qPrintable(QFontInfo(window->font()).family()));
            std::fflush(stdout);
            QTimer::singleShot(0, qApp, [] { QCoreApplication::exit(0); });
        }
        return false;
    }

private:
    bool done_ = false;
};

// Reads the arguments Qt left; nothing on a bad one, with the reason in `error`.
std::optional<Options> parseOptions(const std::vector<std::string>& args, std::string& error) {
    Options options;
    for (std::size_t i = 1; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--trace") {
            options.trace = true;
        } else if (arg == "--quit-after-paint") {
            options.quitAfterPaint = true;
        } else if (arg == "--screenshot" && i + 1 < args.size()) {
            options.screenshot = QString::fromStdString(args[++i]);
        } else if (arg.rfind("--screenshot=", 0) == 0) {
            options.screenshot = QString::fromStdString(arg.substr(13));
        } else if (!quelm::parseBackendOption(args, i, options.backend, error)) {
            if (error.empty()) error = "unknown argument: " + arg;
            return std::nullopt;
        }
    }
    return options;
}

// Once the window has been shown and painted: save its picture and quit.
void scheduleScreenshot(QWidget& window, const QString& file) {
    QTimer::singleShot(200, &window, [&window, file] {
        const bool saved = window.grab().save(file);
        if (!saved) std::fprintf(stderr, "quelmbox: cannot write %s\n", quelm::Printable(file.toStdString()).c_str());
        QCoreApplication::exit(saved ? 0 : 1);
    });
}

// False on the platforms that draw nothing (tests, CI): no dialog there,
// since nobody could close it.
bool drawsWindows() {
    const QString platform = QGuiApplication::platformName();
    return platform != QLatin1String("offscreen") && platform != QLatin1String("minimal");
}

// The start-up, with anything it throws turned into its reason. What it
// met and got past (a language file missing, say) goes to standard error.
bool startUp(quelm::Form& form, std::string& error, std::vector<std::string>& notes) {
    try {
        const bool started = quelm::StartUp(form, error, &notes);
        for (const std::string& note : notes) std::fprintf(stderr, "quelmbox: %s\n", quelm::Printable(note).c_str());
        return started;
    } catch (const std::exception& e) {
        error = e.what();
        return false;
    }
}

// A start-up that fails ends the program before any window: whoever started
// it from a menu never sees standard error, so the reason is also shown in a
// dialog, except on the platforms that draw nothing (tests, CI).
// The settings file says the language: without it the system's is taken.
void reportFailedStart(const quelm::Form& form, const std::string& error) {
    std::fprintf(stderr, "quelmbox: %s\n", quelm::Printable(error).c_str());
    if (!drawsWindows()) return;
    const int language = QLocale::system().language() == QLocale::French ? 1 : 2;
    quelm::ui::useQtLanguage(language);
    std::error_code ec;
    const std::filesystem::path settings =
        std::filesystem::absolute(form.workDir / quelm::kSettingsFile, ec).lexically_normal();
    const std::string said = quelm::Filled(quelm::Text(quelm::Said::SettingsUnreadable, language), settings.string(),
                                           quelm::Reason(error, language), settings.parent_path().string());
    QMessageBox::critical(nullptr, QString::fromStdString(form.ui.caption), QString::fromStdString(said));
}

// What the start-up got past, also in a dialog over the open window: the
// connection test soon writes its progress over the message line.
// The dialog stays until the user closes it: the message line is soon
// taken by the connection test.
void showStartUpNotes(QWidget& window, const quelm::Form& form, const std::vector<std::string>& notes) {
    if (notes.empty() || !drawsWindows()) return;
    const int language = form.x.language;
    std::string reasons;
    for (const std::string& note : notes) reasons += quelm::Reason(note, language) + "\n";
    if (!reasons.empty()) reasons.pop_back();
    std::error_code ec;
    const std::filesystem::path dir = form.workDir.empty() ? std::filesystem::path(".") : form.workDir;
    const std::string folder = std::filesystem::absolute(dir, ec).lexically_normal().string();
    const std::string said = quelm::Filled(quelm::Text(quelm::Said::LanguageFilesUnread, language), reasons, folder);
    auto* box = new QMessageBox(QMessageBox::Warning, QString::fromStdString(form.ui.title()),
                                QString::fromStdString(said), QMessageBox::Ok, &window);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open(); // window-modal, the event loop goes on: the box check and its timers run
}

int fail(const std::string& message) {
    std::fprintf(stderr, "quelmbox: %s\n%s", quelm::Printable(message).c_str(), kUsage);
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    if (const char* answer = earlyAnswer(argc, argv)) {
        std::fputs(answer, stdout);
        return 0;
    }
    QApplication app(argc, argv); // takes Qt's own options out of argv
    QApplication::setStyle(quelm::ui::makeToolStyle());

    std::string error;
    // The arguments Qt left, as UTF-8 on every system.
    std::vector<std::string> args;
    for (const QString& arg : QCoreApplication::arguments()) args.push_back(arg.toStdString());
    const auto options = parseOptions(args, error);
    if (!options) return fail(error);
    quelm::TraceSink trace;
    if (options->trace)
        trace = [](const std::string& line) { std::fprintf(stderr, "%s\n", quelm::Printable(line).c_str()); };
    const auto tool = quelm::BuildTool(options->backend, std::make_unique<quelm::QtScheduler>(), trace, error,
                                       /*keepTraceLog=*/true);
    if (!tool) return fail(error);
    // The settings and language files are read from the working directory.
    quelm::Form& form = *tool->form;
    // The disk manager offers the user's home folder among its drives.
    form.homeDir = quelm::platform::PathFromUtf8(quelm::platform::HomeFolder());
    form.ui.screen = quelm::ui::availableScreenTwips();
    form.ui.linkNote = {quelm::describeLink(options->backend, 1), quelm::describeLink(options->backend, 2)};
    std::vector<std::string> notes;
    if (!startUp(form, error, notes)) {
        reportFailedStart(form, error);
        return 1; // the window does not open
    }
    quelm::ui::useQtLanguage(form.x.language);
    quelm::ui::MainView view(
        form, tool->traceLog.get()); // shows the model as the start-up left it: scaled, with its captions
    view.show();
    showStartUpNotes(view, form, notes);
    if (!options->screenshot.isEmpty()) scheduleScreenshot(view, options->screenshot);
    if (options->quitAfterPaint) new QuitAfterPaint(view);
    return QApplication::exec();
}
