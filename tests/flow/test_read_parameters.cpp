// "Lire les paramètres" from the button to the box and back, on the virtual
// clock with the simulated box.
#include "box/connection_test.h"
#include "decoder/decoder.h"
#include "form/form_ops.h"
#include "form/parameters.h"
#include "link/exchange_end.h"
#include "link/session.h"
#include "read_params/read_parameters.h"
#include "shell/keyboard.h"
#include "support/test_rig.h"

#include <gtest/gtest.h>

using namespace quelm;
using namespace quelm::test;

namespace {

struct ReadTest : ::testing::Test {
    Rig rig;
    Form& f = rig.form;
    void SetUp() override {
        rig.numberMessageTable();
        rig.selectDefaults();
    }
    void read(const char* number) {
        f.ui.Text3->setText(number);
        f.ui.Command[7]->userClick();
    }
    // Queues bytes from the box as soon as the box has taken `frames` frames.
    void injectAfterFrame(std::size_t frames, std::vector<std::uint8_t> bytes) {
        ASSERT_TRUE(rig.clock.runUntil([&] { return rig.box.framesReceived().size() >= frames; }, 10'000));
        rig.box.inject(rig.clock.nowUs(), bytes);
    }
};

const std::vector<std::uint8_t> kWrongFrame{1, 2, 3, 4, 5};

} // namespace

TEST_F(ReadTest, ReadsTheNineParametersOfADetector) {
    read("300");
    EXPECT_FALSE(f.ui.Command[7]->enabled());
    EXPECT_FALSE(f.ui.Option[3]->enabled());
    ASSERT_TRUE(rig.runUntilOperationEnds(1000));
    EXPECT_EQ(ParametersShown(f), Detector300Shown());
    EXPECT_EQ(rig.message(), rig.line(17));
    EXPECT_TRUE(rig.buttonsEnabled());
    for (int n = 3; n <= 29; ++n) EXPECT_TRUE(f.ui.Option[static_cast<std::size_t>(n)]->enabled()) << n;
    EXPECT_FALSE(f.ui.Timer[3]->enabled());
    EXPECT_FALSE(rig.driver.isOpen());
    const std::vector<Frame5> frames{{64, 0, 1, 44, 109}, {65, 0, 1, 44, 108}, {66, 0, 1, 44, 111}};
    EXPECT_EQ(rig.framesToBox(), frames);
    EXPECT_LT(rig.clock.nowUs(), 200'000);
}

TEST_F(ReadTest, CodeTablesOfReplies64And65) {
    ClassicOpen_Click(f);
    // One reply while the read of its group waits; returns whether it was taken.
    auto reply = [&](int code, int b2, int b3, int b4) {
        f.x.operation = code == 64 ? kReadGroup1 : code == 65 ? kReadGroup2 : kReadGroup3;
        f.x.tryCount = 0;
        rig.box.inject(rig.clock.nowUs(), {std::uint8_t(code), std::uint8_t(b2), std::uint8_t(b3), std::uint8_t(b4),
                                           std::uint8_t(code ^ b2 ^ b3 ^ b4)});
        rig.clock.advanceMs(10);
        const FrameUse use = DecodeReply(f);
        for (int n : {23, 24, 28}) f.ui.Timer[static_cast<std::size_t>(n)]->disable();
        return use == FrameUse::taken;
    };
    const int dynamicCodes[] = {0, 1, 2, 4, 6, 7};
    for (int i = 0; i < 6; ++i) {
        EXPECT_TRUE(reply(64, i % 3, i % 2, dynamicCodes[i]));
        EXPECT_EQ(ParametersShown(f).dynamicTime, i);
        EXPECT_EQ(ParametersShown(f).outputPower, 2 - i % 3); // codes max, med, min; options min, med, max
        EXPECT_EQ(ParametersShown(f).channel, i % 2);
    }
    // A code no option stands for (the dynamic times 3 and 5 are not used)
    // still answers the read, and its group then shows no option at all
    // rather than the previous detector's choice.
    for (int unknown : {3, 5, 8, 255}) {
        reply(64, 1, 1, 7);
        EXPECT_TRUE(reply(64, 1, 0, unknown));
        EXPECT_EQ(ParametersShown(f).dynamicTime, std::nullopt);
        EXPECT_EQ(ParametersShown(f).outputPower, 1);
        EXPECT_EQ(ParametersShown(f).channel, 0);
    }
    EXPECT_TRUE(reply(64, 3, 2, 0));
    EXPECT_EQ(ParametersShown(f).outputPower, std::nullopt);
    EXPECT_EQ(ParametersShown(f).channel, std::nullopt);
    EXPECT_EQ(ParametersShown(f).dynamicTime, 0);
    for (int code = 0; code <= 6; ++code) {
        EXPECT_TRUE(reply(65, code, 6 - code, 40 + code));
        EXPECT_EQ(ParametersShown(f).riseTime, code);
        EXPECT_EQ(ParametersShown(f).fallTime, 6 - code);
        EXPECT_EQ(f.ui.Text8->text(), std::to_string(40 + code));
    }
    reply(65, 2, 5, 120); // a level of 120 is capped by the box's validator
    EXPECT_EQ(f.ui.Text8->text(), "100");
    EXPECT_TRUE(reply(65, 7, 200, 55)); // out of the tables: both groups show nothing
    EXPECT_EQ(ParametersShown(f).riseTime, std::nullopt);
    EXPECT_EQ(ParametersShown(f).fallTime, std::nullopt);
    EXPECT_EQ(f.ui.Text8->text(), "55");
    EXPECT_TRUE(reply(66, 7, 0, 2));
    EXPECT_EQ(ParametersShown(f).commandType, std::nullopt);
    ClassicOpen_Click(f); // the reply 66 ended the read and closed the box
    EXPECT_TRUE(reply(66, 7, 0, 0));
    EXPECT_EQ(f.ui.Text9->text(), "7");
    EXPECT_EQ(f.ui.Text10->text(), "0");
    EXPECT_EQ(ParametersShown(f).commandType, 0);
    // A reply to another group is no answer to the group being read.
    ClassicOpen_Click(f); // the reply 66 ended the read and closed the box
    f.x.operation = kReadGroup2;
    f.x.tryCount = 0;
    rig.box.inject(rig.clock.nowUs(), {66, 9, 9, 1, 66 ^ 1});
    rig.clock.advanceMs(10);
    DecodeReply(f);
    EXPECT_EQ(f.x.tryCount, 1);
    EXPECT_EQ(f.ui.Text9->text(), "7");
}

TEST_F(ReadTest, AMissingReplyIsSentAgainEveryFourSeconds) {
    read("999");
    rig.clock.advanceMs(12'100);
    const auto& frames = rig.box.framesReceived();
    ASSERT_EQ(frames.size(), 4u);
    for (std::size_t i = 1; i < frames.size(); ++i) {
        EXPECT_EQ(frames[i].bytes, frames[0].bytes);
        const std::int64_t gap = frames[i].tUs - frames[i - 1].tUs;
        EXPECT_GE(gap, 4'000'000);
        EXPECT_LE(gap, 4'020'000); // the watchdog is armed by the first polling tick
    }
    EXPECT_EQ(f.x.attemptCount, 3);
    EXPECT_EQ(f.x.operation, kReadGroup1);
    EXPECT_FALSE(rig.buttonsEnabled());
}

TEST_F(ReadTest, AWrongFrameCostsATryAndTheRequestGoesAgainAfterTenTimesTheTries) {
    read("999");
    injectAfterFrame(1, kWrongFrame);
    ASSERT_TRUE(rig.clock.runUntil([&] { return f.x.tryCount == 1; }, 100));
    const std::int64_t taken = rig.clock.nowUs();
    EXPECT_EQ(rig.message(), " 1" + rig.line(24));
    EXPECT_FALSE(f.ui.Timer[17]->enabled());
    EXPECT_FALSE(f.ui.Timer[6]->enabled());
    injectAfterFrame(2, kWrongFrame);
    EXPECT_EQ(rig.box.framesReceived()[1].tUs - taken, 10'000 + 4000 + sim::kByteWireUs);
    ASSERT_TRUE(rig.clock.runUntil([&] { return f.x.tryCount == 2; }, 100));
    EXPECT_EQ(rig.message(), " 2" + rig.line(24));
    EXPECT_EQ(f.ui.Timer[28]->interval(), 20);
}

TEST_F(ReadTest, TenWrongFramesEndEachGroupWithItsLine) {
    read("999");
    for (std::size_t i = 1; i <= 10; ++i) injectAfterFrame(i, kWrongFrame);
    rig.clock.advanceMs(50);
    EXPECT_EQ(rig.message(), rig.line(23));
    EXPECT_TRUE(rig.buttonsEnabled());
    EXPECT_EQ(f.x.operation, kReadGroup1); // group 1 leaves the operation as it was
    EXPECT_TRUE(f.ui.Timer[3]->enabled());
    EXPECT_FALSE(f.ui.Option[3]->enabled()); // not read: an earlier detector's choice stays shown as such
    EXPECT_EQ(rig.box.framesReceived().size(), 10u);

    // Detector 300 answers group 1 (and 2), then goes silent: the later
    // group runs out of tries.
    for (int group : {2, 3}) {
        Rig r;
        r.numberMessageTable();
        r.form.ui.Text3->setText("300");
        r.form.ui.Command[7]->userClick();
        ModelTimer* next = r.form.ui.Timer[group == 2 ? 23 : 24];
        ASSERT_TRUE(r.clock.runUntil([&] { return next->enabled(); }, 100));
        r.box.detector(300)->number = 301;
        const std::size_t first = r.box.framesReceived().size() + 1;
        for (std::size_t i = 0; i < 10; ++i) {
            ASSERT_TRUE(r.clock.runUntil([&] { return r.box.framesReceived().size() >= first + i; }, 1000));
            r.box.inject(r.clock.nowUs(), kWrongFrame);
        }
        ASSERT_TRUE(r.runUntilOperationEnds(500));
        EXPECT_EQ(r.message(), r.line(group == 2 ? 22 : 21));
        EXPECT_TRUE(r.buttonsEnabled());
        EXPECT_FALSE(r.driver.isOpen());
        // The groups read are back; the one that failed stays visibly not read.
        EXPECT_TRUE(r.form.ui.Option[3]->enabled());
        EXPECT_FALSE(r.form.ui.Option[group == 2 ? 14 : 28]->enabled());
        EXPECT_FALSE((group == 2 ? r.form.ui.Text8 : r.form.ui.Text10)->enabled());
    }
}

TEST_F(ReadTest, AStrayByteLeftBetweenGroupsIsDiscardedBeforeTheNextRequest) {
    read("999");
    // A whole reply 64 and one byte more, queued together.
    injectAfterFrame(1, {64, 0, 1, 4, 69, 65});
    ASSERT_TRUE(rig.clock.runUntil([&] { return f.x.operation == kReadGroup2; }, 100));
    EXPECT_EQ(ParametersShown(f).channel, 1);
    // The box check before group 2 took the stray byte out of the queue:
    // the reply to group 2 is read whole, not one byte behind.
    EXPECT_EQ(rig.box.pending(rig.clock.nowUs()), 0u);
    injectAfterFrame(2, {65, 2, 6, 42, 65 ^ 2 ^ 6 ^ 42});
    ASSERT_TRUE(rig.clock.runUntil([&] { return f.ui.Timer[24]->enabled(); }, 100)); // group 2 taken
    EXPECT_EQ(ParametersShown(f).riseTime, 2);
    EXPECT_EQ(ParametersShown(f).fallTime, 6);
    EXPECT_EQ(f.ui.Text8->text(), "42");
    EXPECT_EQ(rig.message(), rig.line(16));
}

TEST_F(ReadTest, TheBoxsAcknowledgementSelectsItsChannelAndCostsATry) {
    read("999");
    injectAfterFrame(1, {0, 1, 2, 3, 4});
    ASSERT_TRUE(rig.clock.runUntil([&] { return f.x.tryCount == 1; }, 100));
    EXPECT_TRUE(f.ui.Option[2]->value());
    EXPECT_FALSE(f.ui.Option[1]->value());
    // The window follows the box without sending the channel back; the
    // retry goes on.
    injectAfterFrame(2, {0, 1, 2, 3, 3});
    ASSERT_TRUE(rig.clock.runUntil([&] { return f.x.tryCount == 2; }, 100));
    EXPECT_TRUE(f.ui.Option[1]->value());
    rig.clock.advanceMs(30);
    const auto frames = rig.framesToBox();
    ASSERT_EQ(frames.size(), 3u);
    for (const auto& frame : frames) EXPECT_EQ(frame[0], 64);
}

TEST_F(ReadTest, AKeyStopsTheReadWithin100Milliseconds) {
    read("999");
    rig.clock.advanceMs(57);
    Form_KeyDown(f, 27);
    rig.clock.advanceMs(100);
    EXPECT_EQ(rig.message(), " STOP");
    EXPECT_TRUE(rig.buttonsEnabled());
    EXPECT_EQ(f.x.operation, kIdle);
    for (ModelTimer* t : f.ui.timers()) EXPECT_FALSE(t->enabled()) << t->name();
    EXPECT_FALSE(rig.driver.isOpen());
    // Group 1 was never read: its options stay disabled, visibly not read.
    EXPECT_FALSE(f.ui.Option[3]->enabled());
}

// A second box plugged in between two groups ends the read on the line of
// several boxes.
TEST_F(ReadTest, ASecondBoxPluggedInBetweenGroupsEndsTheRead) {
    read("300");
    ASSERT_TRUE(rig.clock.runUntil([&] { return f.ui.Timer[23]->enabled(); }, 100));
    rig.box.setBoxesAttached(2);
    rig.clock.advanceMs(50);
    EXPECT_EQ(rig.message(), rig.line(50));
    EXPECT_EQ(f.x.operation, kIdle);
    EXPECT_TRUE(rig.buttonsEnabled());
    EXPECT_EQ(rig.framesToBox().size(), 1u);
}

TEST_F(ReadTest, ABoxUnpluggedBetweenGroupsGivesTheWindowBack) {
    read("300");
    ASSERT_TRUE(rig.clock.runUntil([&] { return f.ui.Timer[23]->enabled(); }, 100));
    rig.box.unplug();
    rig.clock.advanceMs(50);
    EXPECT_EQ(rig.message(), rig.line(1));
    EXPECT_EQ(f.x.operation, kIdle);
    EXPECT_TRUE(rig.buttonsEnabled());
    EXPECT_TRUE(rig.exchangeTimersOff());
    EXPECT_FALSE(f.ui.Timer[3]->enabled());
}

// A number made negative between two groups ends the read with the refusal.
TEST_F(ReadTest, ANumberMadeNegativeBetweenGroupsEndsTheRead) {
    read("300");
    ASSERT_TRUE(rig.clock.runUntil([&] { return f.ui.Timer[23]->enabled(); }, 100));
    f.ui.Text3->setText("-1");
    f.x.keyPressed.reset(); // set by code, not by a key
    ASSERT_TRUE(rig.runUntilOperationEnds(100));
    EXPECT_EQ(rig.framesToBox().size(), 1u);
    EXPECT_TRUE(rig.buttonsEnabled());
}

TEST_F(ReadTest, TheWatchdogCountsAStopRequestOnTopOfTheAbortMarker) {
    f.x.outFrame = {0, 64, 0, 1, 44, 109};
    f.x.keyPressed = 65;
    Timer6_Timer(f);
    EXPECT_EQ(f.x.attemptCount, 1001);
    EXPECT_TRUE(f.ui.Timer[17]->enabled());
}

// A key pressed at any moment of a read stops it within 100 ms, and nothing
// goes out or replaces " STOP" afterwards: in the retry wait after a wrong
// frame (Timer28), just before a later group's request, and when the box's
// acknowledgement makes the window send the channel frame.
TEST_F(ReadTest, AKeyAtAnyMomentStopsTheReadForGood) {
    struct Case {
        const char* what;
        std::vector<std::uint8_t> reply; // injected after each of the first `times` requests
        std::size_t times;
        int keyToMs; // the key comes 0 .. keyToMs after the last reply is taken
    };
    const Case cases[] = {
        {"retry wait", kWrongFrame, 5, 50},
        {"before group 2", {64, 1, 1, 4, 68}, 1, 10},
        {"channel frame", {0, 1, 2, 3, 4}, 1, 10},
    };
    for (const Case& c : cases) {
        for (int keyMs = 0; keyMs <= c.keyToMs; ++keyMs) {
            Rig r;
            r.ready("999"); // only the injected replies come back
            r.form.ui.Command[7]->userClick();
            for (std::size_t i = 1; i <= c.times; ++i) {
                ASSERT_TRUE(r.clock.runUntil([&] { return r.box.framesReceived().size() >= i; }, 1000));
                r.box.inject(r.clock.nowUs(), c.reply);
                ASSERT_TRUE(r.clock.runUntil([&] { return !r.form.ui.Timer[17]->enabled(); }, 1000));
            }
            r.clock.advanceMs(keyMs);
            Form_KeyDown(r.form, 27);
            r.clock.advanceMs(100);
            const std::size_t sent = r.box.framesReceived().size();
            EXPECT_EQ(r.message(), " STOP") << c.what << ", key at " << keyMs << " ms";
            r.clock.advanceMs(5000);
            EXPECT_EQ(r.message(), " STOP") << c.what << ", key at " << keyMs << " ms";
            EXPECT_EQ(r.box.framesReceived().size(), sent) << c.what << ", key at " << keyMs << " ms";
            for (ModelTimer* t : r.form.ui.timers())
                EXPECT_FALSE(t->enabled()) << c.what << ", key at " << keyMs << " ms: " << t->name();
        }
    }
}
