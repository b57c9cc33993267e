// The simulated box file: every statement it takes, the file shipped with the
// tool, and the line named for each bad one; then hostile input: a pipe, a
// folder, a huge file, a bad line with a huge word or control bytes. Each is
// refused at once, and the message names the file and the reason in a few
// words.
#include "drivers/sim/sim_box.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <future>
#include <optional>
#include <string>
#include <sys/stat.h>
#include <tuple>
#include <unistd.h>
#include <utility>
#include <vector>

namespace quelm::sim {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

using Bytes = std::vector<std::uint8_t>;

Bytes parametersOf(const Detector& d) {
    return {d.outputPower, d.channel,      d.dynamicTime,   d.riseTime,   d.fallTime,
            d.levelOnPlus, d.levelDynPlus, d.levelDynMinus, d.commandType};
}
const Bytes kParameters300{1, 1, 4, 3, 3, 80, 60, 25, 1}; // med, B, 2 min, 1.5 s, 45 s, 80, 60, 25, L1

TEST(BoxFile, ParsesEveryStatementAndTheShippedFile) {
    const std::string text =
        "# a box\r\n\r\nBox-Channel b\r\nturnaround-ms 7\njitter-ms 35\nboxes 2   # two boxes\n"
        "detector 300 power=MED channel=B dyn=2min rise=1.5s fall=45s on=80 dyn+=60 dyn-=25 type=L1\n"
        "\tdetector 5\naddresses 300 7 8 1048574\nreport 300 after=3\n";
    std::string error;
    const auto c = parseBoxText(text, error);
    ASSERT_TRUE(c) << error;
    EXPECT_EQ(std::make_tuple(c->channel, c->turnaroundUs, c->jitterUs, c->boxesAttached, c->reportNumber,
                              c->reportAfterTests),
              std::make_tuple(std::uint8_t{4}, std::int64_t{7000}, std::int64_t{35000}, 2u,
                              std::optional<std::uint32_t>(300), 3));
    ASSERT_EQ(c->detectors.size(), 2u);
    EXPECT_EQ(parametersOf(c->detectors[0]), kParameters300);
    EXPECT_EQ(c->detectors[0].addresses[2], 1048574u);
    EXPECT_EQ(c->detectors[0].addresses[3], 0u);
    EXPECT_EQ(parametersOf(c->detectors[1]), (Bytes{0, 0, 0, 0, 0, 100, 100, 10, 0}));

    const auto path = std::filesystem::path(QUELM_SOURCE_DIR) / "data" / "simbox.txt";
    auto shipped = loadBoxFile(path.string(), error);
    ASSERT_TRUE(shipped) << error;
    SimBox box(*shipped);
    ASSERT_NE(box.detector(300), nullptr);
    EXPECT_EQ(parametersOf(*box.detector(300)), kParameters300);
    EXPECT_NE(box.detector(300)->addresses[0], 0u);
}

TEST(BoxFile, BadInputNamesTheLine) {
    const std::pair<const char*, const char*> cases[] = {
        {"detector 1\nfrobnicate 3\n", "line 2:"},
        {"detector 1 power=huge", "line 1:"},
        {"\n# x\ndetector 1048575", "line 3:"},
        {"detector 99999999999999999999999999", "line 1:"},
        {"detector -5", "line 1:"},
        {"detector 1\ndetector 1", "line 2:"},
        {"addresses 7 1 2", "line 1:"},
        {"detector 1\naddresses 1 1 2 3 4 5 6 7 8 9 10 11", "line 2:"},
        {"detector 1\naddresses 1 -1", "line 2:"},
        {"detector 1 on=256", "line 1:"},
        {"detector 1 rise=0.2s", "line 1:"},
        {"detector 1 power", "line 1:"},
        {"detector 1 power=max power=min", "line 1:"},
        {"detector 1 colour=red", "line 1:"},
        {"box-channel C", "line 1:"},
        {"turnaround-ms", "line 1:"},
        {"turnaround-ms 1e3", "line 1:"},
        {"jitter-ms 1001", "line 1:"},
        {"report 300 after=0", "line 1:"},
        {"report 300 before=2", "line 1:"},
    };
    std::string error;
    for (const auto& [text, line] : cases) {
        EXPECT_FALSE(parseBoxText(text, error)) << text;
        EXPECT_EQ(error.rfind(line, 0), 0u) << text << " -> " << error;
    }
    EXPECT_FALSE(loadBoxFile("/nonexistent/simbox.txt", error));
    EXPECT_NE(error.find("/nonexistent/simbox.txt"), std::string::npos);
    EXPECT_FALSE(loadBoxFile("/tmp", error));
}

bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

fs::path Dir() {
    const fs::path dir = fs::path(::testing::TempDir()) / "box_file_faults";
    fs::create_directories(dir);
    return dir;
}

// No byte a terminal would act on, and no NUL to cut the message short.
bool Printable(const std::string& text) {
    for (char c : text)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) return false;
    return true;
}

#ifndef _WIN32 // pipes and file modes of POSIX
TEST(BoxFileFaults, APipeIsRefusedWithoutWaitingForAWriter) {
    const fs::path pipe = Dir() / "pipe.txt";
    fs::remove(pipe);
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    auto load = std::async(std::launch::async, [&] {
        std::string error;
        const bool loaded = loadBoxFile(pipe.string(), error).has_value();
        return std::make_pair(loaded, error);
    });
    if (load.wait_for(10s) != std::future_status::ready) {
        // Hung in the open: a writer lets it go, so that the test ends.
        const int fd = ::open(pipe.c_str(), O_WRONLY | O_NONBLOCK);
        if (fd >= 0) ::close(fd);
        load.wait();
        FAIL() << "the load waited on the pipe";
    }
    const auto [loaded, error] = load.get();
    EXPECT_FALSE(loaded);
    EXPECT_EQ(error, pipe.string() + ": cannot open the file: not a regular file (a pipe or a device is never read)");
}

TEST(BoxFileFaults, CannotOpenGivesTheSystemsReason) {
    std::string error;
    EXPECT_FALSE(loadBoxFile((Dir() / "none.txt").string(), error));
    EXPECT_EQ(error, (Dir() / "none.txt").string() + ": cannot open the file: no such file");
    EXPECT_FALSE(loadBoxFile(Dir().string(), error));
    EXPECT_EQ(error, Dir().string() + ": cannot open the file: is a folder");
    EXPECT_FALSE(loadBoxFile("/dev/null", error));
    EXPECT_TRUE(Contains(error, "not a regular file")) << error;
    if (::geteuid() != 0) {
        const fs::path locked = Dir() / "locked.txt";
        std::ofstream(locked) << "boxes 1\n";
        fs::permissions(locked, fs::perms::none);
        EXPECT_FALSE(loadBoxFile(locked.string(), error));
        EXPECT_TRUE(Contains(error, "permission denied")) << error;
    }
}
#endif

TEST(BoxFileFaults, AFileOverTheCapIsRefusedUnread) {
    const fs::path big = Dir() / "big.txt";
    { std::ofstream(big) << ""; }
    fs::resize_file(big, std::uintmax_t{1} << 30); // 1 GiB of NULs, sparse: nothing is written
    std::string error;
    EXPECT_FALSE(loadBoxFile(big.string(), error));
    EXPECT_TRUE(Contains(error, "larger than 4 MiB")) << error;
    EXPECT_LT(error.size(), 200u);
    // Just under the cap is read: a long comment is no fault.
    const std::size_t cap = 4u << 20;
    std::string text = "detector 7\n#";
    text.resize(cap - 1, 'x');
    text += '\n';
    std::ofstream(big, std::ios::binary | std::ios::trunc) << text;
    const auto config = loadBoxFile(big.string(), error);
    ASSERT_TRUE(config) << error;
    EXPECT_EQ(config->detectors.size(), 1u);
    std::ofstream(big, std::ios::binary | std::ios::app) << "x";
    EXPECT_FALSE(loadBoxFile(big.string(), error));
    fs::remove(big);
}

TEST(BoxFileFaults, ABadLineIsQuotedShortWithItsControlBytesEscaped) {
    std::string error;
    const std::string huge(1'000'000, 'z');
    EXPECT_FALSE(parseBoxText("detector 1\n" + huge + " 3\n", error));
    EXPECT_TRUE(Contains(error, "line 2: unknown keyword 'zzzz")) << error.substr(0, 80);
    EXPECT_TRUE(Contains(error, "...'")) << error.substr(0, 80);
    EXPECT_LT(error.size(), 200u);

    const char raw[] = "detector 1 power=m\0x\x1b[2J\x7f";
    EXPECT_FALSE(parseBoxText(std::string(raw, sizeof raw - 1), error));
    EXPECT_EQ(error, "line 1: power='m\\x00x\\x1b[2J\\x7f': use max, med, min");
    EXPECT_TRUE(Printable(error)) << error;

    EXPECT_FALSE(parseBoxText("detector " + std::string(100, '9'), error));
    EXPECT_LT(error.size(), 160u);
    // A cut never splits a character of several bytes.
    EXPECT_FALSE(parseBoxText("box-channel " + std::string(39, 'a') + "\xC3\xA9" + "bbbb", error));
    EXPECT_TRUE(Contains(error, "'" + std::string(39, 'a') + "...'")) << error;
}

TEST(BoxFileFaults, DetectorsAreFoundByNumberFarApartAsNearby) {
    std::string text;
    for (int n = 0; n < 5000; ++n) text += "detector " + std::to_string(n * 7) + "\n";
    text += "addresses 0 11 12\naddresses 34993 5\n"; // the first and the last, after every reallocation
    std::string error;
    const auto config = parseBoxText(text, error);
    ASSERT_TRUE(config) << error;
    EXPECT_EQ(config->detectors.front().addresses[1], 12u);
    EXPECT_EQ(config->detectors.back().number, 34993u);
    EXPECT_EQ(config->detectors.back().addresses[0], 5u);
    EXPECT_FALSE(parseBoxText(text + "detector 21\n", error));
    EXPECT_EQ(error, "line 5003: detector 21 declared twice");
    EXPECT_FALSE(parseBoxText(text + "addresses 22 1\n", error));
    EXPECT_TRUE(Contains(error, "line 5003: addresses for detector 22")) << error;
}

} // namespace
} // namespace quelm::sim
