#include "platform/system.h"

#include "platform/wide_text.h"

#include <windows.h>

#include <fcntl.h>
#include <io.h>
#include <shellapi.h>

#include <conio.h>
#include <cstdio>
#include <cstdlib>

namespace quelm::platform {

std::filesystem::path ExecutablePath() {
    std::wstring buffer(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = ::GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (n == 0) return {};
        if (n < buffer.size()) return std::filesystem::path(buffer.substr(0, n));
        buffer.resize(buffer.size() * 2);
    }
}

std::string SessionLanguage() {
    wchar_t name[LOCALE_NAME_MAX_LENGTH] = {};
    const LCID ui = MAKELCID(::GetUserDefaultUILanguage(), SORT_DEFAULT);
    if (::LCIDToLocaleName(ui, name, LOCALE_NAME_MAX_LENGTH, 0) <= 0) return "";
    return Utf8Of(name);
}

// The window keeps its settings in the folder it runs in, which the working
// folder already stands for.
std::filesystem::path UserSettingsFolder() { return {}; }

std::string HomeFolder() {
    const DWORD n = ::GetEnvironmentVariableW(L"USERPROFILE", nullptr, 0);
    if (n == 0) return {};
    std::wstring value(n, L'\0');
    const DWORD got = ::GetEnvironmentVariableW(L"USERPROFILE", value.data(), n);
    return Utf8Of(std::wstring_view(value.data(), got));
}

std::vector<std::string> Utf8Arguments(int argc, char** argv) {
    int count = 0;
    wchar_t** wide = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    if (!wide || count != argc) {
        if (wide) ::LocalFree(wide);
        return std::vector<std::string>(argv, argv + argc);
    }
    std::vector<std::string> args;
    for (int i = 0; i < count; ++i) args.push_back(Utf8Of(wide[i]));
    ::LocalFree(wide);
    return args;
}

namespace {

UINT consoleCodePage = 0;

void GiveCodePageBack() { ::SetConsoleOutputCP(consoleCodePage); }

} // namespace

void PrepareConsole() {
    consoleCodePage = ::GetConsoleOutputCP();
    if (consoleCodePage != 0 && consoleCodePage != CP_UTF8) std::atexit(GiveCodePageBack);
    ::SetConsoleOutputCP(CP_UTF8);
    std::fflush(stdout);
    std::fflush(stderr);
    ::_setmode(::_fileno(stdout), _O_BINARY);
    ::_setmode(::_fileno(stderr), _O_BINARY);
    // The C runtime writes an unbuffered stream a piece at a time, which
    // splits a UTF-8 letter across writes to the console; a buffer makes each
    // write whole, and the tool flushes where a line must show at once.
    static char outBuffer[1 << 14];
    static char errBuffer[1 << 14];
    std::setvbuf(stdout, outBuffer, _IOFBF, sizeof outBuffer);
    std::setvbuf(stderr, errBuffer, _IOFBF, sizeof errBuffer);
}

bool HasOwnConsole() {
    DWORD processes[2] = {};
    return ::GetConsoleProcessList(processes, 2) == 1;
}

void WaitForKey() { (void)::_getch(); }

bool IsTerminal(std::FILE* file) { return file != nullptr && ::_isatty(::_fileno(file)) != 0; }

// Without streams of its own a live status would run into the messages, so
// none is shown.
std::FILE* OpenWriteStream(StreamWrite, bool) { return nullptr; }

} // namespace quelm::platform
