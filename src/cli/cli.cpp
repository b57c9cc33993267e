#include "cli/cli.h"

#include "app/builder.h"
#include "cli/address_commands.h"
#include "cli/cli_language.h"
#include "cli/cli_options.h"
#include "cli/json.h"
#include "cli/json_failure.h"
#include "cli/live_read.h"
#include "cli/live_status.h"
#include "cli/messages.h"
#include "cli/port_commands.h"
#include "cli/print_parameters.h"
#include "cli/project_commands.h"
#include "cli/send_commands.h"
#include "cli/site_commands.h"
#include "cli/write_report.h"
#include "core/printable.h"
#include "core/roles.h"
#include "core/texts.h"
#include "drivers/serial/steady_scheduler.h"
#include "files/text_file.h"
#include "form/form_ops.h"
#include "link/session.h"
#include "platform/path_text.h"
#include "platform/stop_signals.h"
#include "quelm_udev_rule.h"
#include "quelm_version.h"
#include "shell/language_files.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <optional>

namespace quelm::cli {

namespace {

// The messages and group captions of `language` (1 French, 2 English): in
// English the command line's own wording of the box table, in French the
// window's; the captions from the frame file the tool carries, so that a
// message that names a group ("never confirmed: Output power") is in one
// language.
void SpeakLanguage(Form& f, int language) {
    f.x.language = language;
    if (language == 1) {
        ReadTable(BuiltInLanguageFile(0, 1), f.tables.box);
    } else {
        FillBoxTable(f.tables);
        FillSendAndNumberLines(f.tables);
    }
    ReadTable(BuiltInLanguageFile(1, language), f.tables.frame);
    // Frame1 to Frame18 are lines 7 to 24, after the six menu captions.
    for (std::size_t n = 1; n <= 18; ++n)
        f.ui.Frame[n]->setCaption(LanguageTables::line(f.tables.frame, static_cast<int>(n) + 6));
}

// A box operation that writes and awaits nothing: done when the box check
// found one box and every write went through.
int BoxOutcome(const Form& f, MessageLine doneLine, std::FILE* err) {
    if (f.x.shownLine != doneLine) {
        SayError(err, f.ui.Text5->text());
        return SaysNoBox(f) ? kNoBox : kOperationFailed;
    }
    if (f.link.lastStatus != kOk) {
        std::fprintf(err, Tr("quelmbox-cli: a write to the box failed (status %u)\n"), f.link.lastStatus);
        return kOperationFailed;
    }
    return kSuccess;
}

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
    bool stopped = false;
    const auto read = ReadParametersSettled(form, o.timeoutSeconds, stopped);
    const int code = Outcome(form, stopped, parametersRead, err);
    if (code != kSuccess) return code;
    if (read.disagreed) return SayReadsDisagree(err, read.reads);
    std::vector<std::pair<std::string, long long>> extra;
    if (read.reads > 1) extra.emplace_back("reads", read.reads);
    PrintParameters(out, o.number, *read.values, o.json, extra);
    if (read.reads > 1 && !o.json) std::fprintf(out, "  (%s)\n", ReadTwiceNote(read.reads).c_str());
    if (o.saveFile.empty()) return code;
    if (o.withAddresses) {
        // The window saves the addresses it shows: read them first.
        bool addressesStopped = false;
        const auto addresses = ReadAddressesSettled(form, o.timeoutSeconds, addressesStopped);
        const int done = Outcome(form, addressesStopped, addressesDone, err);
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

// Selecting the option sends the channel frame, as a click in the window;
// done only when the box acknowledges the channel asked for.
int SetChannel(Form& form, const Options& o, std::FILE* out, std::FILE* err) {
    const int channel = o.number == "A" ? 3 : 4;
    form.ui.Option[channel == 3 ? 1 : 2]->select();
    int code = BoxOutcome(form, boxFound, err);
    if (code != kSuccess) return code;
    const std::optional<Frame> ack = AwaitAcknowledgement(form, o.timeoutSeconds);
    if (!ack || (*ack)[5] != channel) {
        if (!ack)
            std::fprintf(err, Tr("quelmbox-cli: channel %s sent, but the box did not acknowledge it\n"),
                         o.number.c_str());
        else
            std::fprintf(err, Tr("quelmbox-cli: channel %s sent, but the box reports channel %s\n"), o.number.c_str(),
                         (*ack)[5] == 3   ? "A"
                         : (*ack)[5] == 4 ? "B"
                                          : ("code " + std::to_string((*ack)[5])).c_str());
        code = kOperationFailed;
    }
    if (code == kSuccess && o.json)
        std::fprintf(out, "{\"channel\": %s}\n", JsonString(o.number).c_str());
    else if (code == kSuccess)
        std::fprintf(out, Tr("box channel %s\n"), o.number.c_str());
    return code;
}

int SendTestNumber(Form& form, const Options& o, std::FILE* out, std::FILE* err) {
    form.ui.Text7->setText(o.number);
    form.ui.Command[button::sendTestNumber]->click();
    const int code = BoxOutcome(form, testNumberSent, err);
    if (code == kSuccess && o.json)
        std::fprintf(out, "{\"testNumber\": %s}\n", JsonNumber(o.number).c_str());
    else if (code == kSuccess)
        std::fprintf(out, Tr("test number %s sent\n"), o.number.c_str());
    return code;
}

int RunOnForm(Form& form, const Options& o, std::FILE* out, std::FILE* err) {
    if (o.command == "send-params") return SendParams(form, o, out, err);
    if (o.command == "program-number") return ProgramNumber(form, o, out, err);
    if (o.command == "wait-number") return WaitNumber(form, o, out, err);
    if (o.command == "channel") return SetChannel(form, o, out, err);
    if (o.command == "test-number") return SendTestNumber(form, o, out, err);
    if (o.command == "read-addresses") return ReadAddresses(form, o, out, err);
    if (o.command == "send-addresses") return SendAddresses(form, o, out, err);
    if (IsSiteCommand(o.command)) return RunSiteCommand(form, o, out, err);
    return ReadParams(form, o, out, err);
}

// Waiting in vain on a real port: nothing at all came back, which a wrong
// answer would not explain.
void SayWhenTheBoxWasSilent(const Form& form, const Options& o, std::FILE* err) {
    if (o.backend.simulate || form.link.bytesFromBox != 0) return;
    const bool boxOnly = o.command == "channel" || o.command == "test-number";
    std::fprintf(err,
                 Tr("quelmbox-cli: no byte came from the box on %s: check that the box is plugged into this port "
                    "and powered%s\n"),
                 describeLink(o.backend, Language()).c_str(),
                 Tr(boxOnly ? " and that no other program uses the port"
                            : ", that no other program uses the port and that the detector is within the box's reach"));
}

// A time-out while a detector was awaited: which one, and what to look at.
// A site run says which detectors did not answer in its own lines.
void SayWhatToCheck(const Form& form, const Options& o, std::FILE* err) {
    if (o.command == "channel" || o.command == "test-number" || IsSiteCommand(o.command)) return;
    const char* channel = form.ui.Option[option::boxChannelB]->value() ? "B" : "A";
    if (o.command == "wait-number") {
        std::fprintf(err,
                     Tr("quelmbox-cli: no detector reported its number within %g s: check that one is powered, within "
                        "the box's reach and on the box's channel %s\n"),
                     o.timeoutSeconds, channel);
        return;
    }
    std::fprintf(err,
                 Tr("quelmbox-cli: detector %s did not answer within %g s: check its number, that it is powered and "
                    "that it is on the box's channel %s\n"),
                 o.number.c_str(), o.timeoutSeconds, channel);
}

bool ShowsProgress(const Options& o) {
    return !o.trace && (o.command == "send-params" || o.command == "send-addresses" || o.command == "program-number" ||
                        o.command == "wait-number");
}

// What the live status names first: the detector, or the command.
std::string StatusSubject(const Options& o) {
    if (o.number.empty()) return o.command;
    char s[64];
    std::snprintf(s, sizeof s, Tr("detector %s"), o.number.c_str());
    return s;
}

bool WritesIntoTheDetector(const std::string& command) {
    return command == "send-params" || command == "send-addresses" || command == "program-number";
}

// A writing command that did not end well says what it had written: after
// a stop always, after a pulled box or a failure when anything went out.
void SayWhatWasWritten(const WriteJournal& journal, int code, const Options& o, std::FILE* err) {
    if (!WritesIntoTheDetector(o.command) || code == kSuccess || code == kUsage) return;
    if (code != kStopped && journal.writes().empty()) return;
    const char* cut = code == kStopped ? "the stop" : code == kNoBox ? "the box was lost" : "the failure";
    ReportWrites(err, journal, o.command, o.number, o.send.newNumber, cut);
}

// The box driver (traced on request) and the headless window, for one command.
int RunCommand(const Options& o, std::FILE* out, std::FILE* err) {
    TraceSink trace;
    if (o.trace) {
        trace = [err](const std::string& line) {
            std::fprintf(err, "%s\n", Printable(line).c_str());
            std::fflush(err);
        };
    }
    std::string error;
    const auto tool = BuildTool(o.backend, std::make_unique<SteadyScheduler>(), trace, error, /*keepTraceLog=*/true);
    if (!tool) {
        SayError(err, error);
        return kUsage;
    }
    if (tool->trace) tool->trace->setLanguage(Language());
    return RunOnTool(*tool, o, out, err);
}

// Output that did not reach its file fails the command, whatever it did.
int OutputChecked(int code, std::FILE* out, std::FILE* err) {
    errno = 0;
    if (std::fflush(out) == 0 && !std::ferror(out)) return code;
    const int reason = errno;
    std::fprintf(err, Tr("quelmbox-cli: the output could not be written%s%s\n"), reason != 0 ? ": " : "",
                 reason != 0 ? std::strerror(reason) : "");
    return code == kSuccess ? kOperationFailed : code;
}

// What a failure's JSON object says besides the error: the command and what
// it was given.
void Know(JsonOutcome* outcome, const Options& o) {
    if (outcome == nullptr || o.command.empty()) return;
    outcome->know("command", JsonString(o.command));
    if (o.command == "show-file") outcome->know("file", JsonString(o.number));
    if (o.command == "channel") outcome->know("channel", JsonString(o.number));
    if (o.command == "test-number") outcome->know("testNumber", JsonNumber(o.number));
    if (o.command == "survey") outcome->know("detectors", JsonString(o.number));
    if (o.command == "apply") outcome->know("plan", JsonString(o.number));
    if (o.command == "audit") outcome->know("folder", JsonString(o.number));
    const bool ofADetector = o.command != "show-file" && o.command != "channel" && o.command != "test-number";
    if (ofADetector && !IsSiteCommand(o.command) && !o.number.empty()) outcome->know("detector", JsonNumber(o.number));
    if (!o.send.newNumber.empty()) outcome->know("newNumber", JsonNumber(o.send.newNumber));
}

int RunParsed(const std::vector<std::string>& args, std::FILE* out, std::FILE* err, JsonOutcome* outcome) {
    std::string error;
    const auto options = ParseOptions(args, error);
    if (options) Know(outcome, *options);
    if (!options && platform::StopSignal() != 0) {
        // The stop came while an input was read: nothing was sent.
        SayError(err, error);
        return kSignalled + platform::StopSignal();
    }
    if (!options) {
        SayError(err, error + Tr(" (see quelmbox-cli --help)"));
        return kUsage;
    }
    if (options->help) {
        std::fputs(UsageText(Language()), out);
        return kSuccess;
    }
    if (options->version) {
        if (options->json)
            std::fprintf(out, "{\"version\": %s}\n", JsonString(QUELM_VERSION).c_str());
        else
            std::fputs("quelmbox-cli " QUELM_VERSION "\n", out);
        return kSuccess;
    }
    if (options->printUdevRule) {
        std::fputs("# Install as /etc/udev/rules.d/" QUELM_UDEV_RULE_NAME
                   ", then: udevadm control --reload && udevadm trigger\n",
                   out);
        std::fputs(kQuelmUdevRule, out);
        return kSuccess;
    }
    if (options->command == "show-file") return ShowFile(options->number, options->json, out, err);
    if (options->command == "ports") return ListPorts(options->json, out);
    return RunCommand(*options, out, err);
}

} // namespace

int RunOnTool(Tool& tool, const Options& o, std::FILE* out, std::FILE* err) {
    Form& form = *tool.form;
    UseLanguage(ChooseLanguage(o.language));
    SpeakLanguage(form, Language());
    if (o.trace) TraceMessages(form, err);
    const WriteJournal journal(form);
    int code = 0;
    {
        // Long work shows where it stands; a trace on the same stream says more.
        std::optional<LiveStatus> status;
        if (ShowsProgress(o)) status.emplace(form, StatusSubject(o), out, err);
        code = RunOnForm(form, o, status ? status->outStream() : out, status ? status->stream() : err);
    }
    if (code == kStopped || code == kOperationFailed) SayWhenTheBoxWasSilent(form, o, err);
    if (code == kNoBox && !o.backend.simulate && o.backend.port.empty())
        std::fputs(Tr("quelmbox-cli: quelmbox-cli ports lists the serial ports; give the box's with --port\n"), err);
    if (code == kStopped && platform::StopSignal() == 0) SayWhatToCheck(form, o, err);
    SayWhatWasWritten(journal, code, o, err);
    if (code != kStopped) return code;
    return platform::StopSignal() != 0 ? kSignalled + platform::StopSignal() : code;
}

int Run(const std::vector<std::string>& args, std::FILE* out, std::FILE* err) {
    UseLanguage(ChooseLanguage(LanguageGiven(args)));
    if (std::find(args.begin() + (args.empty() ? 0 : 1), args.end(), "--json") == args.end())
        return OutputChecked(RunParsed(args, out, err, nullptr), out, err);
    JsonOutcome outcome(out, err);
    const int code = RunParsed(args, outcome.out(), outcome.err(), &outcome);
    return OutputChecked(outcome.finish(code), out, outcome.err());
}

} // namespace quelm::cli
