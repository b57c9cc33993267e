// Every command's --json output is read back by a real JSON parser, numbers
// as numbers; a usage error is one line.
#include "cli/cli.h"
#include "cli/cli_options.h"
#include "cli/commands.h"
#include "cli/json.h"
#include "cli/json_read.h"
#include "cli/port_commands.h"
#include "core/printable.h"
#include "core/texts.h"
#include "support/cli_run.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
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
    doc["reads"] = 2;          // what a read made twice adds goes back in as well
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
    std::ofstream(file) << sent.out;   // and what send-params prints goes back in
    const CliRun again = RunCli({"--json", box, "send-params", "300", "--from-json", file});
    EXPECT_EQ(json::parse(again.out)["levelOnPlus"], 70) << again.err;
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

// Failures are JSON whatever the bytes of a path or a plan line: a detector
// that does not answer, saves that fail, a refused plan, a file that is not a
// project file, the time-out. The text output escapes what a file holds.
TEST(CliJson, EverySiteFailureIsJson) {
    const std::string dir = testing::TempDir() + "cli_json_site_" + std::to_string(getpid()) + "/";
    // Not UTF-8, where a path is bytes (Windows gives the system UTF-16).
    const std::string folder = dir + (std::filesystem::path::preferred_separator == '/' ? "d\xE9t" : "det");
    const std::string box = "--simulate=" + BoxFile(), wait = "--per-detector=1";
    std::filesystem::create_directories(dir + "saved/300.bdp"); // a folder where the file would go
    std::ofstream(dir + "plan.csv") << "detector,power\n299,max\n300,min\n";
    std::ofstream(dir + "bad.csv") << "detector,power\n300,m\xE9\x1b\n";
    std::ofstream(dir + "rnd.bdp", std::ios::binary) << std::string("\x89PNG\r\n\x1a\n\0\0", 10);
    ASSERT_EQ(RunCli({box, "survey", "300", "--save-dir", folder}).code, cli::kSuccess);
    // 300's file with a control character (Windows-1252 9D) in its first line.
    std::ofstream(folder + "/299.bdp", std::ios::binary) << "\x9d" << std::ifstream(folder + "/300.bdp").rdbuf();
    const std::pair<std::vector<std::string>, int> runs[] = {
        {{"survey", "299,300", wait, "--save-dir", dir + "saved"}, cli::kUsage},
        {{"survey", "300", "--report", dir + "plan.csv/r.json"}, cli::kUsage},
        {{"apply", dir + "plan.csv", wait}, cli::kOperationFailed},
        {{"apply", dir + "bad.csv"}, cli::kUsage},
        {{"audit", folder, wait}, cli::kOperationFailed},
        {{"--timeout", "0.5", "survey", "299-310"}, cli::kStopped},
        {{"show-file", dir + "rnd.bdp"}, cli::kUsage},
    };
    for (auto [args, code] : runs) {
        const std::string what = args.front() + " " + args[1];
        args.insert(args.begin(), {"--json", box, "--lang=fr"});
        const CliRun run = RunCli(args);
        EXPECT_EQ(run.code, code) << what << ": " << run.err;
        json doc;
        ASSERT_NO_THROW(doc = json::parse(run.out)) << what << ": " << run.out;
        EXPECT_EQ(doc["exit"], code) << what;
        // The error is the message said, up to a byte the output escapes.
        const std::string error = doc["error"];
        EXPECT_NE(run.err.find(error.substr(0, std::min(error.find(';'), error.find('\\')))), std::string::npos)
            << error;
        EXPECT_TRUE(code != cli::kOperationFailed || doc["output"][0]["detectors"].is_array()) << what;
    }
    EXPECT_NE(RunCli({"show-file", dir + "rnd.bdp"}).err.find("rnd.bdp: not a project file"), std::string::npos);
    const CliRun audit = RunCli({box, wait, "audit", folder});
    EXPECT_NE(audit.out.find("line 1 \"\\x9d\""), std::string::npos) << audit.out;
    EXPECT_EQ(audit.out.find("\xC2\x9D"), std::string::npos);
    std::filesystem::remove_all(dir);
}

// A text of any bytes that start, continue or spoil UTF-8 sequences is a JSON
// string that parses, bytes of another encoding written \xNN, no control left raw.
TEST(CliJson, AnyBytesGiveAJsonStringThatParses) {
    EXPECT_EQ(EscapeInvalidUtf8("\xC3\xA9\xE9\xE2\x82\xAC"), "\xC3\xA9\\xe9\xE2\x82\xAC"); // a lone E9
    const unsigned char kBytes[] = {0x00, 0x1B, '"',  '\\', 0x7F, 0x80, 0x85, 0x9B, 0xA0, 0xBF,
                                    0xC0, 0xC2, 0xE0, 0xED, 0xF0, 0xF4, 0x90, 0x8F, 0xFF};
    std::mt19937 random(7);
    for (int i = 0; i < 5000; ++i) {
        std::string bytes(random() % 8, ' ');
        for (char& c : bytes) c = static_cast<char>(kBytes[random() % sizeof kBytes]);
        const std::string text = cli::JsonString(bytes);
        EXPECT_EQ(Printable(text), text);
        ASSERT_NO_THROW(EXPECT_EQ(json::parse(text), EscapeInvalidUtf8(bytes))) << text;
    }
}

// The escapes scripts compare byte for byte: every control character as
// \u00NN, never the short \n; and what nlohmann's reader decodes comes back.
TEST(CliJson, ControlsAreWrittenLongAndEscapesAreReadBack) {
    EXPECT_EQ(cli::JsonString("a\n\t\x01\"\\\x7F\xC2\x85"), "\"a\\u000a\\u0009\\u0001\\\"\\\\\\u007f\\u0085\"");
    std::string error;
    const auto members = cli::ReadJsonObject(R"({"a": "\u00e9\n\/", "b": [1, {"c": 2}], "b": -1.5e1})", error);
    ASSERT_TRUE(members) << error;
    ASSERT_EQ(members->size(), 3u); // a key given twice is kept twice, for the caller to refuse
    EXPECT_EQ((*members)[0].text, "\xC3\xA9\n/");
    EXPECT_EQ((*members)[1].kind, cli::JsonMember::Kind::Nested);
    EXPECT_EQ((*members)[2].text, "-1.5e1");
    EXPECT_FALSE(cli::ReadJsonObject("[1]", error));
    EXPECT_EQ(error, "an object '{' was expected at character 1");
}

// Each command of the table: found by its name, one way to run, its help
// lines in both languages within --help, its usage error in French too.
TEST(CliCommands, EveryCommandHasItsHelpAndOneWayToRun) {
    for (const cli::Command& c : cli::Commands()) {
        EXPECT_EQ(cli::FindCommand(c.name), &c);
        EXPECT_NE(c.onForm == nullptr, c.withoutBox == nullptr) << c.name;
        for (int language : {1, 2}) {
            const std::string usage = c.usage[language == 1 ? 1 : 0];
            EXPECT_EQ(usage.rfind(std::string("  ") + c.name + " ", 0), 0u) << usage;
            EXPECT_NE(cli::UsageText(language).find(usage), std::string::npos) << c.name;
        }
        EXPECT_STRNE(Phrase(c.wanted, 1), c.wanted) << c.name;
    }
    std::string error;
    EXPECT_FALSE(cli::ParseOptions({"quelmbox-cli", "--lang=en", "frob"}, error));
    EXPECT_EQ(error, "unknown command: frob");
}

// An option the table does not give a command is refused with it, one it
// gives is taken.
TEST(CliCommands, AnOptionGoesOnlyWithTheCommandsThatTakeIt) {
    const std::pair<unsigned, std::vector<std::string>> kOptions[] = {
        {cli::kSave, {"--save=x.bdp"}},
        {cli::kFrom, {"--from=x.bdp"}},
        {cli::kSaveDir, {"--save-dir=d"}},
        {cli::kReport, {"--report=r.csv"}},
        {cli::kDryRun, {"--dry-run"}},
        {cli::kStopOnError, {"--stop-on-error"}},
        {cli::kPerDetector, {"--per-detector=5"}},
        {cli::kWithAddresses | cli::kSave, {"--with-addresses", "--save=x"}}};
    const auto words = [](const cli::Command& c) -> std::vector<std::string> {
        switch (c.arguments) {
        case cli::Arguments::none: return {};
        case cli::Arguments::detectorAndAddresses: return {"3", "1", "2", "3", "4", "5", "6", "7", "8", "9", "10"};
        case cli::Arguments::channel: return {"A"};
        case cli::Arguments::sendFields: return {"3", "power=max"};
        case cli::Arguments::oldAndNew: return {"3", "4"};
        default: return {"300"};
        }
    };
    for (const cli::Command& c : cli::Commands()) {
        for (const auto& [bits, option] : kOptions) {
            std::vector<std::string> args = {"quelmbox-cli", "--lang=en", c.name};
            for (const std::string& w : words(c)) args.push_back(w);
            args.insert(args.end(), option.begin(), option.end());
            std::string error;
            EXPECT_EQ(cli::ParseOptions(args, error).has_value(), cli::Accepts(&c, bits))
                << c.name << " " << option[0] << ": " << error;
        }
    }
}

// The port list, readable and as JSON, with the way to set a latency timer
// on the system each port belongs to.
TEST(CliPorts, EachPortSaysWhetherItIsFtdiAndHowToSetItsLatency) {
    const std::vector<platform::SerialPortEntry> ports = {{"/dev/ttyUSB0", "0403", 16}, {"/dev/ttyUSB1", "0403", 1},
                                                          {"COM12", "0403", -1},        {"COM3", "", -1},
                                                          {"COM5", "0403", 16},         {"/dev/ttyACM0", "2341", -1}};
    const std::string text = cli::FormatPorts(ports, false);
    EXPECT_EQ(text, "/dev/ttyUSB0  FTDI adapter (USB vendor 0403), latency timer 16 ms\n"
                    "  to set it to 1 ms: echo 1 | sudo tee /sys/class/tty/ttyUSB0/device/latency_timer\n"
                    "/dev/ttyUSB1  FTDI adapter (USB vendor 0403), latency timer 1 ms\n"
                    "COM12         FTDI adapter (USB vendor 0403), latency timer not readable here\n"
                    "COM3          not an FTDI adapter\n"
                    "COM5          FTDI adapter (USB vendor 0403), latency timer 16 ms\n"
                    "  to set it to 1 ms: Device Manager, COM5, Properties, Port Settings, Advanced, Latency "
                    "Timer (msec): 1\n"
                    "/dev/ttyACM0  not an FTDI adapter (USB vendor 2341)\n");
    const json list = json::parse(cli::FormatPorts(ports, true));
    ASSERT_EQ(list["ports"].size(), ports.size());
    EXPECT_EQ(list["ports"][0]["latencyTimerMs"], 16);
    EXPECT_TRUE(list["ports"][2]["latencyTimerMs"].is_null());
    EXPECT_TRUE(list["ports"][3]["vendorId"].is_null());
    EXPECT_EQ(list["ports"][5]["ftdi"], false);
    EXPECT_EQ(json::parse(cli::FormatPorts({}, true))["ports"].size(), 0u);
    EXPECT_EQ(test::RunCli({"ports", "extra"}).code, cli::kUsage);
}
