// quelmbox-cli: the tool's operations from a script.
#include "cli/cli.h"
#include "cli/process_signals.h"

#include <QCoreApplication>

int main(int argc, char** argv) {
    quelm::cli::KeepStandardStreamsTaken();
    quelm::cli::CatchStopSignals();
    QCoreApplication app(argc, argv);
    return quelm::cli::Run(std::vector<std::string>(argv, argv + argc), stdout, stderr);
}
