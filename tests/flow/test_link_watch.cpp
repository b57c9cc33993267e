// The connection test and the stop watch.
#include "box/connection_test.h"
#include "form/form_ops.h"
#include "link/exchange_end.h"
#include "shell/keyboard.h"
#include "support/test_rig.h"

#include <gtest/gtest.h>

using namespace quelm;
using namespace quelm::test;

namespace {

struct ConnectionTest : ::testing::Test {
    Rig rig;
    Form& f = rig.form;
    void SetUp() override {
        rig.numberMessageTable();
        f.ui.Text3->setText("");
        StartConnectionTest(f);
        f.x.attemptCount = 0;
        f.x.keyPressed.reset();
        f.ui.Timer[3]->enable();
    }
};

} // namespace

TEST_F(ConnectionTest, TheBoxsAcknowledgementCountsAnAttemptAndTheTestFrameGoesAgain) {
    EXPECT_FALSE(rig.buttonsEnabled());
    rig.clock.advanceMs(200);
    // The simulated box acknowledges every test frame: attempts count up.
    EXPECT_GE(f.x.attemptCount, 5);
    EXPECT_EQ(rig.message(), Str(f.x.attemptCount) + rig.line(4));
    for (const auto& frame : rig.framesToBox()) EXPECT_EQ(frame, (Frame5{0, 1, 1, 2, 2}));
    // More than 50 attempts end the test with an empty message line.
    ASSERT_TRUE(rig.clock.runUntil([&] { return !f.ui.Timer[1]->enabled(); }, 5000));
    EXPECT_EQ(rig.message(), "");
    EXPECT_EQ(f.x.attemptCount, 0);
    EXPECT_TRUE(rig.buttonsEnabled());
    EXPECT_FALSE(f.ui.Timer[4]->enabled());
    EXPECT_FALSE(rig.driver.isOpen());
}

TEST_F(ConnectionTest, ADetectorNumberEndsTheTestWithStop) {
    rig.box.unplug(); // nothing from the box but what the test injects
    rig.box.plugIn();
    rig.box.inject(rig.clock.nowUs(), {1, 0, 1, 44, 45}); // wrong check byte: ignored
    rig.clock.advanceMs(30);
    EXPECT_EQ(f.ui.Text3->text(), "");
    rig.box.inject(rig.clock.nowUs(), {1, 15, 255, 255, 14}); // 1048575 is no detector's number
    rig.clock.advanceMs(30);
    EXPECT_EQ(f.ui.Text3->text(), "");
    EXPECT_TRUE(f.ui.Timer[1]->enabled());
    rig.box.inject(rig.clock.nowUs(), {1, 0, 1, 44, 44});
    rig.clock.advanceMs(20);
    EXPECT_EQ(f.ui.Text3->text(), "300");
    EXPECT_FALSE(f.ui.Timer[1]->enabled());
    rig.clock.advanceMs(100);
    EXPECT_EQ(rig.message(), " STOP");
    EXPECT_TRUE(rig.buttonsEnabled());
    EXPECT_FALSE(rig.driver.isOpen());
    for (ModelTimer* t : f.ui.timers()) EXPECT_FALSE(t->enabled()) << t->name();
}

TEST_F(ConnectionTest, PartialFramesAreJudgedWithTheFillValue) {
    rig.box.unplug(); // drops the box's own acknowledgement
    rig.box.plugIn();
    rig.box.inject(rig.clock.nowUs(), {0, 1, 2});
    rig.clock.advanceMs(5);
    PollConnectionTest(f);
    // Three bytes and two fill values: neither blank, nor an acknowledgement,
    // nor a number; the bytes are gone.
    EXPECT_EQ(f.link.rxFrame, (Frame{0, 0, 1, 2, 255, 255}));
    EXPECT_EQ(f.x.attemptCount, 0);
    EXPECT_EQ(rig.box.pending(rig.clock.nowUs()), 0u);
}

TEST_F(ConnectionTest, SilenceResendsEveryFourSecondsAndAKeyEndsTheTest) {
    sim::Faults lost;
    lost.drop = 1; // nothing reaches the box, which therefore never answers
    rig.box.setHostFaults(lost);
    rig.box.unplug(); // and its answer to the first test frame is gone
    rig.box.plugIn();
    rig.clock.advanceMs(8'100);
    EXPECT_EQ(f.x.attemptCount, 2);
    Form_KeyPress(f, 'a');
    rig.clock.advanceMs(110);
    EXPECT_EQ(rig.message(), " STOP");
    EXPECT_FALSE(f.ui.Timer[1]->enabled());
    EXPECT_TRUE(rig.buttonsEnabled());
}
