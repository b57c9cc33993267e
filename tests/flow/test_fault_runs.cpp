// The whole read against a box whose line drops, corrupts, delays,
// duplicates, cuts and adds bytes, for many seeds. Every run is
// deterministic: a failing seed printed here replays the same way.
#include "decoder/decoder.h"
#include "form/parameters.h"
#include "shell/keyboard.h"
#include "shell/language_files.h"
#include "shell/startup.h"
#include "support/test_rig.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

using namespace quelm;
using namespace quelm::test;

namespace {

sim::Faults LineFaults() {
    sim::Faults faults;
    faults.drop = 0.03;
    faults.corrupt = 0.03;
    faults.delay = 0.03;
    faults.duplicate = 0.03;
    faults.cut = 0.03;
    faults.junk = 0.03;
    faults.maxDelayMs = 40;
    return faults;
}

int SeedCount() {
    const char* env = std::getenv("QUELM_FAULT_SEEDS");
    return env ? std::atoi(env) : 1000;
}

struct Outcome {
    bool succeeded = false;
    bool forgedFrameTaken = false;
    std::string problem;
};

// The replies detector 300 sends.
bool Genuine(const Frame& r) {
    const std::array<Frame, 3> sent{{{0, 64, 1, 1, 4, 68}, {0, 65, 3, 3, 80, 17}, {0, 66, 60, 25, 1, 102}}};
    for (const auto& g : sent)
        if (g == r) return true;
    return false;
}

// Notes whether the decoder took, as a parameter reply, a frame the detector
// never sent: the line made it (two flips of one bit, a level swapped with
// the check byte) and it passes the one-byte check, which nothing can tell
// from a real reply.
void WatchTakenFrames(Form& f, bool& forged) {
    f.ui.Timer[17]->onTick = [&f, &forged] {
        const bool taken = DecodeReply(f) == FrameUse::taken;
        const auto& r = f.link.rxFrame;
        if (taken && r[1] >= 64 && r[1] <= 66 && !Genuine(r)) forged = true;
    };
}

// One read of detector 300 with faults drawn from `seed`.
Outcome RunSeed(std::uint64_t seed) {
    Rig rig(SampleBox(), seed);
    rig.box.setFaults(LineFaults());
    rig.numberMessageTable();
    rig.selectDefaults();
    Form& f = rig.form;
    Outcome out;
    WatchTakenFrames(f, out.forgedFrameTaken);
    f.ui.Text3->setText("300");
    f.x.keyPressed.reset();
    f.ui.Command[7]->userClick();
    const bool ended = rig.runUntilOperationEnds(30'000);
    out.succeeded = ended && rig.message() == rig.line(17);
    if (out.succeeded && ParametersShown(f) != Detector300Shown() && !out.forgedFrameTaken)
        out.problem = "a successful read shows a value the detector does not hold";
    if (ended && !rig.buttonsEnabled()) out.problem = "the read ended with the buttons disabled";
    if (ended) return out;
    // Still waiting: a key must give the window back within 100 ms.
    if (!f.ui.Timer[3]->enabled()) {
        out.problem = "waiting without the stop watch";
        return out;
    }
    Form_KeyDown(f, 27);
    rig.clock.advanceMs(100);
    if (rig.message() != " STOP" || !rig.buttonsEnabled() || !rig.exchangeTimersOff())
        out.problem = "a key did not stop the read within 100 ms";
    return out;
}

} // namespace

TEST(FaultRuns, EveryReadEndsSoundlyWhateverTheLineDoes) {
    const int seeds = SeedCount();
    int succeeded = 0, forged = 0;
    for (int seed = 1; seed <= seeds; ++seed) {
        const Outcome out = RunSeed(static_cast<std::uint64_t>(seed));
        EXPECT_TRUE(out.problem.empty()) << "seed " << seed << ": " << out.problem;
        succeeded += out.succeeded ? 1 : 0;
        if (out.forgedFrameTaken) {
            ++forged;
            std::printf("seed %d: the line forged a frame that passes the check byte\n", seed);
        }
    }
    std::printf("fault runs: %d seeds, %d reads succeeded, %d took a forged frame\n", seeds, succeeded, forged);
    // Forged frames need several faults in one frame; they must stay rare.
    EXPECT_LT(forged, seeds / 100 + 1);
    // The faults are frequent enough that some reads fail and mild enough
    // that most succeed; either extreme would make this run test little.
    EXPECT_GT(succeeded, seeds / 4);
    EXPECT_LT(succeeded, seeds);
}

// The start-up and its connection test on the same faulty line, the box
// pulled out at a moment drawn from the seed in one run of five: the test
// must always end and give the window back.
TEST(FaultRuns, EveryStartUpGivesTheWindowBack) {
    const std::filesystem::path dir = std::filesystem::path(::testing::TempDir()) / "fault_startup";
    std::filesystem::create_directories(dir);
    std::ofstream(dir / kSettingsFile, std::ios::binary) << " 1 \r\n";
    const int seeds = SeedCount() / 4;
    int unplugged = 0;
    for (int seed = 1; seed <= seeds; ++seed) {
        Rig rig(SampleBox(), static_cast<std::uint64_t>(seed));
        rig.box.setFaults(LineFaults());
        Form& f = rig.form;
        f.workDir = dir;
        std::string error;
        ASSERT_TRUE(StartUp(f, error)) << error;
        if (seed % 5 == 0) {
            ++unplugged;
            rig.clock.advanceMs((seed * 37) % 2000);
            rig.box.unplug();
        }
        // 51 attempts, each ended by an answer or by 4 s of silence.
        const bool over =
            rig.clock.runUntil([&] { return !f.ui.Timer[1]->enabled() && !f.ui.Timer[4]->enabled(); }, 300'000);
        EXPECT_TRUE(over) << "seed " << seed << ": the connection test never ended";
        if (rig.buttonsEnabled()) continue;
        // Ended by the last silence: the buttons wait for a key.
        EXPECT_TRUE(f.ui.Timer[3]->enabled()) << "seed " << seed;
        Form_KeyDown(f, 27);
        rig.clock.advanceMs(100);
        EXPECT_TRUE(rig.buttonsEnabled() && rig.exchangeTimersOff())
            << "seed " << seed << ": a key did not give the window back";
    }
    std::printf("start-up fault runs: %d seeds, %d with the box pulled out\n", seeds, unplugged);
}

// A read of a detector that never answers: the request goes again every 4 s
// and the reply is polled every 10 ms, each empty poll logging a line. Hours
// of it must leave the hidden log, and so the memory it takes, bounded.
TEST(FaultRuns, TheLogStaysBoundedWhileAReplyIsAwaitedForHours) {
    Rig rig;
    rig.numberMessageTable();
    rig.selectDefaults();
    Form& f = rig.form;
    std::uint64_t logged = 0;
    f.ui.LoggerList->onAdded = [&](const std::string&) { ++logged; };
    f.ui.Text3->setText("999"); // no such detector on the box
    f.ui.Command[7]->userClick();
    constexpr int kHours = 3;
    std::size_t mostLines = 0, mostBytes = 0;
    for (int minute = 1; minute <= kHours * 60; ++minute) {
        rig.clock.advanceMs(60'000);
        const auto& items = f.ui.LoggerList->items();
        std::size_t bytes = 0; // the strings and their text, an upper bound for short ones
        for (const std::string& line : items) bytes += sizeof(std::string) + line.capacity();
        mostLines = std::max(mostLines, items.size());
        mostBytes = std::max(mostBytes, bytes);
    }
    ASSERT_TRUE(f.ui.Timer[17]->enabled()) << "the read is still waiting for its reply";
    const std::size_t requests = rig.framesToBox().size();
    std::printf(
        "log over %d h of waiting: %llu lines logged, %zu requests sent, at most %zu lines and %zu bytes kept\n",
        kHours, static_cast<unsigned long long>(logged), requests, mostLines, mostBytes);
    EXPECT_GT(logged, 100u * 3600u * kHours * 9 / 10); // about one line per 10 ms poll
    EXPECT_GT(requests, 3600u * kHours / 4 * 9 / 10);  // one request every 4 s
    EXPECT_LE(mostLines, WindowModel::kLogLines);
    EXPECT_LT(mostBytes, 200'000u);
}
