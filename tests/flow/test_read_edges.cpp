// Corners of the read chain: what a blank reply, an empty number box, a
// number changed between groups, an acknowledgement in the middle of a read,
// a repeated send and the restore of the user's choices do.
#include "decoder/decoder.h"
#include "form/form_ops.h"
#include "link/exchange_end.h"
#include "link/session.h"
#include "read_params/parameter_replies.h"
#include "shell/keyboard.h"
#include "support/test_rig.h"

#include <algorithm>
#include <functional>

#include <gtest/gtest.h>

using namespace quelm;
using namespace quelm::test;

namespace {

struct ReadEdges : ::testing::Test {
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
    void afterFrames(std::size_t frames) {
        ASSERT_TRUE(rig.clock.runUntil([&] { return rig.box.framesReceived().size() >= frames; }, 10'000));
    }
};

} // namespace

TEST_F(ReadEdges, ARealReplyOfFiveZerosIsABlankTickAndCostsNoTry) {
    read("999");
    afterFrames(1);
    const std::size_t logged = f.ui.LoggerList->items().size();
    rig.box.inject(rig.clock.nowUs(), {0, 0, 0, 0, 0});
    rig.clock.advanceMs(12);
    EXPECT_EQ(f.x.tryCount, 0);
    EXPECT_TRUE(f.ui.Timer[17]->enabled());
    EXPECT_EQ(f.ui.LoggerList->items().back(), "<12>");
    EXPECT_GT(f.ui.LoggerList->items().size(), logged);
}

TEST_F(ReadEdges, TheLaterGroupsGoToTheNumberTypedMeanwhile) {
    read("300");
    ASSERT_TRUE(rig.clock.runUntil([&] { return f.ui.Timer[23]->enabled(); }, 1000));
    f.ui.Text3->setText("12");
    ASSERT_TRUE(rig.runUntilOperationEnds(1000));
    const auto frames = rig.framesToBox();
    ASSERT_EQ(frames.size(), 3u);
    EXPECT_EQ(frames[1], (Frame5{65, 0, 0, 12, 65 ^ 12}));
    EXPECT_EQ(frames[2], (Frame5{66, 0, 0, 12, 66 ^ 12}));
    EXPECT_EQ(rig.message(), rig.line(17));
}

TEST_F(ReadEdges, TheBoxsAcknowledgementDuringGroupTwoCostsATryAndSetsTheChannel) {
    read("999");
    afterFrames(1);
    rig.box.inject(rig.clock.nowUs(), {64, 1, 1, 4, 68});
    ASSERT_TRUE(rig.clock.runUntil([&] { return f.x.operation == kReadGroup2; }, 1000));
    rig.box.inject(rig.clock.nowUs(), {0, 1, 2, 3, 4});
    ASSERT_TRUE(rig.clock.runUntil([&] { return f.x.tryCount == 1; }, 100));
    EXPECT_EQ(rig.message(), " 1<25>");
    EXPECT_TRUE(f.ui.Option[2]->value());
    EXPECT_EQ(f.x.operation, kReadGroup2);
}

TEST_F(ReadEdges, AChannelCodeOfTwoLeavesTheChannelUnselected) {
    read("999");
    afterFrames(1);
    rig.box.inject(rig.clock.nowUs(), {64, 0, 2, 1, 64 ^ 2 ^ 1});
    ASSERT_TRUE(rig.clock.runUntil([&] { return f.x.operation == kReadGroup2; }, 1000));
    const DetectorParameters shown = ParametersShown(f);
    EXPECT_EQ(shown.channel, std::nullopt);
    EXPECT_EQ(shown.outputPower, 2);
    EXPECT_EQ(shown.dynamicTime, 1);
}

TEST_F(ReadEdges, ASendLeavesARunningPollRunning) {
    read("999");
    afterFrames(1);
    ASSERT_TRUE(f.ui.Timer[17]->enabled());
    EXPECT_TRUE(SendFrame(f));
    EXPECT_TRUE(f.ui.Timer[17]->enabled());
    afterFrames(2);
    EXPECT_EQ(rig.framesToBox()[1], rig.framesToBox()[0]);
}

TEST_F(ReadEdges, RestoreParameterControlsPutsBackTheSavedChoicesAndEnablesTheGroups) {
    for (int n = 3; n <= 29; ++n)
        f.x.savedOption[static_cast<std::size_t>(n)] = (n == 4 || n == 9 || n == 11 || n == 19 || n == 26 || n == 29);
    f.x.savedText[8] = 85;
    f.x.savedText[9] = 50.5;
    f.x.savedText[10] = 0;
    f.x.paramSendActive = 1;
    for (int n = 3; n <= 29; ++n) f.ui.Option[static_cast<std::size_t>(n)]->setEnabled(false);
    f.ui.Text9->setEnabled(false);
    RestoreParameterControls(f);
    DetectorParameters shown = ParametersShown(f);
    EXPECT_EQ(shown.channel, 1);
    EXPECT_EQ(shown.dynamicTime, 4);
    EXPECT_EQ(shown.outputPower, 0);
    EXPECT_EQ(shown.riseTime, 5);
    EXPECT_EQ(shown.fallTime, 5);
    EXPECT_EQ(shown.commandType, 1);
    EXPECT_EQ(shown.levelOnPlus, "85");
    EXPECT_EQ(shown.levelDynPlus, "50.5");
    EXPECT_EQ(shown.levelDynMinus, "0");
    EXPECT_EQ(f.x.paramSendActive, 0);
    for (int n = 3; n <= 29; ++n) EXPECT_TRUE(f.ui.Option[static_cast<std::size_t>(n)]->enabled()) << n;
    EXPECT_TRUE(f.ui.Text9->enabled());
}

// The start-up leaves the box's acknowledgements of its channel frame and of
// its last connection tests in the queue; a read of addresses right after it
// must still read all ten, not run one reply behind and miss the last two.
TEST_F(ReadEdges, BytesLeftByTheStartUpAreNotTakenAsTheNextOperationsReplies) {
    rig.box.inject(rig.clock.nowUs(), {0, 1, 2, 3, 3, 0, 1, 2, 3, 3});
    rig.clock.advanceMs(20);
    f.ui.Text3->setText("300");
    f.ui.Command[4]->userClick();
    ASSERT_TRUE(rig.runUntilOperationEnds(2000));
    for (std::size_t k = 0; k < 10; ++k) {
        EXPECT_TRUE(f.ui.Text1[k]->enabled()) << k;
        EXPECT_EQ(f.ui.Text1[k]->text(), std::to_string(rig.box.detector(300)->addresses[k])) << k;
    }
    EXPECT_EQ(rig.message(), rig.line(18));
}

// A stop or a failed ending gives the buttons back at once. A send gives
// back every control it held; a read leaves what it never read disabled,
// visibly not read, rather than show an earlier detector's values as this
// one's: a read stopped in group 2, a read of a silent detector, an address
// read stopped.
TEST_F(ReadEdges, AStopGivesTheButtonsBackAndLeavesWhatWasNotReadDisabled) {
    const auto enabled = [&](std::initializer_list<const Control*> controls) {
        return std::ranges::all_of(controls, [](const Control* c) { return c->enabled(); });
    };
    const auto group = [&](int g) -> std::vector<const Control*> {
        if (g == 1) return {f.ui.Option[3], f.ui.Option[5], f.ui.Option[13]};
        if (g == 2) return {f.ui.Option[14], f.ui.Option[27], f.ui.Frame[15], f.ui.Text8};
        return {f.ui.Option[28], f.ui.Frame[16], f.ui.Text9, f.ui.Text10};
    };
    const auto shows = [&](std::vector<bool> read) {
        for (int g = 1; g <= 3; ++g)
            for (const Control* c : group(g)) EXPECT_EQ(c->enabled(), read[static_cast<std::size_t>(g - 1)]) << g;
    };
    const auto stop = [&] {
        rig.clock.advanceMs(20);
        Form_KeyDown(f, 27);
        rig.clock.advanceMs(100);
        EXPECT_TRUE(rig.buttonsEnabled());
    };
    rig.box.detector(300)->outputPower = 2;
    read("300");
    ASSERT_TRUE(rig.clock.runUntil([&] { return f.ui.Timer[23]->enabled(); }, 100));
    f.ui.Text3->setText("299");
    stop();
    EXPECT_EQ(rig.message(), " STOP");
    shows({true, false, false});
    read("299");
    stop();
    shows({false, false, false});
    // A send stopped at a write gives every control back, and says that the
    // detector may hold some of the new values.
    f.ui.Text3->setText("300");
    f.ui.Command[8]->userClick();
    ASSERT_TRUE(rig.clock.runUntil([&] { return f.x.operation == kSendOneParameter; }, 1000));
    stop();
    EXPECT_EQ(rig.message(), " STOP" + rig.line(54));
    shows({true, true, true});
    f.ui.Command[4]->userClick();
    stop();
    EXPECT_FALSE(f.ui.Text1[9]->enabled());
    // Ten wrong frames end a read of group 1 with its options still not read.
    const std::size_t sent = rig.box.framesReceived().size();
    read("299");
    for (std::size_t i = 1; i <= 10; ++i) {
        afterFrames(sent + i);
        rig.box.inject(rig.clock.nowUs(), {1, 2, 3, 4, 5});
    }
    rig.clock.advanceMs(50);
    EXPECT_EQ(rig.message(), rig.line(23));
    EXPECT_TRUE(rig.buttonsEnabled());
    shows({false, false, false});
    EXPECT_TRUE(enabled({f.ui.Text3, f.ui.Text4}));
}

// The focus a read takes from a control it disables comes back to it, and
// meanwhile rests on no box; a place the user chose meanwhile stays.
TEST_F(ReadEdges, TheFocusComesBackWhereTheUserWas) {
    using Seen = std::pair<const Control*, Change>;
    std::vector<Seen> seen;
    f.ui.observer = [&](Control& c, Change change) {
        if (change == Change::Focus || change == Change::Enabled) seen.emplace_back(&c, change);
    };
    f.ui.userFocus(f.ui.Command[7]);
    read("300");
    // The focus goes before the button is disabled: Qt would pass it on to a box.
    const auto taken = std::ranges::find(seen, Seen(f.ui.Command[7], Change::Focus));
    ASSERT_NE(taken, seen.end());
    ASSERT_NE(taken + 1, seen.end());
    EXPECT_EQ(taken[1], Seen(f.ui.Command[7], Change::Enabled));
    EXPECT_EQ(f.ui.focus(), nullptr);
    ASSERT_TRUE(rig.runUntilOperationEnds(1000));
    EXPECT_EQ(f.ui.focus(), f.ui.Command[7]);
    EXPECT_EQ(std::ranges::count(seen, Seen(f.ui.Command[7], Change::Focus)), 2); // taken, given back

    f.ui.userFocus(f.ui.Option[4]);
    read("299");
    rig.clock.advanceMs(20);
    f.ui.userFocus(f.ui.Text3);
    Form_KeyDown(f, 27);
    rig.clock.advanceMs(100);
    EXPECT_EQ(f.ui.focus(), f.ui.Text3);
}

// An operation cut off with its request out (a site run's time, a stop)
// leaves a reply on its way: the next operation lets the line fall quiet
// first, so that reply is no answer to its own request. A normal read, its
// requests answered, starts at once.
TEST_F(ReadEdges, AReplyLeftOnItsWayIsNotTheNextOperationsAnswer) {
    rig.box.detector(300)->outputPower = 2;
    read("300");
    afterFrames(1);
    StopExchange(f, stopShown, " STOP");
    const std::int64_t stoppedUs = rig.clock.nowUs();
    read("299");
    afterFrames(2);
    EXPECT_GE(rig.box.framesReceived()[1].tUs - stoppedUs, 25'000);
    rig.clock.advanceMs(50);
    EXPECT_EQ(f.x.tryCount, 0) << "the reply for 300 was taken as 299's";
    EXPECT_EQ(f.x.operation, kReadGroup1);
    StopExchange(f, stopShown, " STOP");
    rig.clock.advanceMs(300);
    read("300");
    ASSERT_TRUE(rig.runUntilOperationEnds(1000));
    const std::int64_t endedUs = rig.clock.nowUs();
    const std::size_t sent = rig.box.framesReceived().size();
    read("300");
    afterFrames(sent + 1);
    EXPECT_LT(rig.box.framesReceived()[sent].tUs - endedUs, 10'000);
}

// "Box found" is no news once a whole watchdog period went by in silence:
// the message line says the detector does not answer and a key stops.
TEST_F(ReadEdges, AWatchdogPeriodInSilenceSaysTheDetectorDoesNotAnswer) {
    read("999");
    afterFrames(1);
    EXPECT_EQ(rig.message(), rig.line(3));
    rig.clock.advanceMs(3900);
    EXPECT_EQ(rig.message(), rig.line(3));
    rig.clock.advanceMs(200);
    EXPECT_EQ(rig.message(), rig.line(55));
    EXPECT_EQ(f.x.shownLine, detectorSilent);
    Form_KeyDown(f, 27);
    ASSERT_TRUE(rig.runUntilOperationEnds(5000));
    EXPECT_EQ(rig.message(), " STOP");
}

// Each operation's step is over only on the reply it awaits: a handler that
// took a frame it does not own would end the step as answered, one that
// passed its own on would cost the step a try. Frames carry detector 12,
// the one a call awaits.
TEST_F(ReadEdges, EachStepTakesItsOwnReplyAndPassesTheOthersOn) {
    const Frame5 r64{64, 1, 1, 4, 68}, r65{65, 2, 6, 42, 65 ^ 2 ^ 6 ^ 42}, r66{66, 7, 0, 0, 66 ^ 7};
    const Frame5 r96{96, 0, 0, 12, 96 ^ 12}, r96other{96, 0, 0, 13, 96 ^ 13}, r97{97, 0, 0, 12, 97 ^ 12};
    const Frame5 address{32, 0, 0, 5, 32 ^ 5}, ack{0, 1, 2, 3, 4};
    struct Row {
        int operation;
        int step;
        Frame5 frame;
        bool taken;
    };
    // clang-format off
    const Row rows[] = {
        {kReadGroup1, 0, r64, true}, {kReadGroup1, 0, r96, false}, {kReadGroup1, 0, ack, false},
        {kReadGroup2, 0, r65, true}, {kReadGroup2, 0, r66, false}, {kReadGroup3, 0, r66, true},
        {kReadAddresses, 18, address, true}, {kProbeNewNumber, 0, r64, false},
        {kCheckBeforeProgramming, 0, r96, true}, {kCheckBeforeProgramming, 0, r96other, false},
        {kCheckBeforeProgramming, 0, r97, false}, {kProgramNumber, 0, r97, true}, {kProgramNumber, 0, address, false},
        {kCallBetweenSteps, 0, r96, true}, {kCallBetweenSteps, 0, r64, false},
        {kSendOneParameter, 8, ack, true}, {kSendOneParameter, 16, ack, false}, {kSendOneParameter, 8, r96, false},
    };
    // clang-format on
    for (const Row& row : rows) {
        // What the last row sent again is answered, and thrown away.
        for (ModelTimer* t : f.ui.timers()) t->disable();
        rig.clock.advanceMs(100);
        for (std::uint8_t byte = 0; rig.box.takeByte(rig.clock.nowUs(), byte);) {}
        ClassicOpen_Click(f);
        f.x.operation = row.operation;
        f.x.stepTimer = row.step;
        f.x.tryCount = f.x.addressIndex = 0;
        f.x.outFrame = {0, 96, 0, 0, 12, 96 ^ 12};
        rig.box.inject(rig.clock.nowUs(), {row.frame.begin(), row.frame.end()});
        rig.clock.advanceMs(10);
        const bool taken = DecodeReply(f) == FrameUse::taken;
        EXPECT_EQ(taken, row.taken) << row.operation << " given " << int(row.frame[0]);
        EXPECT_EQ(f.x.tryCount, taken ? 0 : 1) << row.operation << " given " << int(row.frame[0]);
    }
}
