// "Programmer" and the number replies 96 and 97 on the virtual clock, with
// the simulated box and with frames injected where the box would not send
// them.
#include "decoder/decoder.h"
#include "form/form_ops.h"
#include "link/session.h"
#include "program_number/program_number.h"
#include "support/send_invariants.h"
#include "support/test_rig.h"

#include <gtest/gtest.h>

using namespace quelm;
using namespace quelm::test;

namespace {

struct ProgramTest : ::testing::Test {
    Rig rig{BoxOf({12})};
    Form& f = rig.form;
    std::vector<std::string> messages;

    void SetUp() override {
        rig.numberMessageTable();
        f.ui.observer = [this](Control& c, Change change) {
            if (&c == f.ui.Text5 && change == Change::Text) messages.push_back(f.ui.Text5->text());
        };
    }
    void program(const char* present, const char* wanted) {
        f.ui.Text3->setText(present);
        f.ui.Text4->setText(wanted);
        messages.clear();
        f.ui.Command[6]->userClick();
    }
    bool programmingEnds(std::int64_t limitMs = 1000) {
        return rig.clock.runUntil([&] { return rig.buttonsEnabled() && !f.ui.Timer[17]->enabled(); }, limitMs);
    }
    // A frame the box did not send, taken by one polling tick while the
    // operation `operation` waits.
    void decode(int operation, std::vector<std::uint8_t> bytes) {
        ClassicOpen_Click(f);
        f.x.operation = operation;
        f.x.tryCount = 0;
        rig.box.inject(rig.clock.nowUs(), bytes);
        rig.clock.advanceMs(10);
        DecodeReply(f);
    }
};

} // namespace

TEST_F(ProgramTest, GivesTwelveTheNumber300) {
    program("12", "300");
    EXPECT_EQ(rig.message(), rig.line(3));
    EXPECT_FALSE(rig.buttonsEnabled());
    ASSERT_TRUE(programmingEnds());
    // Two calls of 300 that nobody answers, the call of 12, the new number.
    EXPECT_EQ(rig.framesToBox(),
              (std::vector<Frame5>{{96, 0, 1, 44, 77}, {96, 0, 1, 44, 77}, {96, 0, 0, 12, 108}, {97, 0, 1, 44, 76}}));
    EXPECT_EQ(f.ui.Text3->text(), "300");
    EXPECT_EQ(rig.message(), rig.line(14));
    EXPECT_NE(std::find(messages.begin(), messages.end(), rig.line(13)), messages.end());
    EXPECT_EQ(messages.front(), kConnectionTestText);
    EXPECT_EQ(f.x.operation, kIdle);
    EXPECT_FALSE(f.ui.Timer[3]->enabled());
    EXPECT_FALSE(rig.driver.isOpen());
    EXPECT_EQ(CheckProgrammingEnded(f, rig.box, 12, 300), "");
    EXPECT_NE(CheckProgrammingEnded(f, rig.box, 300, 12), ""); // the checker does see a wrong ending
}

// Two detectors answering to one number could never be told apart: the
// new number is asked first, and one that answers is never sent.
TEST_F(ProgramTest, ANumberAnotherDetectorAnswersToIsNeverSent) {
    Rig other(BoxOf({12, 300}));
    other.numberMessageTable();
    other.form.ui.Text3->setText("12");
    other.form.ui.Text4->setText("300");
    other.form.ui.Command[6]->userClick();
    other.clock.advanceMs(500);
    EXPECT_EQ(other.message(), other.line(53) + " 300");
    EXPECT_EQ(other.form.x.operation, kIdle);
    EXPECT_TRUE(other.buttonsEnabled());
    EXPECT_TRUE(other.exchangeTimersOff());
    EXPECT_FALSE(other.form.ui.Timer[3]->enabled());
    EXPECT_EQ(other.framesToBox(), (std::vector<Frame5>{{96, 0, 1, 44, 77}}));
    EXPECT_NE(other.box.detector(12), nullptr);
    // A stray parameter reply during the call is no answer to it: the new
    // number never goes out without the called detector's answer.
    program("999", "5");
    ASSERT_TRUE(rig.clock.runUntil([&] { return f.x.operation == kCheckBeforeProgramming; }, 1000));
    rig.box.inject(rig.clock.nowUs(), {64, 1, 2, 3, 64 ^ 1 ^ 2 ^ 3});
    rig.clock.advanceMs(100);
    EXPECT_EQ(f.x.operation, kCheckBeforeProgramming);
    EXPECT_EQ(f.x.tryCount, 1);
    EXPECT_FALSE(f.ui.Timer[20]->enabled());
}

TEST_F(ProgramTest, Reply96DuringProgrammingEndsItConfirmedOnlyWithTheNewNumber) {
    f.x.programmedNumber = 301;
    decode(kProgramNumber, {96, 0, 1, 45, 96 ^ 1 ^ 45});
    EXPECT_EQ(f.ui.Text3->text(), "301");
    ASSERT_GE(messages.size(), 2u);
    EXPECT_EQ(messages[messages.size() - 2], rig.line(13));
    EXPECT_EQ(rig.message(), rig.line(14));
    EXPECT_EQ(f.x.operation, kIdle);
    EXPECT_TRUE(rig.buttonsEnabled());
    // Reported by its old number: not confirmed.
    decode(kProgramNumber, {96, 0, 0, 12, 108});
    EXPECT_EQ(rig.message(), rig.line(19));
    EXPECT_EQ(f.x.operation, kIdle);
}

TEST_F(ProgramTest, Reply97EndsAnyOperationAndReply96OutsideProgrammingOnlyShowsTheNumber) {
    f.ui.Timer[3]->enable();
    decode(kIdle, {97, 0, 1, 44, 76});
    EXPECT_EQ(f.ui.Text3->text(), "300");
    EXPECT_EQ(rig.message(), rig.line(14));
    EXPECT_FALSE(f.ui.Timer[3]->enabled());
    EXPECT_FALSE(rig.driver.isOpen());
    decode(kIdle, {96, 0, 0, 77, 96 ^ 77});
    EXPECT_EQ(f.ui.Text3->text(), "77");
    EXPECT_EQ(rig.message(), rig.line(13));
    // A wrong check byte: no handler takes it.
    decode(kIdle, {97, 0, 0, 5, 0});
    EXPECT_EQ(f.ui.Text3->text(), "77");
    EXPECT_EQ(f.x.tryCount, 1);
    // A number beyond 1048574 is no number: neither reply shows it.
    for (const std::uint8_t code : {96, 97}) {
        decode(kIdle, {code, 16, 0, 0, static_cast<std::uint8_t>(code ^ 16)});
        EXPECT_EQ(f.ui.Text3->text(), "77");
        EXPECT_EQ(f.x.tryCount, 1);
    }
}

TEST_F(ProgramTest, TheCallOutOfTriesShowsLine20AndKeepsOperation6) {
    program("999", "999"); // the number it has: no probe
    for (std::size_t i = 1; i <= 10; ++i) {
        ASSERT_TRUE(rig.clock.runUntil([&] { return rig.box.framesReceived().size() >= i; }, 1000));
        rig.box.inject(rig.clock.nowUs(), {1, 2, 3, 4, 5});
        if (i == 10) break;
        ASSERT_TRUE(rig.clock.runUntil([&] { return rig.box.framesReceived().size() > i; }, 100));
        EXPECT_EQ(rig.message(), Str(static_cast<long long>(i)) + rig.line(10)) << i;
    }
    rig.clock.advanceMs(100);
    EXPECT_EQ(rig.message(), rig.line(20));
    EXPECT_EQ(f.x.operation, kCheckBeforeProgramming);
    EXPECT_TRUE(rig.buttonsEnabled());
    EXPECT_TRUE(f.ui.Timer[3]->enabled());
    EXPECT_EQ(rig.framesToBox().size(), 10u); // nine immediate resends
    EXPECT_FALSE(f.ui.Timer[20]->enabled());
}

TEST_F(ProgramTest, ProgressLine11WhileProgrammingAndRetryLine10) {
    program("12", "300");
    ASSERT_TRUE(rig.clock.runUntil([&] { return f.ui.Timer[20]->enabled(); }, 1000));
    rig.box.detector(12)->number = 13; // the 97 goes unanswered
    rig.clock.advanceMs(30);
    EXPECT_EQ(rig.message(), " 0" + rig.line(11));
    rig.box.inject(rig.clock.nowUs(), {1, 2, 3, 4, 5});
    ASSERT_TRUE(rig.clock.runUntil([&] { return f.x.tryCount == 1; }, 100));
    EXPECT_EQ(rig.message(), " 1" + rig.line(10));
    EXPECT_EQ(rig.framesToBox().back(), (Frame5{97, 0, 1, 44, 76}));
    EXPECT_EQ(rig.framesToBox().size(), 5u);
}

TEST_F(ProgramTest, Text4EditedDuringTheCallIsTheNumberSent) {
    program("12", "300");
    f.ui.Text4->setText("400");
    ASSERT_TRUE(programmingEnds());
    EXPECT_EQ(rig.framesToBox().back(), (Frame5{97, 0, 1, 144, 97 ^ 1 ^ 144}));
    EXPECT_NE(rig.box.detector(400), nullptr);
    EXPECT_EQ(CheckProgrammingEnded(f, rig.box, 12, 400), "");
}

TEST_F(ProgramTest, ConfirmedAgainstTheNumberSentAndOnlyForTheDetectorCalled) {
    program("12", "300");
    ASSERT_TRUE(rig.clock.runUntil([&] { return rig.framesToBox().size() == 4; }, 1000));
    f.ui.Text4->setText("400"); // while the answer to 300 is on its way
    ASSERT_TRUE(programmingEnds());
    EXPECT_EQ(rig.message(), rig.line(14));
    // Each answer to the call, from another detector, costs a try.
    rig.box.setCallKnobs({.refusedWrites = {}, .acksBeforeAnswer = 0, .answerCallsAs = 13});
    program("300", "300"); // the number it has: no probe, only the call
    ASSERT_TRUE(programmingEnds());
    EXPECT_EQ(rig.framesToBox().size(), 14u); // ten calls, and no new number sent
}

TEST_F(ProgramTest, TheBoxTakenAwayBeforeTheSecondStepGivesTheButtonsBack) {
    program("12", "300");
    ASSERT_TRUE(rig.clock.runUntil([&] { return f.ui.Timer[20]->enabled(); }, 1000));
    rig.box.unplug();
    rig.clock.advanceMs(50);
    EXPECT_EQ(rig.message(), rig.line(1));
    EXPECT_TRUE(rig.buttonsEnabled());
    EXPECT_EQ(f.x.operation, kIdle);
    EXPECT_FALSE(f.ui.Timer[3]->enabled());
    EXPECT_TRUE(rig.exchangeTimersOff());
    EXPECT_EQ(rig.framesToBox().size(), 3u);
}
