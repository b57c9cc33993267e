// The site commands and send-params under hostile files and paths: a report
// that would replace something other than a new or regular file of its own
// is refused before anything is sent, conflicting inputs are refused with
// the key or line named, a read of standard input ends with a signal, and a
// link in a survey's folder is not followed.
#include "platform/stop_signals.h"
#include "site/plan.h"
#include "support/cli_run.h"
#include "support/file_bytes.h"
#include "support/temp_folder.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

using namespace quelm;
namespace fs = std::filesystem;

namespace {

struct SiteInputs : ::testing::Test {
    fs::path dir = test::MakeTempFolder("quelm-site-inputs");
    std::string box = "--simulate=" QUELM_SOURCE_DIR "/data/simbox.txt";
    ~SiteInputs() override { fs::remove_all(dir); }
    std::string put(const std::string& name, const std::string& text) {
        std::ofstream(dir / name, std::ios::binary) << text;
        return (dir / name).string();
    }
    // A refused command: exit 2, `said` in its messages, no frame sent.
    void expectRefused(std::vector<std::string> args, const std::string& said) {
        args.insert(args.begin(), {"--trace", box});
        const test::CliRun run = test::RunCli(args);
        EXPECT_EQ(run.code, 2) << said << "\n" << run.err;
        EXPECT_NE(run.err.find(said), std::string::npos) << run.err;
        EXPECT_EQ(run.err.find(" TX "), std::string::npos) << said;
    }
};

} // namespace

TEST_F(SiteInputs, AReportThatWouldReplaceAnythingButItsOwnFileIsRefusedBeforeTheRun) {
    const std::string plan = put("plan.csv", "detector,power\n300,max\n");
    const std::string fifo = (dir / "fifo.csv").string();
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    ASSERT_EQ(test::RunCli({box, "survey", "300", "--save-dir", (dir / "D").string()}).code, 0);
    const std::string saved = test::ReadBytes(dir / "D/300.bdp");
    const std::string retried = put("r.csv", "detector,state\n299,absent (probe)\n");
    const std::string boxLink = (dir / "box-link.txt").string();
    fs::create_symlink(QUELM_SOURCE_DIR "/data/simbox.txt", boxLink);
    const struct {
        std::vector<std::string> args;
        const char* said;
    } cases[] = {
        {{"survey", "300", "--report", fifo}, "not a regular file"},
        {{"survey", "300", "--report", "/dev/zero"}, "/dev/zero"},
        {{"survey", "300", "--report", "/dev/stdout"}, "/dev/stdout"},
        {{"apply", plan, "--report", plan}, "it is the plan of this run"},
        {{"survey", "--retry-absent", retried, "--report", dir.string() + "/./r.csv"}, "the report this run retries"},
        {{"survey", "300", "--report", boxLink}, "the simulated box's file"},
        {{"audit", (dir / "D").string(), "--report", (dir / "D/300.bdp").string()}, "it is a project file"},
        {{"survey", "300", "--save-dir", (dir / "D").string(), "--report", (dir / "D/300.bdp").string()},
         "it is a project file"},
        {{"apply", plan, "--report", plan + "/r.csv"}, "cannot make the folder"},
        {{"--json", "survey", "300", "--report", "-"}, "both write to the standard output"},
    };
    for (const auto& c : cases) expectRefused(c.args, c.said);
    struct stat st {};
    EXPECT_TRUE(::stat(fifo.c_str(), &st) == 0 && S_ISFIFO(st.st_mode));
    EXPECT_EQ(test::ReadBytes(plan), "detector,power\n300,max\n");
    EXPECT_EQ(test::ReadBytes(retried), "detector,state\n299,absent (probe)\n");
    EXPECT_EQ(test::ReadBytes(dir / "D/300.bdp"), saved);
    // The report on the output is the report alone; a name in capitals is JSON.
    const test::CliRun streamed = test::RunCli({box, "survey", "300", "--report", "-"});
    EXPECT_EQ(streamed.out.substr(0, 15), "detector,state,");
    EXPECT_EQ(streamed.out.substr(streamed.out.rfind('\n', streamed.out.size() - 2) + 1, 4), "\"# 1");
    ASSERT_EQ(test::RunCli({box, "survey", "300", "--report", (dir / "R.JSON").string()}).code, 0);
    EXPECT_EQ(test::ReadBytes(dir / "R.JSON").front(), '{');
}

TEST_F(SiteInputs, ConflictingInputsAreRefusedWithTheKeyOrLineNamed) {
    const std::string large = "{\"outputPower\": \"min\"}" + std::string(1 << 20, ' ') + "x";
    const struct {
        std::string file;
        const char* said;
    } sends[] = {
        {put("twice.json", "{\"outputPower\": \"min\", \"outputPower\": \"max\"}"), "\"outputPower\" given twice"},
        {put("field.json", "{\"levelOnPlus\": 10, \"on\": 90}"), "\"on\" names levelOnPlus, given twice"},
        {put("large.json", large), "larger than 1 MiB"},
    };
    for (const auto& c : sends) expectRefused({"send-params", "300", "--from-json", c.file}, c.said);
    const std::string listedTwice = put("detectors.json", "{\"detectors\": [{\"detector\": 300}],\n\"detectors\": []}");
    const struct {
        std::string plan;
        const char* said;
    } plans[] = {
        {put("header.csv", "detector,power,Detector\n300,max,12\n"), "line 1: column 'Detector' named twice"},
        {put("numbers.csv", "detector,newNumber,NEWNUMBER\n300,301,302\n"), "column 'NEWNUMBER' named twice"},
        {put("entry.Json", "[{\"detector\": 300,\n \"detector\": 12}]"), "line 2: \"detector\" given twice"},
        {listedTwice, "line 2: \"detectors\" given twice"},
    };
    for (const auto& c : plans) expectRefused({"apply", c.plan, "--dry-run"}, c.said);
}

// Ctrl-C or SIGTERM while standard input is awaited ends the command with
// the signal's code, and nothing is sent; a named pipe is not opened at all.
TEST_F(SiteInputs, ReadsOfStandardInputEndWithASignalAndPipesAreRefused) {
    const std::string fifo = (dir / "in.json").string();
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    expectRefused({"send-params", "300", "--from-json", fifo}, "not a regular file");
    int fds[2];
    ASSERT_EQ(::pipe(fds), 0);
    const int input = ::dup(STDIN_FILENO);
    ::dup2(fds[0], STDIN_FILENO);
    for (const int signal : {SIGINT, SIGTERM}) {
        platform::CatchStopSignals();
        std::thread late([signal] {
            std::this_thread::sleep_for(std::chrono::milliseconds(300));
            std::raise(signal);
        });
        const test::CliRun run = test::RunCli({"--trace", box, "send-params", "300", "--from-json", "-"});
        late.join();
        EXPECT_EQ(run.code, 128 + signal) << run.err;
        EXPECT_NE(run.err.find("STOP"), std::string::npos) << run.err;
        EXPECT_EQ(run.err.find(" TX "), std::string::npos);
    }
    ::dup2(input, STDIN_FILENO);
    for (const int fd : {input, fds[0], fds[1]}) ::close(fd);
    platform::CatchStopSignals();
    // A plan's reading ends at a stop too, and says so.
    std::vector<PlanError> errors;
    int asked = 0;
    EXPECT_TRUE(ParsePlanText("detector\n1\n2\n3\n", false, dir, errors, [&asked] { return ++asked > 2; }).empty());
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_NE(errors[0].reason.find("stopped"), std::string::npos);
}

TEST_F(SiteInputs, ASurveyWritesNoFileThroughALinkInItsFolder) {
    const std::string outside = put("outside.txt", "keep me");
    fs::create_directory(dir / "D");
    fs::create_symlink(outside, dir / "D/300.bdp");
    const test::CliRun run = test::RunCli({box, "survey", "300,12", "--save-dir", (dir / "D").string()});
    EXPECT_EQ(run.code, 1);
    EXPECT_NE(run.out.find("300: failed"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("symbolic link"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("12: done"), std::string::npos) << run.out;
    EXPECT_EQ(test::ReadBytes(outside), "keep me");
    EXPECT_TRUE(fs::is_symlink(dir / "D/300.bdp"));
}

// The survey's folder and files, and the report's folder, are settled before
// the first detector is asked; the report is written in the user's language
// and, absent numbers retried, goes back in as a plan.
TEST_F(SiteInputs, TheSaveFolderIsCheckedFirstAndAFrenchReportComesBackAsAPlan) {
    put("taken", "a file, not a folder");
    expectRefused({"survey", "300", "--save-dir", (dir / "taken").string()}, "taken");
    fs::create_directories(dir / "S/300.bdp");
    expectRefused({"survey", "300", "--save-dir", (dir / "S").string()}, "300.bdp");

    const std::string report = (dir / "new/folder/r.csv").string();
    const test::CliRun survey = test::RunCli({"--lang=fr", box, "survey", "299-300", "--report", report});
    EXPECT_EQ(survey.code, 1) << survey.err; // 299 is absent
    const std::string csv = test::ReadBytes(report);
    EXPECT_TRUE(csv.starts_with("\xEF\xBB\xBF"
                                "détecteur;état;"))
        << csv;
    EXPECT_NE(csv.find("299;absent (sonde);non;"), std::string::npos) << csv;
    EXPECT_NE(survey.out.find("2 détecteurs : 1 atteint"), std::string::npos) << survey.out;

    const test::CliRun dry = test::RunCli({"--lang=fr", box, "apply", report, "--dry-run"});
    EXPECT_NE(dry.out.find("300 : fait"), std::string::npos) << dry.out << dry.err;
    // Asked again, piped: how long it may take first, a line as each number starts, absent again.
    const test::CliRun retry = test::RunCli({box, "survey", "--retry-absent", report, "--per-detector", "1"});
    EXPECT_EQ(retry.out.rfind("299: absent (probe)", 0), 0u) << retry.out << retry.err;
    EXPECT_EQ(retry.err.rfind("to ask again: 1, each silent number 2.02 s at most, 2 s ", 0), 0u) << retry.err;
    EXPECT_NE(retry.err.find("[1/1] 299\n"), std::string::npos) << retry.err;
    expectRefused({"survey", "--retry-absent", put("twice.csv", "detector,state\n299,absent (probe)\n299,done\n")},
                  "line 3: detector 299 is already on line 2");
    std::string many = "detector,state\n";
    for (int n = 0; n <= 5000; ++n) many += std::to_string(n) + ",absent (probe)\n";
    expectRefused({"survey", "--retry-absent", put("many.csv", many)}, "line 5002: more than 5000 detectors");
}

// An apply cut by a signal: SIGHUP ends it as a stop, with every detector's
// row in the report; SIGKILL, once the first write is under way, leaves the
// row of the detector being written, to be read again. Either report goes
// back in as a plan and to --retry-absent.
TEST_F(SiteInputs, AnApplyCutBySignalLeavesATrueReport) {
    const std::string plan = put("plan.csv", "detector,power\n300,max\n12,min\n");
    for (const int signal : {SIGHUP, SIGKILL}) {
        const fs::path report = dir / ("cut" + std::to_string(signal) + ".csv");
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            platform::CatchStopSignals();
            ::_exit(test::RunCli({box, "apply", plan, "--report", report.string()}).code);
        }
        std::string text;
        for (int i = 0; i < 5000 && text.find("in progress") == std::string::npos; ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
            text = fs::exists(report) ? test::ReadBytes(report) : "";
        }
        ::kill(child, signal);
        int status = 0;
        ::waitpid(child, &status, 0);
        text = test::ReadBytes(report);
        if (signal == SIGHUP) {
            EXPECT_EQ(WEXITSTATUS(status), 128 + SIGHUP) << text;
            EXPECT_NE(text.find("\n300,stopped,yes,B,"), std::string::npos) << text;
            EXPECT_NE(text.find("\n12,not run,"), std::string::npos) << text;
            EXPECT_EQ(text.find("in progress"), std::string::npos) << text;
        } else {
            EXPECT_NE(text.find("\n300,stopped,yes,"), std::string::npos) << text;
            EXPECT_NE(text.find("in progress when the report was last written"), std::string::npos) << text;
            EXPECT_NE(
                text.find(",yes,\n\"# 2 detectors: 1 reached, 0 done, 0 differing, 0 failed, 1 stopped, 1 not run"),
                std::string::npos)
                << text;
        }
        EXPECT_EQ(text.find("\n300,", text.find("\n300,") + 1), std::string::npos) << "300 twice\n" << text;
        const test::CliRun again = test::RunCli({box, "apply", report.string(), "--dry-run"});
        EXPECT_EQ(again.code, 0) << again.err;
        EXPECT_NE(
            test::RunCli({box, "survey", "--retry-absent", report.string()}).err.find("no detector recorded absent"),
            std::string::npos);
    }
}
