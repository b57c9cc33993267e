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

// Ctrl+Break, the closing of the console, logging off and shutting down.
// Runs on a thread of its own. After the last three the system ends the
// process as soon as this returns: it waits instead, and the process ends
// when the command has finished as the stop key would, report written (or
// when the system's own few seconds are over).
BOOL WINAPI NoteStopRequest(DWORD event) {
    if (event != CTRL_BREAK_EVENT && event != CTRL_CLOSE_EVENT && event != CTRL_LOGOFF_EVENT &&
        event != CTRL_SHUTDOWN_EVENT)
        return FALSE;
    Note(SIGTERM);
    if (event != CTRL_BREAK_EVENT) ::Sleep(INFINITE);
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
