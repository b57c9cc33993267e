#include "cli/messages.h"

#include "cli/cli_language.h"
#include "cli/exit_codes.h"
#include "core/printable.h"
#include "form/form_ops.h"
#include "platform/stop_signals.h"

namespace quelm::cli {

void FillBoxTable(LanguageTables& tables) {
    auto& b = tables.box;
    b[1] = "no programming box found";
    b[2] = "looking for the programming box";
    b[3] = "programming box found";
    b[6] = "stopped";
    b[8] = " wrong frame(s), address";
    b[9] = " read again";
    b[12] = "no frame yet";
    b[15] = "parameter group 1 read";
    b[16] = "parameter group 2 read";
    b[17] = "parameters read";
    b[18] = "ten addresses done";
    b[21] = "no valid answer to the read of parameter group 3 in ten frames";
    b[22] = "no valid answer to the read of parameter group 2 in ten frames";
    b[23] = "no valid answer to the read of parameter group 1 in ten frames";
    b[24] = " wrong frame(s), reading parameter group 1 again";
    b[25] = " wrong frame(s), reading parameter group 2 again";
    b[26] = " wrong frame(s), reading parameter group 3 again";
    b[39] = "test number sent";
    b[40] = "not sent: the number has no frame form";
    b[43] = "cannot use the port:";
    b[42] = "not sent: this address to send is negative or not a whole number: box";
    b[50] = "several programming boxes attached: unplug all but one";
    b[52] = "the detector acknowledged but never took this address in 10 writes: address";
    b[55] = "the detector does not answer";
}

int SayStopped(std::FILE* err, const char* timedOut) {
    const char* signal = platform::StopSignalName();
    std::fprintf(err, Tr("quelmbox-cli: STOP: %s%s\n"), Tr(signal ? "stopped by " : timedOut), signal ? signal : "");
    return kStopped;
}

int Outcome(const Form& f, bool stopped, MessageLine doneLine, std::FILE* err) {
    if (f.x.shownLine == doneLine) return kSuccess;
    if (stopped || f.x.shownLine == stopShown) return SayStopped(err, "no answer before the time-out");
    SayError(err, f.ui.Text5->text());
    return SaysNoBox(f) ? kNoBox : kOperationFailed;
}

void SayError(std::FILE* err, const std::string& message) {
    std::fprintf(err, Tr("quelmbox-cli: %s\n"), Printable(message).c_str());
}

} // namespace quelm::cli
