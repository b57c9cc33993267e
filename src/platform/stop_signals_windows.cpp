#include "platform/stop_signals.h"

#include "platform/windows_events.h"

#include <windows.h>

#include <atomic>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <io.h>

namespace quelm::platform {

namespace {

std::atomic<int> caught{0};

void Note(int signal) {
    caught = signal;
    ::SetEvent(StopRequestEvent());
}

// The C library's signals: Ctrl+C reaches the program as SIGINT, and
// raise() as itself. A handler lasts one signal there, so it sets itself again.
extern "C" void NoteStopSignal(int signal) {
    std::signal(signal, NoteStopSignal);
    Note(signal);
}

// Ctrl+Break and the closing of the console. Runs on a thread of its own and
// keeps the process alive to finish as the stop key would.
BOOL WINAPI NoteStopRequest(DWORD event) {
    if (event != CTRL_BREAK_EVENT && event != CTRL_CLOSE_EVENT) return FALSE;
    Note(SIGTERM);
    return TRUE;
}

} // namespace

void CatchStopSignals() {
    caught = 0;
    std::signal(SIGINT, NoteStopSignal);
    std::signal(SIGTERM, NoteStopSignal);
    ::SetConsoleCtrlHandler(NoteStopRequest, TRUE);
}

int StopSignal() { return caught; }

void KeepStandardStreamsTaken() {
    for (int fd = 0; fd <= 2; ++fd) {
        if (::_get_osfhandle(fd) >= 0) continue;
        const int opened = ::_open("NUL", fd == 2 ? _O_WRONLY : _O_RDONLY);
        if (opened >= 0 && opened != fd) {
            ::_dup2(opened, fd);
            ::_close(opened);
        }
    }
}

} // namespace quelm::platform
