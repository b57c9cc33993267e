#include "cli/write_report.h"

namespace quelm::cli {

namespace {

void ReportNumber(std::FILE* err, const WriteJournal& journal, const std::string& number,
                  const std::string& newNumber) {
    const WriteJournal::Write* w = journal.newNumber();
    if (w == nullptr)
        std::fprintf(err, "quelmbox-cli: the new number %s was not sent: detector %s keeps its number\n",
                     newNumber.c_str(), number.c_str());
    else if (w->reached == WriteJournal::Reached::confirmed)
        std::fprintf(err, "quelmbox-cli: the detector answered with its new number %s\n", newNumber.c_str());
    else
        std::fprintf(err,
                     "quelmbox-cli: the new number %s was sent to detector %s and not confirmed: "
                     "the detector may answer to either number\n",
                     newNumber.c_str(), number.c_str());
}

} // namespace

void ReportWrites(std::FILE* err, const WriteJournal& journal, const Command& command, const std::string& number,
                  const std::string& newNumber, const char* cut) {
    if (command.arguments == Arguments::oldAndNew) return ReportNumber(err, journal, number, newNumber);
    if (journal.writes().empty()) {
        std::fprintf(err, "quelmbox-cli: nothing was written to detector %s\n", number.c_str());
        return;
    }
    std::fprintf(err, "quelmbox-cli: written to detector %s before %s:\n", number.c_str(), cut);
    for (const WriteJournal::Write& w : journal.writes())
        std::fprintf(err, "  %s: %s\n", WriteLabel(w).c_str(), HowFar(w));
    std::fprintf(err, "quelmbox-cli: %s %s shows what the detector holds now\n", command.readBack, number.c_str());
}

} // namespace quelm::cli
