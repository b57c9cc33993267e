#include "platform/system.h"

#include <cstdio>
#include <cstdlib>
#include <unistd.h>

namespace quelm::platform {

std::filesystem::path ExecutablePath() {
    std::error_code ec;
    std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ec ? std::filesystem::path() : exe;
}

std::string HomeFolder() {
    const char* home = std::getenv("HOME");
    return home ? home : "";
}

std::string SessionLanguage() {
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = std::getenv(name);
        if (value != nullptr && *value != '\0') return value;
    }
    return "";
}

std::filesystem::path UserSettingsFolder() {
    const char* data = std::getenv("XDG_DATA_HOME");
    if (data != nullptr && *data == '/') return std::filesystem::path(data) / "quelmbox";
    const std::string home = HomeFolder();
    return home.empty() ? std::filesystem::path() : std::filesystem::path(home) / ".local/share/quelmbox";
}

std::vector<std::string> Utf8Arguments(int argc, char** argv) { return std::vector<std::string>(argv, argv + argc); }

void PrepareConsole() {}

bool HasOwnConsole() { return false; }

void WaitForKey() {}

namespace {

ssize_t PassOn(void* cookie, const char* data, std::size_t size) {
    (*static_cast<StreamWrite*>(cookie))(data, size);
    return static_cast<ssize_t>(size);
}

int Release(void* cookie) {
    delete static_cast<StreamWrite*>(cookie);
    return 0;
}

} // namespace

bool IsTerminal(std::FILE* file) { return file != nullptr && ::isatty(::fileno(file)) != 0; }

std::FILE* OpenWriteStream(StreamWrite write, bool lineBuffered) {
    auto* cookie = new StreamWrite(std::move(write));
    std::FILE* f = ::fopencookie(cookie, "w", cookie_io_functions_t{nullptr, PassOn, nullptr, Release});
    if (f == nullptr) {
        delete cookie;
        return nullptr;
    }
    if (lineBuffered)
        std::setvbuf(f, nullptr, _IOLBF, 4096);
    else
        std::setvbuf(f, nullptr, _IONBF, 0);
    return f;
}

} // namespace quelm::platform
