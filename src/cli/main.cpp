// quelmbox-cli: the tool's operations from a script.
#include "cli/cli.h"
#include "platform/stop_signals.h"
#include "platform/system.h"

int main(int argc, char** argv) {
    quelm::platform::KeepStandardStreamsTaken();
    quelm::platform::CatchStopSignals();
    quelm::platform::PrepareConsole();
    return quelm::cli::Run(quelm::platform::Utf8Arguments(argc, argv), stdout, stderr);
}
