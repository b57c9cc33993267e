// pty_box: a simulated box behind a pseudo-terminal, to try the tool's serial
// path by hand or from a script (the Windows build under Wine reaches it as
// a COM port). Prints the pseudo-terminal's path on its first line, then
// serves the box until its standard input ends.
//   pty_box [BOX-FILE]      (default: simbox.txt beside the program)
#include "app/backend.h"
#include "support/pty_bridge.h"

#include <cstdio>
#include <exception>
#include <iostream>
#include <string>

int main(int argc, char** argv) {
    const std::string file = argc > 1 ? argv[1] : quelm::defaultBoxFile();
    std::string error;
    auto config = quelm::sim::loadBoxFile(file, error);
    if (!config) {
        std::fprintf(stderr, "pty_box: %s\n", error.c_str());
        return 2;
    }
    try {
        quelm::PtyBridge bridge{quelm::sim::SimBox(std::move(*config))};
        bridge.start();
        std::printf("%s\n", bridge.slavePath().c_str());
        std::fflush(stdout);
        std::string line;
        while (std::getline(std::cin, line)) {}
        bridge.stop();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "pty_box: %s\n", e.what());
        return 1;
    }
    return 0;
}
