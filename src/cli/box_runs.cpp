#include "cli/box_runs.h"

#include "cli/cli_language.h"
#include "cli/cli_options.h"
#include "cli/exit_codes.h"
#include "cli/json.h"
#include "cli/live_read.h"
#include "cli/messages.h"
#include "cli/print_parameters.h"
#include "cli/project_commands.h"
#include "core/roles.h"
#include "core/texts.h"
#include "files/text_file.h"
#include "form/form_ops.h"
#include "link/session.h"
#include "platform/path_text.h"

#include <algorithm>
#include <cmath>
#include <optional>

namespace quelm::cli {

namespace {

// A box operation that writes and awaits nothing: done when the box check
// found one box and every write went through.
int BoxOutcome(const Form& f, MessageLine doneLine, std::FILE* err) {
    const OperationResult r = JudgeOperation(f, Cut::none, doneLine);
    if (!r.done()) return Outcome(r, err);
    if (f.link.lastStatus != kOk) {
        std::fprintf(err, Tr("quelmbox-cli: a write to the box failed (status %u)\n"), f.link.lastStatus);
        return kOperationFailed;
    }
    return kSuccess;
}

} // namespace

int ReadParams(Form& form, const Options& o, std::FILE* out, std::FILE* err) {
    // Where the file goes is settled before the detector is asked: a read
    // never learns at its end that it cannot be saved.
    std::filesystem::path target;
    std::string error;
    if (!o.saveFile.empty() && !CheckWritable(platform::PathFromUtf8(o.saveFile), target, error)) {
        SayError(err, Reason(error, Language()) + Tr("; nothing sent"));
        return kUsage;
    }
    form.ui.Text3->setText(o.number);
    OperationResult last;
    const auto read = ReadParametersSettled(form, o.timeoutSeconds, last);
    const int code = Outcome(last, err);
    if (code != kSuccess) return code;
    if (read.disagreed) return SayReadsDisagree(err, read.reads);
    if (!read.values) return Outcome(JudgeOperation(form, Cut::stop, parametersRead), err);
    std::vector<std::pair<std::string, long long>> extra;
    if (read.reads > 1) extra.emplace_back("reads", read.reads);
    PrintParameters(out, o.number, *read.values, o.json, extra);
    if (read.reads > 1 && !o.json) std::fprintf(out, "  (%s)\n", ReadTwiceNote(read.reads).c_str());
    if (o.saveFile.empty()) return code;
    if (o.withAddresses) {
        // The window saves the addresses it shows: read them first.
        OperationResult lastAddresses;
        const auto addresses = ReadAddressesSettled(form, o.timeoutSeconds, lastAddresses);
        const int done = Outcome(lastAddresses, err);
        if (done != kSuccess) return done;
        if (addresses.disagreed) return SayReadsDisagree(err, addresses.reads);
        if (!addresses.values) {
            std::fputs(Tr("quelmbox-cli: not every address was read; nothing saved\n"), err);
            return kOperationFailed;
        }
    }
    if (!SaveReadParameters(form, o.saveFile, o.withAddresses, err)) return kOperationFailed;
    return code;
}

namespace {

// The box answers its channel frame with its acknowledgement, which carries
// the channel it now has. It comes within milliseconds; the reply watchdog's
// 4 s, or the time-out if shorter, is waited for it. Frames that are not an
// acknowledgement are passed over.
std::optional<Frame> AwaitAcknowledgement(Form& f, double timeoutSeconds) {
    constexpr double kWatchdogSeconds = 4;
    const auto limitMs = static_cast<std::int64_t>(std::ceil(std::min(timeoutSeconds, kWatchdogSeconds) * 1000));
    std::optional<Frame> ack;
    const Scheduler::TimerId poll = f.clock.startTimer(10, [] {});
    f.clock.runUntil(
        [&] {
            while (!ack && TakeReplyFrame(f))
                if (ClassifyReply(f.link.rxFrame) == ReplyKind::acknowledgement) ack = f.link.rxFrame;
            return ack.has_value();
        },
        limitMs);
    f.clock.stopTimer(poll);
    return ack;
}

} // namespace

int SetChannel(Form& form, const Options& o, std::FILE* out, std::FILE* err) {
    const int channel = o.channel == BoxChannel::A ? 3 : 4;
    const char* name = ChannelName(o.channel);
    form.ui.Option[channel == 3 ? 1 : 2]->select();
    int code = BoxOutcome(form, boxFound, err);
    if (code != kSuccess) return code;
    const std::optional<Frame> ack = AwaitAcknowledgement(form, o.timeoutSeconds);
    if (!ack || (*ack)[5] != channel) {
        if (!ack)
            std::fprintf(err, Tr("quelmbox-cli: channel %s sent, but the box did not acknowledge it\n"), name);
        else
            std::fprintf(err, Tr("quelmbox-cli: channel %s sent, but the box reports channel %s\n"), name,
                         (*ack)[5] == 3   ? "A"
                         : (*ack)[5] == 4 ? "B"
                                          : ("code " + std::to_string((*ack)[5])).c_str());
        code = kOperationFailed;
    }
    if (code == kSuccess && o.json)
        std::fprintf(out, "{\"channel\": %s}\n", JsonString(name).c_str());
    else if (code == kSuccess)
        std::fprintf(out, Tr("box channel %s\n"), name);
    return code;
}

int SendTestNumber(Form& form, const Options& o, std::FILE* out, std::FILE* err) {
    form.ui.Text7->setText(std::to_string(o.testNumber));
    form.ui.Command[button::sendTestNumber]->click();
    const int code = BoxOutcome(form, testNumberSent, err);
    if (code == kSuccess && o.json)
        std::fprintf(out, "{\"testNumber\": %s}\n", JsonNumber(o.testNumber).c_str());
    else if (code == kSuccess)
        std::fprintf(out, Tr("test number %s sent\n"), std::to_string(o.testNumber).c_str());
    return code;
}

} // namespace quelm::cli
