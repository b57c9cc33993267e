// "Envoyer les paramètres" on the virtual clock with the simulated box: the
// read, the call after every write, the passes until a read agrees, and the
// ways a send ends.
#include "form/form_ops.h"
#include "form/parameters.h"
#include "send_params/send_parameters.h"
#include "shell/keyboard.h"
#include "support/send_invariants.h"
#include "support/test_rig.h"

#include <gtest/gtest.h>

using namespace quelm;
using namespace quelm::test;

namespace {

struct SendTest : ::testing::Test {
    Rig rig;
    Form& f = rig.form;
    std::vector<std::string> messages; // every text Text5 showed, in order

    void SetUp() override {
        rig.numberMessageTable();
        rig.selectDefaults();
        f.ui.observer = [this](Control& c, Change change) {
            if (&c == f.ui.Text5 && change == Change::Text) messages.push_back(f.ui.Text5->text());
        };
    }
    // The window shows what detector 300 holds, as after a read.
    void show300() {
        for (int n : {4, 8, 12, 17, 24, 29}) f.ui.Option[static_cast<std::size_t>(n)]->select();
        f.ui.Text8->setText("80");
        f.ui.Text9->setText("60");
        f.ui.Text10->setText("25");
        f.ui.Text3->setText("300");
        f.x.keyPressed.reset(); // set by the change of Text3, not by a key
    }
    bool sendEnds(std::int64_t limitMs = 5000) {
        return rig.clock.runUntil([&] { return f.x.paramSendActive == 0 && f.ui.Command[8]->enabled(); }, limitMs);
    }
    std::vector<int> codesToBox() const {
        std::vector<int> codes;
        for (const Frame5& fr : rig.framesToBox()) codes.push_back(fr[0]);
        return codes;
    }
    long count(int code) const {
        const auto codes = codesToBox();
        return std::count(codes.begin(), codes.end(), code);
    }
    bool shown(int line) const { return std::find(messages.begin(), messages.end(), rig.line(line)) != messages.end(); }
};

} // namespace

TEST_F(SendTest, NothingDiffersOnePassOneCallNoWrite) {
    show300();
    f.ui.Command[8]->userClick();
    ASSERT_TRUE(sendEnds());
    EXPECT_EQ(codesToBox(), (std::vector<int>{64, 65, 66, 96}));
    EXPECT_EQ(rig.message(), rig.line(37));
    EXPECT_EQ(f.x.sendPass, 1);
    EXPECT_TRUE(rig.buttonsEnabled());
    for (int n = 3; n <= 29; ++n) EXPECT_TRUE(f.ui.Option[static_cast<std::size_t>(n)]->enabled()) << n;
    // Nothing else is reset: the operation, the session and the stop watch.
    EXPECT_EQ(f.x.operation, kSendOneParameter);
    EXPECT_EQ(f.x.stepTimer, 16);
    EXPECT_TRUE(f.ui.Timer[3]->enabled());
    EXPECT_EQ(CheckSendEnded(f, rig.box), "");
    rig.box.detector(300)->levelDynMinus = 26; // the checker does see a detector that differs
    EXPECT_NE(CheckSendEnded(f, rig.box).find("level DYN-"), std::string::npos);
}

TEST_F(SendTest, OnlyTheRiseTimeDiffersOneWriteThenAPassWithoutWrite) {
    show300();
    f.ui.Option[15]->select(); // 0.5 s
    f.ui.Command[8]->userClick();
    ASSERT_TRUE(sendEnds());
    EXPECT_EQ(codesToBox(), (std::vector<int>{64, 65, 66, 96, 68, 96, 64, 65, 66, 96}));
    EXPECT_EQ(rig.framesToBox()[4], (Frame5{68, 0, 1, 44, 1}));
    EXPECT_TRUE(shown(31));
    EXPECT_TRUE(shown(38));
    EXPECT_EQ(rig.message(), rig.line(37));
    EXPECT_EQ(f.x.sendPass, 2);
    EXPECT_EQ(rig.box.detector(300)->riseTime, 1);
    EXPECT_EQ(CheckSendEnded(f, rig.box), "");
}

TEST_F(SendTest, AllNineParametersDifferentEndWithTheDetectorHoldingThem) {
    // The start-up defaults against detector 300, plus the levels and the
    // dynamic time set away from both.
    f.ui.Option[9]->select(); // 5 min
    f.ui.Text8->setText("33");
    f.ui.Text9->setText("44");
    f.ui.Text10->setText("5");
    f.ui.Text3->setText("300");
    f.x.keyPressed.reset();
    f.ui.Command[8]->userClick();
    ASSERT_TRUE(sendEnds());
    EXPECT_EQ(codesToBox(), (std::vector<int>{64, 65, 66, 96, 86, 96, 84, 96, 88, 96, 68, 96, 69,
                                              96, 70, 96, 71, 96, 72, 96, 73, 96, 64, 65, 66, 96}));
    for (int line : {27, 28, 29, 30, 31, 32, 33, 34, 35, 36, 38}) EXPECT_TRUE(shown(line)) << line;
    EXPECT_EQ(rig.message(), rig.line(37));
    EXPECT_EQ(CheckSendEnded(f, rig.box), "");
    EXPECT_EQ(rig.box.detector(300)->dynamicTime, 6);
    EXPECT_EQ(rig.box.detector(300)->levelDynMinus, 5);
}

TEST_F(SendTest, PassTimersStepByTenAndAnEndlessSendIsCutNamingTheParameter) {
    sim::CallKnobs knobs;
    knobs.refusedWrites = {68}; // the detector never takes a rise time
    rig.box.setCallKnobs(knobs);
    show300();
    f.ui.Option[16]->select(); // 1 s
    std::vector<int> timer7, timer8;
    for (auto [n, seen] : {std::pair{7, &timer7}, std::pair{8, &timer8}}) {
        ModelTimer* t = f.ui.Timer[static_cast<std::size_t>(n)];
        t->onTick = [t, seen, handler = t->onTick] {
            seen->push_back(t->interval());
            handler();
        };
    }
    f.ui.Command[8]->userClick();
    ASSERT_TRUE(sendEnds(20'000));
    std::vector<int> want7, want8;
    for (int k = 1; k <= kMaxSendPasses; ++k) {
        want7.push_back((k - 1) * 10 + 10);
        want8.push_back((k - 1) * 10 + 1);
    }
    EXPECT_EQ(timer7, want7);
    EXPECT_EQ(timer8, want8);
    // After the tenth pass the intervals are back to 10 and 1 ms.
    EXPECT_EQ(f.ui.Timer[7]->interval(), 10);
    EXPECT_EQ(f.ui.Timer[15]->interval(), 1);
    EXPECT_EQ(count(68), kMaxSendPasses);
    EXPECT_NE(rig.message().find(rig.line(47)), std::string::npos);
    EXPECT_NE(rig.message().find("Temps de mont"), std::string::npos) << rig.message();
    EXPECT_EQ(rig.message().find("Puissance"), std::string::npos);
    // The user's values are back, enabled; the window is given back.
    EXPECT_TRUE(f.ui.Option[16]->value());
    EXPECT_TRUE(f.ui.Option[16]->enabled());
    EXPECT_TRUE(rig.buttonsEnabled());
    EXPECT_EQ(f.x.operation, kIdle);
    EXPECT_FALSE(f.ui.Timer[3]->enabled());
    EXPECT_EQ(CheckSendEnded(f, rig.box), "");
    // A new send starts again at 10 and 1 ms.
    timer7.clear();
    f.ui.Command[8]->userClick();
    ASSERT_TRUE(rig.clock.runUntil([&] { return !timer7.empty(); }, 1000));
    EXPECT_EQ(timer7.front(), 10);
}

// A level goes out as typed or not at all: a fraction, a text that only
// starts with a number, or none, is refused, naming its box. 150 is shown
// as 100 by the box itself, and sent so.
TEST_F(SendTest, ALevelThatIsNoWholeNumberIsRefusedBeforeAnythingIsSent) {
    show300();
    for (const char* typed : {"50.5", "abc", "12,5", "5x", "", "1e1"}) {
        f.ui.Text9->setText(typed);
        f.ui.Command[8]->userClick();
        rig.clock.advanceMs(100);
        EXPECT_TRUE(rig.framesToBox().empty()) << typed;
        EXPECT_EQ(rig.message(), rig.line(48) + " Niveau DYN+  (en %)") << typed;
        EXPECT_EQ(f.x.paramSendActive, 0);
        EXPECT_TRUE(rig.buttonsEnabled());
    }
    f.ui.Text9->setText("150");
    EXPECT_EQ(f.ui.Text9->text(), "100");
}

TEST_F(SendTest, ANewDetectorNumberDuringTheSendIsInEveryLaterFrame) {
    show300();
    f.ui.Option[15]->select();
    f.ui.Command[8]->userClick();
    ASSERT_TRUE(rig.clock.runUntil([&] { return f.ui.Timer[27]->enabled(); }, 1000)); // the write was acknowledged
    const std::size_t before = rig.framesToBox().size();
    f.ui.Text3->setText("12");
    ASSERT_TRUE(sendEnds());
    const auto frames = rig.framesToBox();
    ASSERT_GT(frames.size(), before);
    for (std::size_t i = before; i < frames.size(); ++i) EXPECT_EQ(frames[i][3], 12) << i;
    EXPECT_EQ(rig.message(), rig.line(37));
    EXPECT_EQ(CheckSendEnded(f, rig.box), "");
    EXPECT_EQ(rig.box.detector(12)->riseTime, 1);
}

TEST_F(SendTest, TheStopKeyEndsTheSendAndTheNextReadIsAPlainRead) {
    show300();
    f.ui.Option[15]->select();
    f.ui.Text8->setText("70");
    f.ui.Command[8]->userClick();
    // While the steps go on, every frame is answered: the key must not be
    // lost to the senders that follow it.
    ASSERT_TRUE(rig.clock.runUntil([&] { return f.x.stepTimer == 10; }, 1000));
    Form_KeyDown(f, 27);
    rig.clock.advanceMs(100);
    EXPECT_EQ(rig.message(), " STOP" + rig.line(54));
    EXPECT_EQ(f.x.paramSendActive, 0);
    EXPECT_TRUE(rig.buttonsEnabled());
    rig.clock.advanceMs(5000);
    EXPECT_TRUE(rig.exchangeTimersOff());
    const std::size_t before = rig.framesToBox().size();
    f.ui.Command[7]->userClick();
    ASSERT_TRUE(rig.runUntilOperationEnds(1000));
    // The answer to the call that was out when the key stopped the send is
    // still queued: it costs the read a try (and the retries cost a few
    // more), and the read reads every group; no call follows it.
    const auto codes = codesToBox();
    const std::vector<int> read(codes.begin() + static_cast<long>(before), codes.end());
    EXPECT_EQ(read.front(), 64);
    EXPECT_EQ(std::count(read.begin(), read.end(), 96), 0);
    EXPECT_EQ(rig.message(), rig.line(17));
    for (int n = 3; n <= 29; ++n) EXPECT_TRUE(f.ui.Option[static_cast<std::size_t>(n)]->enabled()) << n;
    // The read shows what the detector holds: the rise time was written
    // before the key, the level perhaps not.
    const sim::Detector* d = rig.box.detector(300);
    EXPECT_EQ(d->riseTime, 1);
    DetectorParameters held = Detector300Shown();
    held.riseTime = 1;
    held.levelOnPlus = std::to_string(d->levelOnPlus);
    EXPECT_EQ(ParametersShown(f), held);
}

TEST_F(SendTest, AStopBetweenTheAcknowledgementAndTheCallSendsNoCall) {
    show300();
    f.ui.Option[15]->select();
    f.ui.Command[8]->userClick();
    ASSERT_TRUE(rig.clock.runUntil([&] { return f.ui.Timer[27]->enabled(); }, 1000));
    const std::size_t before = rig.framesToBox().size();
    Form_KeyDown(f, 27);
    f.ui.Timer[3]->onTick(); // the stop watch's tick falls in the 10 ms before the call
    rig.clock.advanceMs(5000);
    EXPECT_EQ(rig.framesToBox().size(), before);
    EXPECT_EQ(rig.message(), " STOP" + rig.line(54));
    EXPECT_TRUE(rig.exchangeTimersOff());
    EXPECT_EQ(f.x.paramSendActive, 0);
}

TEST_F(SendTest, AFailedReadOfAPassPutsTheWantedValuesBack) {
    show300();
    f.ui.Option[11]->select(); // power min
    f.ui.Option[15]->select(); // rise 0.5 s
    f.ui.Command[8]->userClick();
    // Group 1 of the read shows what the detector holds (power med), then
    // the detector is gone and ten wrong frames end the read of group 2.
    ASSERT_TRUE(rig.clock.runUntil([&] { return f.ui.Timer[23]->enabled(); }, 1000));
    EXPECT_TRUE(f.ui.Option[12]->value());
    rig.box.detector(300)->number = 301;
    for (std::size_t i = 2; i <= 11; ++i) {
        ASSERT_TRUE(rig.clock.runUntil([&] { return rig.box.framesReceived().size() >= i; }, 1000));
        rig.box.inject(rig.clock.nowUs(), {1, 2, 3, 4, 5});
    }
    ASSERT_TRUE(sendEnds());
    EXPECT_EQ(rig.message(), rig.line(22));
    EXPECT_TRUE(f.ui.Option[11]->value());
    EXPECT_TRUE(f.ui.Option[15]->value());
    for (int n = 3; n <= 29; ++n) EXPECT_TRUE(f.ui.Option[static_cast<std::size_t>(n)]->enabled()) << n;
    EXPECT_TRUE(f.ui.Text8->enabled());
    EXPECT_EQ(count(96), 0);
}

TEST_F(SendTest, AcknowledgedCallsAreRepeatedUntilTheDetectorAnswers) {
    sim::CallKnobs knobs;
    knobs.acksBeforeAnswer = 2;
    rig.box.setCallKnobs(knobs);
    show300();
    f.ui.Option[13]->select(); // power max
    f.ui.Command[8]->userClick();
    ASSERT_TRUE(sendEnds());
    EXPECT_EQ(codesToBox(), (std::vector<int>{64, 65, 66, 96, 96, 96, 88, 96, 96, 96, 64, 65, 66, 96, 96, 96}));
    EXPECT_EQ(rig.message(), rig.line(37));
    EXPECT_EQ(CheckSendEnded(f, rig.box), "");
}

TEST_F(SendTest, ABoxUnpluggedDuringTheSendGivesTheWindowBack) {
    show300();
    f.ui.Option[15]->select();
    f.ui.Command[8]->userClick();
    ASSERT_TRUE(rig.clock.runUntil([&] { return f.ui.Timer[16]->enabled(); }, 1000));
    rig.box.unplug();
    ASSERT_TRUE(sendEnds(100));
    EXPECT_EQ(rig.message(), rig.line(1) + rig.line(54));
    EXPECT_TRUE(rig.buttonsEnabled());
    EXPECT_TRUE(f.ui.Option[15]->value());
    EXPECT_TRUE(f.ui.Option[15]->enabled());
    EXPECT_TRUE(rig.exchangeTimersOff());
}

TEST_F(SendTest, ThreeParametersSentThenTheNumberProgrammedThenReadUnderTheNewNumber) {
    show300();
    f.ui.Option[13]->select(); // power max
    f.ui.Option[27]->select(); // fall 4 min
    f.ui.Text9->setText("70");
    f.ui.Command[8]->userClick();
    ASSERT_TRUE(sendEnds());
    ASSERT_EQ(rig.message(), rig.line(37));
    f.ui.Text4->setText("301");
    f.ui.Command[6]->userClick();
    ASSERT_TRUE(rig.clock.runUntil([&] { return rig.buttonsEnabled() && f.x.operation == kIdle; }, 1000));
    ASSERT_EQ(rig.message(), rig.line(14));
    EXPECT_EQ(f.ui.Text3->text(), "301");
    EXPECT_EQ(CheckProgrammingEnded(f, rig.box, 300, 301), "");
    rig.selectDefaults(); // forget what the window shows
    f.ui.Command[7]->userClick();
    ASSERT_TRUE(rig.runUntilOperationEnds(1000));
    ASSERT_EQ(rig.message(), rig.line(17));
    DetectorParameters want = Detector300Shown();
    want.outputPower = 2;
    want.fallTime = 6;
    want.levelDynPlus = "70";
    EXPECT_EQ(ParametersShown(f), want);
}

TEST_F(SendTest, TheStopKeyDuringAWriteRetryEndsTheSendWithNoTimerLeftAndNoFrameAfter) {
    f.ui.Text3->setText("300"); // the defaults differ from what the detector holds
    f.ui.Command[8]->userClick();
    ASSERT_TRUE(rig.clock.runUntil([&] { return f.x.writesOut == 1; }, 1000));
    rig.box.inject(rig.clock.nowUs(), {1, 2, 3, 4, 5});
    ASSERT_TRUE(rig.clock.runUntil([&] { return f.ui.Timer[28]->enabled(); }, 100));
    Form_KeyDown(f, 27);
    rig.clock.advanceMs(100); // the stop watch acts within 100 ms
    const std::size_t sent = rig.framesToBox().size();
    rig.clock.advanceMs(5000);
    EXPECT_TRUE(rig.framesToBox().size() == sent && rig.buttonsEnabled() && rig.exchangeTimersOff());
}
