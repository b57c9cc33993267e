// Every command's --json output is read back by a real JSON parser, numbers
// as numbers; a usage error is one line.
#include "cli/cli.h"
#include "support/cli_run.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cstdio>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

using namespace quelm;
using nlohmann::json;
using quelm::test::CliRun;
using quelm::test::RunCli;

namespace {

std::string BoxFile() {
    const std::string path = testing::TempDir() + "cli_json_box_" + std::to_string(getpid()) + ".txt";
    std::ofstream(path)
        << "detector 300 power=med channel=B dyn=2min rise=1.5s fall=45s on=80 dyn+=60 dyn-=25 type=L1\n"
           "addresses 300 11 22 33 44 55 66 77 88 99 1048574\n"
           "detector 12\n"
           "report 300 after=1\n";
    return path;
}

} // namespace

TEST(CliJson, EveryCommandPrintsJsonThatParses) {
    const std::string box = "--simulate=" + BoxFile();
    const std::string bdp = testing::TempDir() + "cli_json_" + std::to_string(getpid()) + ".bdp";
    const std::vector<std::vector<std::string>> commands{
        {"read-params", "0300", "--save", bdp, "--with-addresses"},
        {"show-file", bdp},
        {"read-addresses", "300"},
        {"send-addresses", "12", "1", "2", "3", "4", "5", "6", "7", "8", "9", "0010"},
        {"send-params", "300", "power=max", "on=70"},
        {"send-params", "12", "--from", bdp, "dyn-=7"},
        {"program-number", "0012", "13"},
        {"wait-number"},
        {"channel", "b"},
        {"test-number", "0300"},
    };
    for (auto args : commands) {
        const std::string what = args.front();
        args.insert(args.begin(), {"--json", "--timeout", "20", box});
        const CliRun run = RunCli(args);
        ASSERT_EQ(run.code, cli::kSuccess) << what << ": " << run.err;
        json doc;
        ASSERT_NO_THROW(doc = json::parse(run.out)) << what << ": " << run.out;
        if (what == "read-params") {
            EXPECT_EQ(doc["detector"], 300);
            EXPECT_EQ(doc["channel"], "B");
            EXPECT_EQ(doc["levelOnPlus"], 80);
        }
        if (what == "read-addresses") {
            EXPECT_EQ(doc, json({11, 22, 33, 44, 55, 66, 77, 88, 99, 1048574}));
        }
        if (what == "send-params") {
            EXPECT_TRUE(doc["passes"].is_number());
        }
        if (what == "send-params" && doc["detector"] == 12) {
            // 300's parameter set from the file, with the field given on top.
            EXPECT_EQ(doc["channel"], "B");
            EXPECT_EQ(doc["levelOnPlus"], 80);
            EXPECT_EQ(doc["levelDynMinus"], 7);
        }
        if (what == "show-file") {
            EXPECT_EQ(doc["addresses"], json({"11", "22", "33", "44", "55", "66", "77", "88", "99", "1048574"}));
        }
        if (what == "program-number") {
            EXPECT_EQ(doc["old"], 12);
            EXPECT_EQ(doc["reported"], 13);
        }
        if (what == "wait-number") {
            EXPECT_EQ(doc["reported"], 300);
        }
        if (what == "channel") {
            EXPECT_EQ(doc["channel"], "B");
        }
        if (what == "test-number") {
            EXPECT_EQ(doc["testNumber"], 300);
        }
    }
}

TEST(CliJson, AUsageErrorIsOneLineThatPointsToHelp) {
    for (const std::vector<std::string>& args :
         std::vector<std::vector<std::string>>{{"read-params"},
                                               {"--timeout", "1e3", "read-params", "1"},
                                               {"--simulate", "box.txt", "read-params", "1"},
                                               {"frobnicate"}}) {
        const CliRun run = RunCli(args);
        EXPECT_EQ(run.code, cli::kUsage);
        EXPECT_TRUE(run.out.empty());
        EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
        EXPECT_NE(run.err.find("see quelmbox-cli --help"), std::string::npos) << run.err;
    }
    EXPECT_NE(RunCli({"--simulate", "box.txt", "read-params", "1"}).err.find("--simulate=box.txt"), std::string::npos);
    EXPECT_NE(RunCli({"--timeout", "-1", "read-params", "1"}).err.find("86400"), std::string::npos);
}

// What read-params prints goes back into send-params as it stands, edited.
TEST(CliJson, AReadSavedEditedAndSentRoundTrips) {
    const std::string box = "--simulate=" + BoxFile();
    const CliRun read = RunCli({box, "read-params", "300", "--json"});
    ASSERT_EQ(read.code, cli::kSuccess) << read.err;
    json doc = json::parse(read.out);
    doc["outputPower"] = "max";
    doc["fallTime"] = "2 min"; // the readable spelling is taken too
    const std::string file = testing::TempDir() + "cli_json_edit_" + std::to_string(getpid()) + ".json";
    std::ofstream(file) << doc.dump(2);
    const CliRun sent = RunCli({"--json", box, "send-params", "00000300", "--from-json", file, "on=70"});
    ASSERT_EQ(sent.code, cli::kSuccess) << sent.err;
    const json now = json::parse(sent.out);
    for (const char* key : {"channel", "dynamicTime", "riseTime", "levelDynPlus", "levelDynMinus", "commandType"})
        EXPECT_EQ(now[key], doc[key]) << key;
    EXPECT_EQ(now["outputPower"], "max");
    EXPECT_EQ(now["fallTime"], "2min");
    EXPECT_EQ(now["levelOnPlus"], 70); // the command line wins over the file
}

// A failure with --json is a JSON object on standard output as well.
TEST(CliJson, AFailureIsJsonThatSaysWhatWasKnown) {
    const CliRun silent = RunCli({"--json", "--timeout", "0.3", "--simulate=" + BoxFile(), "read-params", "0299"});
    EXPECT_EQ(silent.code, cli::kStopped);
    const json doc = json::parse(silent.out);
    EXPECT_EQ(doc["exit"], cli::kStopped);
    EXPECT_EQ(doc["detector"], 299);
    EXPECT_NE(doc["error"].get<std::string>().find("detector 299 did not answer"), std::string::npos) << doc;
    EXPECT_NE(silent.err.find("check its number"), std::string::npos);

    const CliRun twice = RunCli({"--json", "--timeout", "1", "--timeout", "2", "read-params", "1"});
    EXPECT_EQ(twice.code, cli::kUsage);
    EXPECT_NE(json::parse(twice.out)["error"].get<std::string>().find("--timeout given twice"), std::string::npos);
    const CliRun missing = RunCli({"--json", "send-params", "1", "--from-json", "/nonexistent/p.json"});
    EXPECT_NE(json::parse(missing.out)["error"].get<std::string>().find("/nonexistent/p.json"), std::string::npos);
}
