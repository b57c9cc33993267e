#include "cli/write_report.h"

#include "cli/cli_language.h"

#include <cstring>

namespace quelm::cli {

namespace {

void ReportNumber(std::FILE* err, const WriteJournal& journal, const std::string& number,
                  const std::string& newNumber) {
    const WriteJournal::Write* w = journal.newNumber();
    if (w == nullptr)
        std::fprintf(err, Tr("quelmbox-cli: the new number %s was not sent: detector %s keeps its number\n"),
                     newNumber.c_str(), number.c_str());
    else if (w->reached == WriteJournal::Reached::confirmed)
        std::fprintf(err, Tr("quelmbox-cli: the detector answered with its new number %s\n"), newNumber.c_str());
    else
        std::fprintf(err,
                     Tr("quelmbox-cli: the new number %s was sent to detector %s and not confirmed: the detector may "
                        "answer to either number\n"),
                     newNumber.c_str(), number.c_str());
}

// The first line of the report, by what cut the command short.
const char* WrittenBefore(const char* cut) {
    if (std::strcmp(cut, "the stop") == 0) return "quelmbox-cli: written to detector %s before the stop:\n";
    if (std::strcmp(cut, "the box was lost") == 0)
        return "quelmbox-cli: written to detector %s before the box was lost:\n";
    return "quelmbox-cli: written to detector %s before the failure:\n";
}

} // namespace

void ReportWrites(std::FILE* err, const WriteJournal& journal, const Command& command, const std::string& number,
                  const std::string& newNumber, const char* cut) {
    if (command.arguments == Arguments::oldAndNew) return ReportNumber(err, journal, number, newNumber);
    if (journal.writes().empty()) {
        std::fprintf(err, Tr("quelmbox-cli: nothing was written to detector %s\n"), number.c_str());
        return;
    }
    std::fprintf(err, Tr(WrittenBefore(cut)), number.c_str());
    for (const WriteJournal::Write& w : journal.writes())
        std::fprintf(err, Tr("  %s: %s\n"), WriteLabel(w, Language()).c_str(), HowFar(w, Language()));
    std::fprintf(err, Tr("quelmbox-cli: %s %s shows what the detector holds now\n"), command.readBack, number.c_str());
}

} // namespace quelm::cli
