// quelmbox-cli: the tool's operations from a script.
#include "cli/cli.h"

#include <QCoreApplication>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    return quelm::cli::Run(std::vector<std::string>(argv, argv + argc), stdout, stderr);
}
