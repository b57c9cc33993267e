// The command-line front end, in real time on the simulated box, and the
// whole read through the serial driver and a pseudo-terminal.
#include "cli/cli.h"
#include "cli/cli_language.h"
#include "cli/live_read.h"
#include "drivers/serial/serial_driver.h"
#include "drivers/serial/steady_scheduler.h"
#include "form/parameters.h"
#include "shell/bind_handlers.h"
#include "support/cli_run.h"
#include "support/pty_bridge.h"
#include "support/temp_folder.h"
#include "support/test_rig.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fcntl.h>
#include <fstream>
#include <iterator>
#include <string>
#include <unistd.h>

using namespace quelm;
using quelm::test::CliRun;
using quelm::test::RunCli;

namespace {

// Each test runs in a process of its own, several at once: the name carries
// the process so that two tests never write the same file.
std::string BoxFile(const std::string& text) {
    static int n = 0;
    const std::string path =
        testing::TempDir() + "cli_box_" + std::to_string(getpid()) + "_" + std::to_string(++n) + ".txt";
    std::ofstream(path) << text;
    return path;
}

const char* kBox = "detector 300 power=med channel=B dyn=2min rise=1.5s fall=45s on=80 dyn+=60 dyn-=25 type=L1\n";

} // namespace

// The rule the package installs, printed for systems without it, and the
// version, both with nothing else on the line but the options.
TEST(Cli, PrintsTheInstalledUdevRuleAndTheVersion) {
    std::ifstream file(QUELM_SOURCE_DIR "/packaging/60-quelmbox-ftdi.rules");
    const std::string rule{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    ASSERT_NE(rule.find("ATTRS{idVendor}==\"0403\""), std::string::npos);
    const CliRun printed = RunCli({"--print-udev-rule"});
    EXPECT_EQ(printed.code, 0);
    const std::size_t body = printed.out.find('\n') + 1; // after the line that says where it goes
    EXPECT_EQ(printed.out.substr(0, 2), "# ");
    EXPECT_EQ(printed.out.substr(body), rule);
    const CliRun version = RunCli({"--version"});
    EXPECT_EQ(version.code, 0);
    EXPECT_EQ(version.out.rfind("quelmbox-cli ", 0), 0u);
    EXPECT_EQ(RunCli({"--json", "--version"}).out.rfind("{\"version\": \"", 0), 0u);
    EXPECT_EQ(RunCli({"--version", "--bogus"}).code, 2);
}

TEST(Cli, ReadsADetectorReadablyAndAsJson) {
    const std::string box = "--simulate=" + BoxFile(kBox);
    const CliRun text = RunCli({box, "read-params", "300"});
    ASSERT_EQ(text.code, cli::kSuccess) << text.err;
    EXPECT_NE(text.out.find("dynamic time       dyn=2min"), std::string::npos) << text.out;
    EXPECT_NE(text.out.find("rise time          rise=1.5s"), std::string::npos);
    const CliRun json = RunCli({"--json", box, "read-params", "300"});
    ASSERT_EQ(json.code, cli::kSuccess);
    EXPECT_EQ(json.out, "{\"detector\": 300, \"channel\": \"B\", \"dynamicTime\": \"2min\", \"outputPower\": \"med\", "
                        "\"riseTime\": \"1.5s\", \"fallTime\": \"45s\", \"levelOnPlus\": 80, \"levelDynPlus\": 60, "
                        "\"levelDynMinus\": 25, \"commandType\": \"L1\"}\n");
}

TEST(Cli, TracesEveryFrameWithATimeStamp) {
    const CliRun run = RunCli({"--trace", "--simulate=" + BoxFile(kBox), "read-params", "300"});
    ASSERT_EQ(run.code, cli::kSuccess);
    for (const char* frame :
         {"TX   64   0   1  44 109", "RX   64   1   1   4  68", "TX   66   0   1  44 111", "RX   66  60  25   1 102"})
        EXPECT_NE(run.err.find(frame), std::string::npos) << frame << "\n" << run.err;
    EXPECT_NE(run.err.find(" ms  TX"), std::string::npos);
}

TEST(Cli, ASilentDetectorStopsAtTheTimeOut) {
    const CliRun run = RunCli({"--timeout", "0.3", "--simulate=" + BoxFile(kBox), "read-params", "299"});
    EXPECT_EQ(run.code, cli::kStopped);
    EXPECT_NE(run.err.find("STOP"), std::string::npos);
    EXPECT_TRUE(run.out.empty());
}

// The language: --lang, else the settings file of the first folder that has
// a known code in one, else the session's locale. In French the help, the
// read and the stop say it in French; the JSON keys stay as they are.
TEST(Cli, SpeaksTheLanguageOfTheOptionTheSettingsOrTheSession) {
    const std::filesystem::path dir = test::MakeTempFolder("quelm_lang");
    for (const auto& [name, code] : {std::pair{"fr", " 1 \r\n"}, {"en", "2\n"}, {"odd", "7\n"}}) {
        std::filesystem::create_directory(dir / name);
        std::ofstream(dir / name / "param_box.dat") << code;
    }
    EXPECT_EQ(cli::ChooseLanguage(2, {dir / "fr"}, "fr_FR.UTF-8"), 2);
    EXPECT_EQ(cli::ChooseLanguage(0, {dir / "fr", dir / "en"}, "C"), 1);
    EXPECT_EQ(cli::ChooseLanguage(0, {dir / "none", dir / "odd", dir / "en"}, "fr_FR.UTF-8"), 2);
    EXPECT_EQ(cli::ChooseLanguage(0, {dir / "none", dir / "odd"}, "fr_CA.UTF-8"), 1);
    EXPECT_EQ(cli::ChooseLanguage(0, {}, "fr"), 1);
    for (const char* other : {"C", "POSIX", "", "en_US.UTF-8", "fri", "de_DE"})
        EXPECT_EQ(cli::ChooseLanguage(0, {}, other), 2) << other;
    std::filesystem::remove_all(dir);

    EXPECT_EQ(RunCli({"--lang", "fr", "--help"}).out.rfind("Utilisation : quelmbox-cli", 0), 0u);
    const CliRun read = RunCli({"--lang=fr", "--simulate=" + BoxFile(kBox), "read-params", "300"});
    EXPECT_NE(read.out.find("D\xC3\xA9tecteur 300\n  canal du d\xC3\xA9tecteur   channel=B\n"), std::string::npos)
        << read.out;
    const CliRun json = RunCli({"--lang=fr", "--json", "--simulate=" + BoxFile(kBox), "read-params", "300"});
    EXPECT_NE(json.out.find("\"outputPower\": \"med\""), std::string::npos) << json.out;
    const CliRun stop = RunCli({"--lang=fr", "--timeout", "0.3", "--simulate=" + BoxFile(kBox), "read-params", "299"});
    EXPECT_NE(stop.err.find("STOP : pas de r\xC3\xA9ponse avant la fin du d\xC3\xA9lai"), std::string::npos)
        << stop.err;
    EXPECT_EQ(RunCli({"--lang=de", "--help"}).code, cli::kUsage);
    cli::UseLanguage(2);
}

// Output that cannot be written fails the command, with the reason said.
TEST(Cli, AnOutputThatCannotBeWrittenIsAFailure) {
    std::FILE* full = std::fopen("/dev/full", "w");
    std::FILE* err = std::tmpfile();
    ASSERT_TRUE(full && err);
    EXPECT_EQ(cli::Run({"quelmbox-cli", "--lang=en", "--simulate=" + BoxFile(kBox), "read-params", "300"}, full, err),
              cli::kOperationFailed);
    EXPECT_NE(test::Slurp(err).find("output could not be written: No space left on device"), std::string::npos);
    std::fclose(full);
}

TEST(Cli, NoBoxAndBadArgumentsFailWithTheirCodes) {
    EXPECT_EQ(RunCli({"--simulate=" + BoxFile("boxes 0\n"), "read-params", "300"}).code, cli::kNoBox);
    EXPECT_EQ(RunCli({"--simulate=" + BoxFile("boxes 2\n"), "read-params", "300"}).code, cli::kNoBox);
    EXPECT_EQ(RunCli({"--port", "/nonexistent/tty", "read-params", "300"}).code, cli::kNoBox);
    for (std::vector<std::string> bad :
         std::vector<std::vector<std::string>>{{"read-params"},
                                               {"read-params", "-5"},
                                               {"read-params", "1048575"},
                                               {"read-params", "12x"},
                                               {"write-params", "3"},
                                               {"--timeout", "0", "read-params", "3"},
                                               {"--bogus", "read-params", "3"},
                                               {"--simulate=/nonexistent/box.txt", "read-params", "3"}}) {
        const CliRun run = RunCli(bad);
        EXPECT_EQ(run.code, cli::kUsage) << bad.back();
        EXPECT_NE(run.err.find("quelmbox-cli: "), std::string::npos);
    }
}

TEST(Cli, SetsTheBoxChannelAndSendsATestNumber) {
    const std::string box = "--simulate=" + BoxFile(kBox);
    const CliRun channel = RunCli({"--trace", box, "channel", "b"});
    ASSERT_EQ(channel.code, cli::kSuccess) << channel.err;
    EXPECT_EQ(channel.out, "box channel B\n");
    EXPECT_NE(channel.err.find("TX    0   1   2   3   4"), std::string::npos) << channel.err;
    const CliRun test = RunCli({"--trace", box, "test-number", "300"});
    ASSERT_EQ(test.code, cli::kSuccess) << test.err;
    EXPECT_EQ(test.out, "test number 300 sent\n");
    EXPECT_NE(test.err.find("TX    1   0   1  44  44"), std::string::npos) << test.err;
    EXPECT_EQ(RunCli({"--simulate=" + BoxFile("boxes 0\n"), "channel", "A"}).code, cli::kNoBox);
    EXPECT_EQ(RunCli({"--simulate=" + BoxFile("boxes 2\n"), "test-number", "5"}).code, cli::kNoBox);
    for (std::vector<std::string> bad : std::vector<std::vector<std::string>>{
             {"channel", "C"}, {"channel"}, {"test-number", "-3"}, {"test-number", "1048575"}})
        EXPECT_EQ(RunCli(bad).code, cli::kUsage) << bad.back();
}

// A port with nothing behind it: no acknowledgement of the channel, and the
// message says that not one byte came.
TEST(Cli, APortWhereNothingAnswersIsNamedWithWhatToCheck) {
    const int master = ::posix_openpt(O_RDWR | O_NOCTTY);
    ASSERT_EQ(::grantpt(master) | ::unlockpt(master), 0);
    const CliRun run = RunCli({"--port", ::ptsname(master), "--timeout", "0.2", "channel", "A"});
    EXPECT_EQ(run.code, cli::kOperationFailed);
    EXPECT_NE(run.err.find("acknowledge it\nquelmbox-cli: no byte came from the box on /dev/pts/"), std::string::npos)
        << run.err;
    ::close(master);
}

TEST(Cli, SavesAReadAsTheWindowWouldAndShowsFiles) {
    const std::string file = testing::TempDir() + "cli_300_" + std::to_string(std::rand()) + ".bdp";
    const CliRun read = RunCli({"--simulate=" + BoxFile(kBox), "read-params", "300", "--save", file});
    ASSERT_EQ(read.code, cli::kSuccess) << read.err;
    std::ifstream in(file, std::ios::binary);
    const std::string bytes{std::istreambuf_iterator<char>(in), {}};
    EXPECT_EQ(bytes, std::string("\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n") +
                         "4\r\n12\r\n8\r\n17\r\n24\r\n29\r\n 80 \r\n 60 \r\n 25 \r\n");

    const CliRun json = RunCli({"show-file", file, "--json"});
    ASSERT_EQ(json.code, cli::kSuccess) << json.err;
    EXPECT_EQ(json.out,
              "{\"file\": \"" + file +
                  "\", \"values\": 19, \"opens\": true, \"addresses\": [\"\", \"\", "
                  "\"\", \"\", \"\", \"\", \"\", \"\", \"\", \"\"], \"channel\": \"B\", \"outputPower\": \"med\", "
                  "\"dynamicTime\": \"2min\", \"riseTime\": \"1.5s\", \"fallTime\": \"45s\", \"commandType\": "
                  "\"L1\", \"levelOnPlus\": 80, \"levelDynPlus\": 60, \"levelDynMinus\": 25, \"unused\": []}\n");

    // A hand-made file: an address that needs escaping (Windows-1252 81: U+0081), line 11 holding 5.
    std::ofstream(file, std::ios::binary) << "a\"b\x81\r\n2\r\n3\r\n4\r\n5\r\n6\r\n7\r\n8\r\n9\r\n10\r\n"
                                             "5\r\n13\r\n5\r\n14\r\n21\r\n28\r\n 150 \r\n 100 \r\n 10 \r\n";
    const CliRun odd = RunCli({"show-file", "--json", file});
    ASSERT_EQ(odd.code, cli::kSuccess);
    EXPECT_NE(odd.out.find("\"addresses\": [\"a\\\"b\\u0081\", \"2\""), std::string::npos) << odd.out;
    EXPECT_NE(odd.out.find("\"channel\": null"), std::string::npos);
    EXPECT_NE(odd.out.find("\"levelOnPlus\": 100"), std::string::npos); // as the level box takes it
    EXPECT_NE(odd.out.find("{\"line\": 11, \"value\": \"5\""), std::string::npos);
    const CliRun text = RunCli({"show-file", file});
    EXPECT_NE(text.out.find("detector channel   (unchanged)"), std::string::npos) << text.out;
    EXPECT_NE(text.out.find("line 11 \"5\": matches no option of the detector channel"), std::string::npos);
    // A file's control characters are printed escaped, in its text and in its name.
    EXPECT_NE(text.out.find("address 1          a\"b\\x81\n"), std::string::npos) << text.out;
    EXPECT_NE(RunCli({"show-file", "/nonexistent/\x1b[2J.bdp"}).err.find("open /nonexistent/\\x1b[2J.bdp: no such"),
              std::string::npos);

    // Eighteen values: the window would not open it.
    std::ofstream(file, std::ios::binary) << std::string(18, '\n');
    const CliRun shortFile = RunCli({"show-file", file});
    EXPECT_EQ(shortFile.code, cli::kOperationFailed);
    EXPECT_NE(shortFile.out.find("18 values (fewer than 19"), std::string::npos) << shortFile.out;
    EXPECT_NE(shortFile.out.find("values 19 to 19 missing"), std::string::npos);

    EXPECT_EQ(RunCli({"show-file", "/nonexistent.bdp"}).code, cli::kOperationFailed);
    EXPECT_EQ(RunCli({"show-file"}).code, cli::kUsage);
    EXPECT_EQ(RunCli({"channel", "A", "--save", file}).code, cli::kUsage);
    EXPECT_EQ(RunCli({"read-params", "300", "--save"}).code, cli::kUsage);
    // A file that cannot be written is refused before the detector is read.
    const CliRun unwritable =
        RunCli({"--simulate=" + BoxFile(kBox), "--trace", "read-params", "300", "--save", "/nonexistent/x.bdp"});
    EXPECT_EQ(unwritable.code, cli::kUsage);
    EXPECT_NE(unwritable.err.find("/nonexistent"), std::string::npos) << unwritable.err;
    EXPECT_EQ(unwritable.err.find(" TX "), std::string::npos) << unwritable.err;
}

TEST(Cli, ReadsAndSendsTheTenAddresses) {
    const std::string box = "--simulate=" + BoxFile(std::string(kBox) + "addresses 300 1 2 3 4 5 6 7 8 9 1048574\n");
    const CliRun text = RunCli({box, "read-addresses", "300"});
    ASSERT_EQ(text.code, cli::kSuccess) << text.err;
    EXPECT_NE(text.out.find("address 1   1\n"), std::string::npos) << text.out;
    EXPECT_NE(text.out.find("address 10  1048574\n"), std::string::npos) << text.out;
    const CliRun json = RunCli({"--json", box, "read-addresses", "300"});
    EXPECT_EQ(json.out, "[1, 2, 3, 4, 5, 6, 7, 8, 9, 1048574]\n");

    const CliRun sent =
        RunCli({"--json", "--trace", box, "send-addresses", "300", "1", "2", "3", "40", "5", "6", "7", "8", "9", "0"});
    ASSERT_EQ(sent.code, cli::kSuccess) << sent.err;
    EXPECT_EQ(sent.out, "[1, 2, 3, 40, 5, 6, 7, 8, 9, 0]\n");
    for (const char* frame : {"TX   16   0   1  44  61", "TX   51   0   0  40  27", "RX   35   0   0  40  11",
                              "TX   57   0   0   0  57", "RX   41   0   0   0  41"})
        EXPECT_NE(sent.err.find(frame), std::string::npos) << frame << "\n" << sent.err;
    // The box's report of its channel sends nothing in the middle of the send.
    EXPECT_EQ(sent.err.find("TX    0"), std::string::npos) << sent.err;

    EXPECT_EQ(
        RunCli({"--timeout", "0.3", box, "send-addresses", "299", "1", "2", "3", "4", "5", "6", "7", "8", "9", "10"})
            .code,
        cli::kStopped);
    EXPECT_EQ(RunCli({"--simulate=" + BoxFile("boxes 0\n"), "read-addresses", "300"}).code, cli::kNoBox);
    EXPECT_EQ(RunCli({"--simulate=" + BoxFile("boxes 2\n"), "send-addresses", "300", "1", "2", "3", "4", "5", "6", "7",
                      "8", "9", "10"})
                  .code,
              cli::kNoBox);
    const std::vector<std::string> nine{"send-addresses", "300", "1", "2", "3", "4", "5", "6", "7", "8", "9"};
    std::vector<std::vector<std::string>> bad{nine, {"read-addresses"}, {"read-addresses", "3", "4"}};
    bad.push_back(nine);
    bad.back().insert(bad.back().end(), {"10", "11"});
    for (const char* value : {"12.5", "-3", "1048575", "1e3", ""}) {
        bad.push_back(nine);
        bad.back().push_back(value);
    }
    for (auto& args : bad) {
        args.insert(args.begin(), {"--trace", box});
        const CliRun run = RunCli(args);
        EXPECT_EQ(run.code, cli::kUsage) << args.back();
        EXPECT_EQ(run.err.find(" TX "), std::string::npos) << run.err;
    }
}

TEST(SerialRead, AWholeReadThroughTheSerialDriverAndAPseudoTerminal) {
    PtyBridge bridge{sim::SimBox(test::SampleBox())};
    bridge.start();
    SerialDriver driver(bridge.slavePath());
    SteadyScheduler scheduler;
    Form form(scheduler, driver);
    bindHandlers(form);
    test::NumberMessageTable(form.tables);
    form.ui.Text3->setText("300");
    EXPECT_FALSE(cli::ReadUntilOver(form, 20));
    EXPECT_EQ(form.ui.Text5->text(), "<17>");
    const DetectorParameters p = ParametersShown(form);
    EXPECT_EQ(p.riseTime, 3);
    EXPECT_EQ(p.dynamicTime, 3);
    EXPECT_EQ(p.levelDynMinus, "25");
    const auto frames = bridge.withBox([](sim::SimBox& b) { return b.framesReceived(); });
    ASSERT_EQ(frames.size(), 3u);
    EXPECT_EQ(frames[2].bytes, (std::array<std::uint8_t, 5>{66, 0, 1, 44, 111}));
    EXPECT_FALSE(driver.isOpen());
}
