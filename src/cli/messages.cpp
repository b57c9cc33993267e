#include "cli/messages.h"

#include "cli/cli_language.h"
#include "cli/exit_codes.h"
#include "core/printable.h"
#include "platform/stop_signals.h"

namespace quelm::cli {

void FillMessageTable(LanguageTables& tables) {
    const auto set = [&tables](MessageLine k, const char* text) {
        tables.messages[static_cast<std::size_t>(k)] = text;
    };
    set(noBox, "no programming box found");
    set(lookingForBox, "looking for the programming box");
    set(boxFound, "programming box found");
    set(exchangeStopped, "stopped");
    set(addressTries, " wrong frame(s), address");
    set(addressTriesEnd, " read again");
    set(noFrame, "no frame yet");
    set(group1Read, "parameter group 1 read");
    set(group2Read, "parameter group 2 read");
    set(parametersRead, "parameters read");
    set(addressesDone, "ten addresses done");
    set(group3ReadFailed, "no valid answer to the read of parameter group 3 in ten frames");
    set(group2ReadFailed, "no valid answer to the read of parameter group 2 in ten frames");
    set(group1ReadFailed, "no valid answer to the read of parameter group 1 in ten frames");
    set(group1Tries, " wrong frame(s), reading parameter group 1 again");
    set(group2Tries, " wrong frame(s), reading parameter group 2 again");
    set(group3Tries, " wrong frame(s), reading parameter group 3 again");
    set(testNumberSent, "test number sent");
    set(numberRefused, "not sent: the number has no frame form");
    set(portUnusable, "cannot use the port:");
    set(addressRefused, "not sent: this address to send is negative or not a whole number: box");
    set(severalBoxes, "several programming boxes attached: unplug all but one");
    set(addressNeverConfirmed, "the detector acknowledged but never took this address in 10 writes: address");
    set(detectorSilent, "the detector does not answer");
}

int SayStopped(std::FILE* err, const char* timedOut) {
    const char* signal = platform::StopSignalName();
    std::fprintf(err, Tr("quelmbox-cli: STOP: %s%s\n"), Tr(signal ? "stopped by " : timedOut), signal ? signal : "");
    return kStopped;
}

int Outcome(const OperationResult& r, std::FILE* err, const char* timedOut) {
    if (r.done()) return kSuccess;
    // An operation a stop cut short says so, whatever the line says (a box
    // gone as the stop came); the stop key shows " STOP" whoever pressed it.
    if (r.cut != Cut::none || r.line == stopShown) return SayStopped(err, timedOut);
    SayError(err, r.message);
    // "Programmer" shows its own text while it looks for the box.
    return r.end == OperationEnd::noBox || r.line == connectionTestShown ? kNoBox : kOperationFailed;
}

void SayError(std::FILE* err, const std::string& message) {
    std::fprintf(err, Tr("quelmbox-cli: %s\n"), Printable(message).c_str());
}

} // namespace quelm::cli
