// send-params, program-number and wait-number from the command line, in real
// time on the simulated box.
#include "cli/cli.h"
#include "drivers/serial/steady_scheduler.h"
#include "form/form_ops.h"
#include "platform/stop_signals.h"
#include "support/cli_run.h"

#include <gtest/gtest.h>

#include <chrono>

#include <csignal>
#include <cstdio>
#include <fstream>
#include <string>
#include <unistd.h>

using namespace quelm;
using quelm::test::CliRun;
using quelm::test::RunCli;

namespace {

// Each test runs in a process of its own, several at once: the name carries
// the process so that two tests never write the same file.
std::string Box(const std::string& text) {
    static int n = 0;
    const std::string path =
        testing::TempDir() + "cli_send_box_" + std::to_string(getpid()) + "_" + std::to_string(++n) + ".txt";
    std::ofstream(path) << text;
    return "--simulate=" + path;
}

const char* kDetector300 =
    "detector 300 power=med channel=B dyn=2min rise=1.5s fall=45s on=80 dyn+=60 dyn-=25 type=L1\n";

} // namespace

TEST(CliSend, SendsTheGivenFieldsKeepsTheOthersAndSaysThePasses) {
    const CliRun run = RunCli({"--json", Box(kDetector300), "send-params", "0300", "power=max", "rise=0.5s", "dyn-=7"});
    ASSERT_EQ(run.code, cli::kSuccess) << run.err;
    EXPECT_EQ(run.out, "{\"detector\": 300, \"passes\": 2, \"channel\": \"B\", \"dynamicTime\": \"2min\", "
                       "\"outputPower\": \"max\", \"riseTime\": \"0.5s\", \"fallTime\": \"45s\", \"levelOnPlus\": 80, "
                       "\"levelDynPlus\": 60, \"levelDynMinus\": 7, \"commandType\": \"L1\"}\n");
    const CliRun same = RunCli({Box(kDetector300), "send-params", "300", "type=l1", "on=80"});
    ASSERT_EQ(same.code, cli::kSuccess) << same.err;
    EXPECT_NE(same.out.find("in 1 pass\n"), std::string::npos) << same.out;
}

TEST(CliSend, AValueOutsideItsListOrRangeSendsNothing) {
    for (const char* bad : {"power=maximum", "on=101", "on=50.5", "dyn+=-1", "rise=", "speed=1", "on=5 on=6"}) {
        std::vector<std::string> args{"--trace", Box(kDetector300), "send-params", "300"};
        std::string word = bad;
        for (std::size_t at; (at = word.find(' ')) != std::string::npos; word = word.substr(at + 1))
            args.push_back(word.substr(0, at));
        args.push_back(word);
        const CliRun run = RunCli(args);
        EXPECT_EQ(run.code, cli::kUsage) << bad;
        EXPECT_EQ(run.err.find(" TX "), std::string::npos) << bad;
    }
    EXPECT_EQ(RunCli({Box(kDetector300), "send-params", "300"}).code, cli::kUsage);
    EXPECT_EQ(RunCli({Box(kDetector300), "program-number", "300", "1048575"}).code, cli::kUsage);
    EXPECT_EQ(RunCli({Box(kDetector300), "wait-number", "300"}).code, cli::kUsage);
}

TEST(CliSend, ASendThatNeverAgreesOrStandsStillFails) {
    // Detector 999 is absent: the read never gets an answer; the time-out
    // stops it as the stop key does.
    const CliRun absent = RunCli({"--timeout", "0.3", Box(kDetector300), "send-params", "999", "on=5"});
    EXPECT_EQ(absent.code, cli::kStopped) << absent.err;
    const CliRun noBox = RunCli({Box(std::string("boxes 0\n") + kDetector300), "send-params", "300", "on=5"});
    EXPECT_EQ(noBox.code, cli::kNoBox) << noBox.err;
}

// SIGINT or SIGTERM in the middle of a send stops it as the stop key does:
// the detector keeps the write that went before the signal and gets none
// after it, and the command says what was written.
TEST(CliSend, ASignalMidSendStopsItAsTheStopKeyAndSaysWhatWasWritten) {
    for (const int signal : {SIGINT, SIGTERM}) {
        platform::CatchStopSignals();
        std::string error;
        const auto o =
            cli::ParseOptions({"quelmbox-cli", "--lang=en", Box(std::string("turnaround-ms 400\n") + kDetector300),
                               "send-params", "300", "power=max", "rise=0.5s"},
                              error);
        ASSERT_TRUE(o) << error;
        const auto tool = BuildTool(o->backend, std::make_unique<SteadyScheduler>(), {}, error, true);
        tool->traceLog->onAdded = [signal](const TraceEntry& e) {
            if (e.kind == TraceEntry::Kind::Sent && e.bytes.at(0) == code::kWritePowerMax) std::raise(signal);
        };
        std::FILE* out = std::tmpfile();
        std::FILE* err = std::tmpfile();
        EXPECT_EQ(cli::RunOnTool(*tool, *o, out, err), cli::kSignalled + signal);
        const std::string said = test::Slurp(err);
        EXPECT_EQ(test::Slurp(out), "");
        const sim::Detector& d = *tool->backend.box->detector(300);
        EXPECT_EQ(d.outputPower, 0); // max
        EXPECT_EQ(d.riseTime, 3);    // 1.5 s, as it was
        EXPECT_FALSE(ExchangeRunning(*tool->form));
        EXPECT_NE(said.find("STOP: stopped by SIG"), std::string::npos) << said;
        EXPECT_NE(said.find("  output power max: sent, not acknowledged by the box\n"), std::string::npos) << said;
        EXPECT_EQ(said.find("rise time"), std::string::npos) << said;
    }
    platform::CatchStopSignals(); // the tests after this one, in the same process, start with none noted
}

// A box pulled out in the middle of a send: the command says what it had
// written, as after a stop, in the user's language.
TEST(CliSend, ABoxPulledMidSendSaysWhatWasWritten) {
    std::string error;
    const auto o = cli::ParseOptions(
        {"quelmbox-cli", "--lang=fr", Box(kDetector300), "send-params", "300", "power=max", "rise=0.5s"}, error);
    ASSERT_TRUE(o) << error;
    const auto tool = BuildTool(o->backend, std::make_unique<SteadyScheduler>(), {}, error, true);
    tool->traceLog->onAdded = [&tool](const TraceEntry& e) {
        if (e.kind == TraceEntry::Kind::Sent && e.bytes.at(0) == code::kWritePowerMax) tool->backend.box->unplug();
    };
    std::FILE* out = std::tmpfile();
    std::FILE* err = std::tmpfile();
    EXPECT_EQ(cli::RunOnTool(*tool, *o, out, err), cli::kNoBox);
    const std::string said = test::Slurp(err);
    EXPECT_NE(said.find("avant la perte de la BOX :\n  puissance d'\xC3\xA9mission max : envoy\xC3\xA9, non "
                        "acquitt\xC3\xA9 par la BOX\n"),
              std::string::npos)
        << said;
}

// --from-json sends what a document gives (nothing: refused), past a byte-order mark; a NUL is refused.
TEST(CliSend, FromJsonSendsWhatTheDocumentGivesAndNothingElse) {
    const std::string file = testing::TempDir() + "cli_send_json_" + std::to_string(getpid()) + ".json";
    for (const char* doc : {"{}", "{\"channel\": null, \"on\": null}", "{\"detector\": 300, \"passes\": 2}"}) {
        std::ofstream(file) << doc;
        const CliRun run = RunCli({"--trace", Box(kDetector300), "send-params", "300", "--from-json", file});
        EXPECT_EQ(run.code, cli::kUsage) << doc;
        EXPECT_EQ(run.err.find(" TX "), std::string::npos) << doc;
    }
    std::ofstream(file) << "\xEF\xBB\xBF{\"outputPower\": \"max\"}";
    const CliRun bom = RunCli({"--json", Box(kDetector300), "send-params", "300", "--from-json", file});
    EXPECT_NE(bom.out.find("\"outputPower\": \"max\""), std::string::npos) << bom.err;
    for (const std::string& arg : {"--from-json=" + file + std::string(1, '\0'), Box(kDetector300) + '\0'})
        EXPECT_NE(RunCli({arg, "send-params", "300", "on=5"}).err.find("NUL"), std::string::npos);
}

// --from takes the parameter set of a project file, and nothing else.
TEST(CliSend, FromRefusesAFileWhoseLinesNoParameterTakes) {
    const std::string file = testing::TempDir() + "cli_send_from_" + std::to_string(getpid()) + ".bdp";
    std::ofstream(file, std::ios::binary) << std::string(10, '\n') << "4\n12\n8\n17\n24\n29\n 250 \n -5 \n 1e9 \n";
    const CliRun run = RunCli({Box(kDetector300), "send-params", "300", "--from", file});
    EXPECT_EQ(run.code, cli::kUsage);
    EXPECT_NE(run.err.find("line 17 \"250\": not a level from 0 to 100; line 18 \"-5\""), std::string::npos) << run.err;
    EXPECT_NE(RunCli({"show-file", "--json", file}).out.find("{\"line\": 19, \"value\": \"1e9\""), std::string::npos);
    std::ofstream(file, std::ios::binary) << std::string(19, '\n');
    EXPECT_NE(RunCli({Box(kDetector300), "send-params", "300", "--from", file}).err.find("line 11 \"\": matches no"),
              std::string::npos);
}

// Dynamic time held as a code no choice stands for, level ON+ held as 200.
TEST(CliSend, AGroupWithNoChoiceMustBeGivenAndALevelOver100IsPrintedAndSentAsHeld) {
    const std::string box = Box("detector 300 dyn=code3 on=200\n");
    EXPECT_NE(RunCli({"--json", box, "read-params", "300"}).out.find("\"levelOnPlus\": 200"), std::string::npos);
    const CliRun refused = RunCli({box, "send-params", "300", "on=100"});
    EXPECT_EQ(refused.code, cli::kUsage);
    EXPECT_EQ(refused.err.rfind("quelmbox-cli: dyn: ", 0), 0u) << refused.err;
    const CliRun sent = RunCli({"--json", box, "send-params", "300", "dyn=5s", "on=100"});
    EXPECT_NE(sent.out.find("\"levelOnPlus\": 100"), std::string::npos) << sent.out << sent.err;
}

TEST(CliSend, ProgramsANumberOnlyWhenTheDetectorAnswersWithIt) {
    const CliRun run = RunCli({"--json", Box(kDetector300), "program-number", "300", "301"});
    ASSERT_EQ(run.code, cli::kSuccess) << run.err;
    EXPECT_EQ(run.out, "{\"old\": 300, \"new\": 301, \"reported\": 301}\n");
    const std::string two = Box(std::string(kDetector300) + "detector 12\n");
    const CliRun taken = RunCli({"--timeout", "2", two, "program-number", "12", "300"});
    EXPECT_EQ(taken.code, cli::kOperationFailed) << taken.err;
    EXPECT_EQ(taken.err, "quelmbox-cli:  Nothing programmed: a detector already answers to number 300\n");
}

TEST(CliSend, WaitNumberPrintsTheReportedNumber) {
    const CliRun run =
        RunCli({"--json", "--trace", Box(std::string(kDetector300) + "report 300 after=2\n"), "wait-number"});
    ASSERT_EQ(run.code, cli::kSuccess) << run.err;
    EXPECT_EQ(run.out, "{\"reported\": 300}\n");
    EXPECT_NE(run.err.find("connection test"), std::string::npos);
    // Nobody reports: it listens, one connection test after the other, until
    // the time-out, then says what to check.
    const auto start = std::chrono::steady_clock::now();
    const CliRun silent = RunCli({"--timeout", "2", "--trace", Box(kDetector300), "wait-number"});
    const auto waited = std::chrono::steady_clock::now() - start;
    EXPECT_EQ(silent.code, cli::kStopped) << silent.err;
    EXPECT_NE(silent.err.find("within 2 s: check that one is powered"), std::string::npos) << silent.err;
    EXPECT_NE(silent.err.find("TX    0   1   1   2   2"), std::string::npos) << silent.err;
    EXPECT_GE(waited, std::chrono::milliseconds(1900)); // not the 0.7 s of one test's listening
}

// A value the detector never takes ends the send after ten passes; the
// message names the group in the language of the command line's messages.
TEST(CliSend, AValueNeverTakenIsNamedInEnglish) {
    std::string error;
    const auto o =
        cli::ParseOptions({"quelmbox-cli", "--lang=en", Box(kDetector300), "send-params", "300", "power=min"}, error);
    ASSERT_TRUE(o) << error;
    const auto tool = BuildTool(o->backend, std::make_unique<SteadyScheduler>(), {}, error, true);
    sim::CallKnobs knobs;
    knobs.refusedWrites = {code::kWritePowerMin};
    tool->backend.box->setCallKnobs(knobs);
    std::FILE* out = std::tmpfile();
    std::FILE* err = std::tmpfile();
    EXPECT_EQ(cli::RunOnTool(*tool, *o, out, err), cli::kOperationFailed);
    test::Slurp(out);
    const std::string said = test::Slurp(err);
    EXPECT_NE(said.find("never confirmed: Output power"), std::string::npos) << said;
}
