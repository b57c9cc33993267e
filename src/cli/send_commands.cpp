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

// The connection test listens until a number comes, fifty attempts have
// gone or a key stops it; past the time-out, the key is pressed.
bool WaitForConnectionTest(Form& f, double timeoutSeconds) {
    const auto over = [&f] { return !ConnectionTestRunning(f) && !ExchangeRunning(f); };
    const auto overOrSignal = [&over] { return over() || platform::StopSignal() != 0; };
    if (f.clock.runUntil(overOrSignal, static_cast<std::int64_t>(std::ceil(timeoutSeconds * 1000))) && over())
        return false;
    Form_KeyDown(f, 27);
    f.clock.runUntil(over, 1000);
    return true;
}

// The exit code of an operation that did not end with `doneLine`.
int Failure(const Form& f, bool stopped, std::FILE* err) {
    if (stopped || f.x.shownLine == stopShown) return SayStopped(err, "not over before the time-out");
    SayError(err, f.ui.Text5->text());
    return SaysNoBox(f) || f.x.shownLine == connectionTestShown ? kNoBox : kOperationFailed;
}

void Select(Form& f, const WantedParameter& w) {
    if (w.option != 0) f.ui.Option[static_cast<std::size_t>(w.option)]->select();
    TextBox* level = w.levelText == 8 ? f.ui.Text8 : w.levelText == 9 ? f.ui.Text9 : f.ui.Text10;
    if (w.levelText != 0) level->setText(std::to_string(w.level));
}

// A group the read left with no option selected (the detector holds a code
// no choice stands for) is sent only when given: the field it needs, or
// nothing when every group has a choice.
const OptionField* EmptyGroup(const Form& f, const std::vector<OptionField>& groups) {
    for (const OptionField& g : groups) {
        bool any = false;
        for (int n = g.first; n <= g.last; ++n) any = any || f.ui.Option[static_cast<std::size_t>(n)]->value();
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
        SayError(err, error);
        return false;
    }
    if (values.size() < kProjectValues) {
        SayError(err, file + ": fewer than 19 values, not a project file");
        return false;
    }
    std::string lines;
    for (const UnusedLine& u : UnusedParameterLines(values))
        lines += "; line " + std::to_string(u.line) + " \"" + u.value + "\": " + u.reason;
    if (lines.empty()) return true;
    SayError(err, file + ": not a project file, nothing sent" + lines);
    return false;
}

} // namespace

void FillSendAndNumberLines(LanguageTables& tables) {
    auto& b = tables.box;
    b[4] = " attempt(s) - waiting for a detector number";
    b[10] = " attempt(s) - waiting for the detector's reply";
    b[11] = " attempt(s) - programming the new number";
    b[13] = " The detector answered with its number";
    b[14] = " New number programmed and confirmed";
    b[19] = " Failed: the new number was not confirmed";
    b[20] = " Failed: the detector does not answer the call";
    b[27] = " Sending: checking the detector channel";
    b[28] = " Calling the detector...";
    b[29] = " Sending: dynamic time";
    b[30] = " Sending: output power";
    b[31] = " Sending: rise time";
    b[32] = " Sending: fall time";
    b[33] = " Sending: level ON+";
    b[34] = " Sending: level DYN+";
    b[35] = " Sending: level DYN-";
    b[36] = " Sending: dynamic command type";
    b[37] = " Parameters sent and verified";
    b[38] = " A parameter differs: reading again...";
    b[44] = " Send refused: no choice selected in the group:";
    b[47] = " Send stopped after 10 passes, never confirmed:";
    b[48] = " Level refused (not a whole number from 0 to 100), nothing sent:";
    b[51] = " Send stopped: no valid answer in 10 frames";
    b[53] = " Nothing programmed: a detector already answers to number";
    b[54] = " - the detector may hold some of the new values: read it again";
}

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
    f.ui.Text3->setText(o.number);
    const bool readStopped = ReadUntilOver(f, o.timeoutSeconds);
    if (f.x.shownLine != parametersRead) return Failure(f, readStopped, err);
    if (!fromFile.empty()) LoadParametersIntoWindow(f, fromFile);
    for (const WantedParameter& w : o.send.wanted) Select(f, w);
    const auto groups = OptionFields();
    if (const OptionField* empty = EmptyGroup(f, groups)) {
        std::fprintf(err,
                     "quelmbox-cli: %s: the detector holds a value no choice stands for; nothing sent, give %s=%s\n",
                     empty->key.c_str(), empty->key.c_str(), empty->choices.c_str());
        return kUsage;
    }
    // A level not given keeps what the detector holds, over 100 too.
    const HeldLevels held = LevelsHeld(f);
    const bool stopped = RunUntilOver(
        f,
        [&] {
            f.ui.Command[button::sendParameters]->click();
            if (fromFile.empty()) KeepLevelsNotGiven(f, o.send.wanted, held);
        },
        SecondsLeft(o.timeoutSeconds, start));
    if (f.x.shownLine != parametersSent) return Failure(f, stopped, err);
    const long long passes = f.x.sendPass;
    if (!o.json)
        std::fprintf(out, Tr("Parameters sent and confirmed by a read, in %lld pass%s\n"), passes,
                     passes == 1       ? ""
                     : Language() == 1 ? "s"
                                       : "es");
    PrintParameters(out, o.number, ParametersHeld(f), o.json, {{"passes", passes}});
    return kSuccess;
}

int ProgramNumber(Form& f, const Options& o, std::FILE* out, std::FILE* err) {
    f.ui.Text3->setText(o.number);
    f.ui.Text4->setText(o.send.newNumber);
    const bool stopped = RunUntilOver(
        f, [&f] { f.ui.Command[button::programNumber]->click(); }, o.timeoutSeconds);
    if (f.x.shownLine != numberProgrammed) return Failure(f, stopped, err);
    const std::string reported = f.ui.Text3->text();
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
// command starts one after the other until a number comes or the time-out
// runs out, which then says what to check.
int WaitNumber(Form& f, const Options& o, std::FILE* out, std::FILE* err) {
    f.ui.Text3->setText("");
    const auto endUs = f.clock.nowUs() + static_cast<std::int64_t>(o.timeoutSeconds * 1e6);
    bool stopped = false;
    while (f.ui.Text3->text().empty() && !stopped && platform::StopSignal() == 0 && f.clock.nowUs() < endUs) {
        if (LookForBox(f) != 1) return Failure(f, false, err);
        StartConnectionTest(f);
        stopped = WaitForConnectionTest(f, static_cast<double>(endUs - f.clock.nowUs()) / 1e6);
    }
    const std::string number = f.ui.Text3->text();
    if (number.empty()) return Failure(f, true, err);
    if (o.json)
        std::fprintf(out, "{\"reported\": %s}\n", JsonNumber(number).c_str());
    else
        std::fprintf(out, Tr("A detector reported number %s\n"), number.c_str());
    return kSuccess;
}

} // namespace quelm::cli
