// quelmbox-cli: the tool's operations from a script.
#include "cli/cli.h"
#include "cli/cli_language.h"
#include "platform/stop_signals.h"
#include "platform/system.h"

#include <cstdio>

int main(int argc, char** argv) {
    quelm::platform::KeepStandardStreamsTaken();
    quelm::platform::CatchStopSignals();
    quelm::platform::PrepareConsole();
    std::vector<std::string> args = quelm::platform::Utf8Arguments(argc, argv);
    // Started by a double-click, the console would close before anything
    // could be read: the help, and a key closes it.
    const bool ownConsole = quelm::platform::HasOwnConsole();
    if (ownConsole && args.size() == 1) args.push_back("--help");
    const int code = quelm::cli::Run(args, stdout, stderr);
    if (ownConsole) {
        std::fputs(quelm::cli::Tr("\nquelmbox-cli is run from a command prompt: open one in this folder and type "
                                  "quelmbox-cli with a command. Press a key to close this window.\n"),
                   stdout);
        std::fflush(stdout);
        std::fflush(stderr);
        quelm::platform::WaitForKey();
    }
    return code;
}
