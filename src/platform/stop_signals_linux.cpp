#include "platform/stop_signals.h"

#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace quelm::platform {

namespace {

volatile std::sig_atomic_t caught = 0;

// Only notes the signal: the command's loop sees it between two events, and
// a wait for the next timer ends early (the signal interrupts it).
extern "C" void NoteStopSignal(int signal) { caught = signal; }

void Handle(int signal, void (*handler)(int)) {
    struct sigaction action {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    // Writes and reads interrupted by the signal go on, rather than fail.
    action.sa_flags = SA_RESTART;
    ::sigaction(signal, &action, nullptr);
}

} // namespace

void CatchStopSignals() {
    caught = 0;
    Handle(SIGINT, NoteStopSignal);
    Handle(SIGTERM, NoteStopSignal);
    // A closed terminal or a dropped remote session ends the run as a stop
    // does, its report written, rather than killing it half-way.
    Handle(SIGHUP, NoteStopSignal);
    Handle(SIGPIPE, SIG_IGN);
}

int StopSignal() { return caught; }

void KeepStandardStreamsTaken() {
    for (int fd = 0; fd <= 2; ++fd) {
        if (::fcntl(fd, F_GETFD) != -1) continue;
        const int opened = ::open("/dev/null", fd == 2 ? O_WRONLY : O_RDONLY);
        if (opened >= 0 && opened != fd) {
            ::dup2(opened, fd);
            ::close(opened);
        }
    }
}

} // namespace quelm::platform
