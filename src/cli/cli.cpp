#include "cli/cli.h"

#include "app/builder.h"
#include "cli/cli_language.h"
#include "cli/cli_options.h"
#include "cli/commands.h"
#include "cli/json.h"
#include "cli/json_failure.h"
#include "cli/live_status.h"
#include "cli/messages.h"
#include "cli/send_commands.h"
#include "cli/write_report.h"
#include "core/printable.h"
#include "core/roles.h"
#include "core/texts.h"
#include "drivers/serial/steady_scheduler.h"
#include "form/form_ops.h"
#include "platform/stop_signals.h"
#include "quelm_udev_rule.h"
#include "quelm_version.h"
#include "shell/language_files.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <optional>

namespace quelm::cli {

namespace {

// The messages and group captions of `language` (1 French, 2 English): in
// English the command line's own wording of the message table, in French the
// window's; the captions from the frame file the tool carries, so that a
// message that names a group ("never confirmed: Output power") is in one
// language.
void SpeakLanguage(Form& f, int language) {
    f.x.language = language;
    if (language == 1) {
        ReadTable(BuiltInLanguageFile(0, 1), f.tables.messages);
    } else {
        FillMessageTable(f.tables);
    }
    ReadTable(BuiltInLanguageFile(1, language), f.tables.frame);
    // Frame1 to Frame18 are lines 7 to 24, after the six menu captions.
    for (std::size_t n = 1; n <= 18; ++n)
        f.ui.Frame[n]->setCaption(LanguageTables::line(f.tables.frame, static_cast<int>(n) + 6));
}

// Waiting in vain on a real port: nothing at all came back, which a wrong
// answer would not explain.
void SayWhenTheBoxWasSilent(const Form& form, const Options& o, std::FILE* err) {
    if (o.backend.simulate || form.link.bytesFromBox != 0) return;
    // Numbers all silent: no detector may hold them, and the box found at
    // the start may be well. The rows say which were silent.
    if (o.command->site) {
        std::fprintf(err,
                     Tr("quelmbox-cli: no detector of this run answered on %s: if some are expected there, check that "
                        "they are on the box's channel %s and within its reach, and that the box is plugged in and "
                        "powered\n"),
                     describeLink(o.backend, Language()).c_str(),
                     form.ui.Option[option::boxChannelB]->value() ? "B" : "A");
        return;
    }
    const bool boxOnly = o.command->awaits == Awaits::box;
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
    if (o.command->awaits != Awaits::detector && o.command->awaits != Awaits::anyDetector) return;
    const char* channel = form.ui.Option[option::boxChannelB]->value() ? "B" : "A";
    if (o.command->awaits == Awaits::anyDetector) {
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

// What the live status names first: the detector, or the command.
std::string StatusSubject(const Options& o) {
    if (o.number.empty()) return o.command->name;
    char s[64];
    std::snprintf(s, sizeof s, Tr("detector %s"), o.number.c_str());
    return s;
}

// A command that writes one detector and did not end well says what it had
// written: after a stop always, after a pulled box or a failure when
// anything went out. A site run says it in its rows.
void SayWhatWasWritten(const WriteJournal& journal, int code, const Options& o, std::FILE* err) {
    if (!o.command->writesDetector || o.command->site || code == kSuccess || code == kUsage) return;
    if (code != kStopped && journal.writes().empty()) return;
    const char* cut = code == kStopped ? "the stop" : code == kNoBox ? "the box was lost" : "the failure";
    ReportWrites(err, journal, *o.command, o.number, o.send.newNumber, cut);
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
    if (outcome == nullptr || o.command == nullptr) return;
    outcome->know("command", JsonString(o.command->name));
    switch (o.command->arguments) {
    case Arguments::file: outcome->know("file", JsonString(o.file)); break;
    case Arguments::channel: outcome->know("channel", JsonString(ChannelName(o.channel))); break;
    case Arguments::testNumber: outcome->know("testNumber", JsonNumber(o.testNumber)); break;
    case Arguments::detectorList: outcome->know("detectors", JsonString(o.site.detectorsGiven)); break;
    case Arguments::plan: outcome->know("plan", JsonString(o.site.plan)); break;
    case Arguments::folder: outcome->know("folder", JsonString(o.site.folder)); break;
    default:
        if (!o.number.empty()) outcome->know("detector", JsonNumber(o.number));
    }
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
        std::fputs(UsageText(Language()).c_str(), out);
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
    if (options->command->withoutBox != nullptr)
        return options->command->withoutBox(options->file, options->json, out, err);
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
        if (o.command->showsProgress && !o.trace) status.emplace(form, StatusSubject(o), out, err);
        code = o.command->onForm(form, o, status ? status->outStream() : out, status ? status->stream() : err);
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
