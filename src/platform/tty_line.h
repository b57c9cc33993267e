#pragma once
// Raw line settings of a Linux tty, shared by the serial port and the
// pseudo-terminal bridge of the tests.
#include <termios.h>

namespace quelm::platform {

// Raw 8-bit line: no echo, no line editing, no translation, no flow or modem
// control, and reads that never block (VMIN = VTIME = 0: waiting is done
// with poll). Returns false when the descriptor is not a terminal.
inline bool makeRawLine(int fd) {
    termios tio{};
    if (::tcgetattr(fd, &tio) != 0) return false;
    ::cfmakeraw(&tio);
    tio.c_cflag |= CLOCAL | CREAD;
    tio.c_cflag &= ~CRTSCTS;
    tio.c_iflag &= ~(IXON | IXOFF | IXANY);
    tio.c_cc[VMIN] = 0;
    tio.c_cc[VTIME] = 0;
    return ::tcsetattr(fd, TCSANOW, &tio) == 0;
}

} // namespace quelm::platform
