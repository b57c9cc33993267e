// The window on Windows: the window model with its handlers, shown by the
// system's own controls, talking to the box through the serial driver or a
// simulated box. One thread: the message loop runs the model's timers.
#include "app/builder.h"
#include "core/printable.h"
#include "core/texts.h"
#include "core/view_geometry.h"
#include "platform/path_text.h"
#include "platform/system.h"
#include "quelm_version.h"
#include "shell/language_files.h"
#include "shell/startup.h"
#include "win/controls.h"
#include "win/main_window.h"
#include "win/win_scheduler.h"

#include <windows.h>

#include <shellapi.h>

#include <cstdio>
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
                               "  --port NAME        use this serial port (COM5) instead of the first FTDI adapter\n"
                               "  --seed N           seed of the simulated box's faults, to replay a run\n"
                               "  --quit-after-paint quit once the window has been painted (start-up timing)\n"
                               "  --version          print the version\n"
                               "  --help             show this text\n"
                               "The settings file param_box.dat and the language files are read from the\n"
                               "current folder.\n";

struct Options {
    quelm::BackendOptions backend;
    bool quitAfterPaint = false;
    bool answered = false; // --help or --version
};

// The arguments as UTF-8, whatever the system's code page.
std::vector<std::string> arguments() {
    int count = 0;
    wchar_t** wide = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    std::vector<std::string> args;
    for (int i = 0; i < count; ++i) args.push_back(quelm::win::Utf8(wide[i]));
    if (wide) ::LocalFree(wide);
    return args;
}

// A program without a console says what it must in a message box; standard
// output and error still get it when they lead somewhere (a console, a pipe).
void say(const std::string& text, const std::string& title, UINT icon) {
    std::fputs(quelm::Printable(text).c_str(), icon == MB_ICONINFORMATION ? stdout : stderr);
    std::fflush(icon == MB_ICONINFORMATION ? stdout : stderr);
    if (::GetStdHandle(icon == MB_ICONINFORMATION ? STD_OUTPUT_HANDLE : STD_ERROR_HANDLE) == nullptr)
        ::MessageBoxW(nullptr, quelm::win::Wide(text).c_str(), quelm::win::Wide(title).c_str(), MB_OK | icon);
}

std::optional<Options> parseOptions(const std::vector<std::string>& args, std::string& error) {
    Options options;
    for (std::size_t i = 1; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--help" || arg == "-h" || arg == "/?") {
            say(kUsage, "quelmbox", MB_ICONINFORMATION);
            options.answered = true;
        } else if (arg == "--version") {
            say("quelmbox " QUELM_VERSION "\n", "quelmbox", MB_ICONINFORMATION);
            options.answered = true;
        } else if (arg == "--quit-after-paint") {
            options.quitAfterPaint = true;
        } else if (!quelm::parseBackendOption(args, i, options.backend, error)) {
            if (error.empty()) error = "unknown argument: " + arg;
            return std::nullopt;
        }
    }
    return options;
}

int systemLanguage() { return PRIMARYLANGID(::GetUserDefaultUILanguage()) == LANG_FRENCH ? 1 : 2; }

std::string absoluteFolder(const std::filesystem::path& dir) {
    std::error_code ec;
    return quelm::platform::Utf8OfPath(
        std::filesystem::absolute(dir.empty() ? std::filesystem::path(".") : dir, ec).lexically_normal());
}

// The start-up, with anything it throws turned into its reason. A start-up
// that fails ends the program before any window, with the reason in a
// message box in the system's language: the settings file says the tool's.
bool startUp(quelm::Form& form, std::vector<std::string>& notes) {
    std::string error;
    try {
        if (quelm::StartUp(form, error, &notes)) return true;
    } catch (const std::exception& e) {
        error = e.what();
    }
    const int language = systemLanguage();
    const std::filesystem::path settings = std::filesystem::path(absoluteFolder(form.workDir)) / quelm::kSettingsFile;
    const std::string said =
        quelm::Filled(quelm::Text(quelm::Said::SettingsUnreadable, language), quelm::platform::Utf8OfPath(settings),
                      quelm::Reason(error, language), absoluteFolder(form.workDir));
    say(said + "\n", form.ui.caption, MB_ICONERROR);
    return false;
}

// What the start-up got past (a language file missing, say), in the user's
// language over the open window: the connection test soon writes its
// progress over the message line. The window's timers go on meanwhile.
void showStartUpNotes(HWND window, const quelm::Form& form, const std::vector<std::string>& notes) {
    if (notes.empty()) return;
    std::string reasons;
    for (const std::string& note : notes) reasons += quelm::Reason(note, form.x.language) + "\n";
    reasons.pop_back();
    const std::string said = quelm::Filled(quelm::Text(quelm::Said::LanguageFilesUnread, form.x.language), reasons,
                                           absoluteFolder(form.workDir));
    ::MessageBoxW(window, quelm::win::Wide(said).c_str(), quelm::win::Wide(form.ui.title()).c_str(),
                  MB_OK | MB_ICONWARNING);
}

// The work area of the primary screen, in twips, at the screen's dots per inch.
quelm::ScreenSize screenTwips(int dpi) {
    RECT area{};
    if (!::SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0)) return {};
    return quelm::ScreenTwips(area.right - area.left, area.bottom - area.top, dpi);
}

} // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int show) {
    std::string error;
    const auto options = parseOptions(arguments(), error);
    if (!options) {
        say("quelmbox: " + error + "\n" + kUsage, "quelmbox", MB_ICONERROR);
        return 2;
    }
    if (options->answered) return 0;
    auto owned = std::make_unique<quelm::win::WinScheduler>();
    quelm::win::WinScheduler& scheduler = *owned;
    const auto tool = quelm::BuildTool(options->backend, std::move(owned), nullptr, error, /*keepTraceLog=*/true);
    if (!tool) {
        say("quelmbox: " + error + "\n", "quelmbox", MB_ICONERROR);
        return 2;
    }
    quelm::Form& form = *tool->form;
    form.homeDir = quelm::platform::PathFromUtf8(quelm::platform::HomeFolder());
    form.ui.screen = screenTwips(quelm::win::MainWindow::SystemDpi());
    form.ui.linkNote = {quelm::describeLink(options->backend, 1), quelm::describeLink(options->backend, 2)};
    std::vector<std::string> notes;
    if (!startUp(form, notes)) return 1; // the window does not open
    quelm::win::MainWindow window(form, tool->traceLog.get());
    scheduler.preTranslate = [&window](MSG& msg) { return window.preTranslate(msg); };
    if (options->quitAfterPaint)
        window.onFirstPaint = [&window] {
            std::printf("painted\n");
            std::fflush(stdout);
            ::PostMessageW(window.hwnd(), WM_CLOSE, 0, 0);
        };
    window.show(show);
    ::UpdateWindow(window.hwnd());
    showStartUpNotes(window.hwnd(), form, notes);
    scheduler.runUntil([&scheduler] { return scheduler.quitting(); }, std::int64_t{1} << 50);
    scheduler.preTranslate = nullptr;
    return 0;
}
