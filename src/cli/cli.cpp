#include "cli/cli.h"

#include "app/builder.h"
#include "cli/address_commands.h"
#include "cli/cli_options.h"
#include "cli/json.h"
#include "cli/live_read.h"
#include "cli/messages.h"
#include "cli/print_parameters.h"
#include "cli/process_signals.h"
#include "cli/project_commands.h"
#include "cli/send_commands.h"
#include "cli/site_commands.h"
#include "cli/write_journal.h"
#include "quelm_udev_rule.h"
#include "quelm_version.h"

#include <cerrno>
#include <cstring>

namespace quelm::cli {

namespace {

// A box operation that writes and awaits nothing: done when the box check
// found one box and every write went through.
int BoxOutcome(const Form& f, int doneLine, std::FILE* err) {
    const std::string& message = f.ui.Text5->text();
    if (message != f.tables.boxLine(doneLine)) {
        std::fprintf(err, "quelmbox-cli: %s\n", message.c_str());
        return SaysNoBox(f) ? kNoBox : kOperationFailed;
    }
    if (f.link.lastStatus != kOk) {
        std::fprintf(err, "quelmbox-cli: a write to the box failed (status %u)\n", f.link.lastStatus);
        return kOperationFailed;
    }
    return kSuccess;
}

int ReadParams(Form& form, const Options& o, std::FILE* out, std::FILE* err) {
    form.ui.Text3->setText(o.number);
    const bool stopped = ReadUntilOver(form, o.timeoutSeconds);
    const int code = Outcome(form, stopped, 17, err);
    if (code != kSuccess) return code;
    PrintParameters(out, o.number, ParametersShown(form), o.json);
    if (o.saveFile.empty()) return code;
    if (o.withAddresses) {
        // The window saves the addresses it shows: read them first.
        const bool addressesStopped = RunUntilOver(
            form, [&form] { form.ui.Command[4]->click(); }, o.timeoutSeconds);
        const int read = Outcome(form, addressesStopped, 18, err);
        if (read != kSuccess) return read;
        for (const TextBox* box : form.ui.Text1) {
            if (!box->enabled()) {
                std::fprintf(err, "quelmbox-cli: not every address was read; nothing saved\n");
                return kOperationFailed;
            }
        }
    }
    if (!SaveReadParameters(form, o.saveFile, o.withAddresses, err)) return kOperationFailed;
    return code;
}

// Selecting the option sends the channel frame, as a click in the window.
int SetChannel(Form& form, const Options& o, std::FILE* out, std::FILE* err) {
    form.ui.Option[o.number == "A" ? 1 : 2]->select();
    const int code = BoxOutcome(form, 3, err);
    if (code == kSuccess && o.json)
        std::fprintf(out, "{\"channel\": %s}\n", JsonString(o.number).c_str());
    else if (code == kSuccess)
        std::fprintf(out, "box channel %s\n", o.number.c_str());
    return code;
}

int SendTestNumber(Form& form, const Options& o, std::FILE* out, std::FILE* err) {
    form.ui.Text7->setText(o.number);
    form.ui.Command[13]->click();
    const int code = BoxOutcome(form, 39, err);
    if (code == kSuccess && o.json)
        std::fprintf(out, "{\"testNumber\": %s}\n", JsonNumber(o.number).c_str());
    else if (code == kSuccess)
        std::fprintf(out, "test number %s sent\n", o.number.c_str());
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

bool WritesIntoTheDetector(const std::string& command) {
    return command == "send-params" || command == "send-addresses" || command == "program-number";
}

// The box driver (traced on request) and the headless window, for one command.
int RunCommand(const Options& o, std::FILE* out, std::FILE* err) {
    TraceSink trace;
    if (o.trace) {
        trace = [err](const std::string& line) {
            std::fprintf(err, "%s\n", line.c_str());
            std::fflush(err);
        };
    }
    std::string error;
    const auto tool = BuildTool(o.backend, trace, error, /*keepTraceLog=*/true);
    if (!tool) {
        SayError(err, error);
        return kUsage;
    }
    return RunOnTool(*tool, o, out, err);
}

// Output that did not reach its file fails the command, whatever it did.
int OutputChecked(int code, std::FILE* out, std::FILE* err) {
    errno = 0;
    if (std::fflush(out) == 0 && !std::ferror(out)) return code;
    const int reason = errno;
    std::fprintf(err, "quelmbox-cli: the output could not be written%s%s\n", reason != 0 ? ": " : "",
                 reason != 0 ? std::strerror(reason) : "");
    return code == kSuccess ? kOperationFailed : code;
}

int RunParsed(const std::vector<std::string>& args, std::FILE* out, std::FILE* err) {
    std::string error;
    const auto options = ParseOptions(args, error);
    if (!options) {
        SayError(err, error + " (see quelmbox-cli --help)");
        return kUsage;
    }
    if (options->help) {
        std::fputs(kUsageText, out);
        return kSuccess;
    }
    if (options->version) {
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
    return RunCommand(*options, out, err);
}

} // namespace

int RunOnTool(Tool& tool, const Options& o, std::FILE* out, std::FILE* err) {
    Form& form = *tool.form;
    FillBoxTable(form.tables);
    FillSendAndNumberLines(form.tables);
    if (o.trace) TraceMessages(form, err);
    const WriteJournal journal(*tool.traceLog);
    const int code = RunOnForm(form, o, out, err);
    if (code != kStopped) return code;
    if (WritesIntoTheDetector(o.command)) journal.report(err, o.command, o.number, o.send.newNumber);
    return StopSignal() != 0 ? kSignalled + StopSignal() : code;
}

int Run(const std::vector<std::string>& args, std::FILE* out, std::FILE* err) {
    return OutputChecked(RunParsed(args, out, err), out, err);
}

} // namespace quelm::cli
