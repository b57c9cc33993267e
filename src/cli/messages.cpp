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
    set(numberBoxReadRefused, "read refused (not a number from 0 to 1048574):");
    set(numberBoxSendRefused, "not sent (not a number from 0 to 1048574):");
    set(waitingForNumber, " attempt(s) - waiting for a detector number");
    set(replyTries, " attempt(s) - waiting for the detector's reply");
    set(programmingTries, " attempt(s) - programming the new number");
    set(detectorAnswered, " The detector answered with its number");
    set(numberProgrammed, " New number programmed and confirmed");
    set(numberNotConfirmed, " Failed: the new number was not confirmed");
    set(noAnswerToCall, " Failed: the detector does not answer the call");
    set(sendingChannel, " Sending: checking the detector channel");
    set(callingDetector, " Calling the detector...");
    set(sendingDynamicTime, " Sending: dynamic time");
    set(sendingOutputPower, " Sending: output power");
    set(sendingRiseTime, " Sending: rise time");
    set(sendingFallTime, " Sending: fall time");
    set(sendingLevelOnPlus, " Sending: level ON+");
    set(sendingLevelDynPlus, " Sending: level DYN+");
    set(sendingLevelDynMinus, " Sending: level DYN-");
    set(sendingCommandType, " Sending: dynamic command type");
    set(parametersSent, " Parameters sent and verified");
    set(parameterDiffers, " A parameter differs: reading again...");
    set(emptyGroupRefused, " Send refused: no choice selected in the group:");
    set(sendNeverConfirmed, " Send stopped after 10 passes, never confirmed:");
    set(levelRefused, " Level refused (not a whole number from 0 to 100), nothing sent:");
    set(noValidAnswer, " Send stopped: no valid answer in 10 frames");
    set(newNumberAnswers, " Nothing programmed: a detector already answers to number");
    set(valuesUncertain, " - the detector may hold some of the new values: read it again");
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
