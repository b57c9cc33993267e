#include "cli/send_commands.h"

#include "box/connection_test.h"
#include "cli/cli_language.h"
#include "cli/exit_codes.h"
#include "cli/json.h"
#include "cli/live_read.h"
#include "cli/messages.h"
#include "cli/print_parameters.h"
#include "cli/project_commands.h"
#include "core/printable.h"
#include "core/roles.h"
#include "core/texts.h"
#include "form/form_ops.h"
#include "link/exchange_end.h"
#include "link/session.h"
#include "platform/path_text.h"
#include "platform/stop_signals.h"
#include "program_number/program_number.h"
#include "project/project_actions.h"
#include "project/project_file.h"
#include "shell/keyboard.h"

#include <chrono>
#include <cmath>
#include <memory>
#include <string>

namespace quelm::cli {

namespace {

// How a stop by the time-out is said for these operations.
constexpr const char* kNotOver = "not over before the time-out";

// A group the read left with no option selected (the detector holds a code
// no choice stands for) and `wanted` gives no choice for is sent only when
// given: the field it needs, or nothing when every group will have a choice.
const OptionField* EmptyGroup(const Form& f, const std::vector<OptionField>& groups,
                              const std::vector<WantedParameter>& wanted) {
    for (const OptionField& g : groups) {
        bool any = false;
        for (int n = g.first; n <= g.last; ++n) any = any || f.ui.Option[static_cast<std::size_t>(n)]->value();
        for (const WantedParameter& w : wanted) any = any || (w.option >= g.first && w.option <= g.last);
        if (!any) return &g;
    }
    return nullptr;
}

double SecondsLeft(double timeoutSeconds, std::chrono::steady_clock::time_point start) {
    const double used = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    return timeoutSeconds - used > 0.001 ? timeoutSeconds - used : 0.001;
}

// A project file's 19 values, or false with the reason said: the file
// cannot be read, holds fewer, or has a parameter line no option or level
// takes (any other text file would read as levels of 0).
bool ReadParameterSet(const std::string& file, std::vector<std::string>& values, std::FILE* err) {
    std::string error;
    if (!ReadProjectFile(platform::PathFromUtf8(file), values, error)) {
        SayError(err, Reason(error, Language()));
        return false;
    }
    if (values.size() < kProjectValues) {
        SayError(err, Filled(Tr("%1: fewer than 19 values, not a project file"), file));
        return false;
    }
    std::string lines;
    for (const UnusedLine& u : UnusedParameterLines(values))
        lines += Filled(Tr("; line %1 \"%2\": %3"), std::to_string(u.line), u.value, u.reason);
    if (lines.empty()) return true;
    SayError(err, Filled(Tr("%1: not a project file, nothing sent"), file) + lines);
    return false;
}

} // namespace

void TraceMessages(Form& f, std::FILE* err) {
    auto last = std::make_shared<std::string>();
    f.ui.observer = [&f, err, last](Control& c, Change change) {
        if (&c != f.ui.Text5 || change != Change::Text) return;
        const std::string& text = f.ui.Text5->text();
        if (text.empty() || text == *last) return;
        *last = text;
        std::fprintf(err, "                message:%s\n", Printable(text).c_str());
        std::fflush(err);
    };
}

// Reads the detector, puts the wanted values over what it holds, sends.
int SendParams(Form& f, const Options& o, std::FILE* out, std::FILE* err) {
    const auto start = std::chrono::steady_clock::now();
    // A file's parameter set is checked before anything is sent.
    std::vector<std::string> fromFile;
    if (!o.send.fromFile.empty() && !ReadParameterSet(o.send.fromFile, fromFile, err)) return kUsage;
    OperationRunner runner = SignalledRunner(f);
    const OperationResult read = runner.readParameters(o.number, LimitMs(o.timeoutSeconds));
    if (!read.done()) return Outcome(read, err, kNotOver);
    if (!fromFile.empty()) LoadParametersIntoWindow(f, fromFile);
    const auto groups = OptionFields();
    if (const OptionField* empty = EmptyGroup(f, groups, o.send.wanted)) {
        std::fprintf(err,
                     Tr("quelmbox-cli: %s: the detector holds a value no choice stands for; nothing sent, give "
                        "%s=%s\n"),
                     empty->key.c_str(), empty->key.c_str(), empty->choices.c_str());
        return kUsage;
    }
    // A level not given keeps what the detector holds, over 100 too.
    const OperationResult sent =
        runner.sendParameters(o.send.wanted, fromFile.empty(), LimitMs(SecondsLeft(o.timeoutSeconds, start)));
    if (!sent.done()) return Outcome(sent, err, kNotOver);
    const long long passes = sent.passes;
    if (!o.json)
        std::fprintf(out, Tr("Parameters sent and confirmed by a read, in %lld pass%s\n"), passes,
                     passes == 1       ? ""
                     : Language() == 1 ? "s"
                                       : "es");
    PrintParameters(out, o.number, *sent.parameters, o.json, {{"passes", passes}});
    return kSuccess;
}

int ProgramNumber(Form& f, const Options& o, std::FILE* out, std::FILE* err) {
    const OperationResult r = SignalledRunner(f).programNumber(o.number, o.send.newNumber, LimitMs(o.timeoutSeconds));
    if (!r.done()) return Outcome(r, err, kNotOver);
    const std::string& reported = r.reportedNumber;
    if (reported != o.send.newNumber) {
        std::fprintf(err, Tr("quelmbox-cli: the detector answered with %s, not %s\n"), reported.c_str(),
                     o.send.newNumber.c_str());
        return kOperationFailed;
    }
    if (o.json)
        std::fprintf(out, "{\"old\": %s, \"new\": %s, \"reported\": %s}\n", JsonNumber(o.number).c_str(),
                     JsonNumber(o.send.newNumber).c_str(), JsonNumber(reported).c_str());
    else
        std::fprintf(out, Tr("Detector %s now answers to number %s\n"), o.number.c_str(), reported.c_str());
    return kSuccess;
}

// The connection test as "Attendre N°" runs it with one box, Text3 emptied
// first; a detector that reports its number ends it. One test gives up
// after some fifty acknowledgements of the box, well under a second: the
// runner starts one after the other until a number comes or the time-out
// runs out, which then says what to check.
int WaitNumber(Form& f, const Options& o, std::FILE* out, std::FILE* err) {
    const OperationResult r = SignalledRunner(f).waitForNumber(static_cast<std::int64_t>(o.timeoutSeconds * 1e6));
    if (!r.done()) return Outcome(r, err, kNotOver);
    if (o.json)
        std::fprintf(out, "{\"reported\": %s}\n", JsonNumber(r.reportedNumber).c_str());
    else
        std::fprintf(out, Tr("A detector reported number %s\n"), r.reportedNumber.c_str());
    return kSuccess;
}

} // namespace quelm::cli
