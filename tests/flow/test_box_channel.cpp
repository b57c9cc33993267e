// The box's channel and the test number.
#include "box/box_channel.h"
#include "form/form_ops.h"
#include "support/test_rig.h"

#include <gtest/gtest.h>

using namespace quelm;
using namespace quelm::test;

namespace {

struct BoxChannel : ::testing::Test {
    Rig rig;
    Form& f = rig.form;
    void SetUp() override { rig.ready(); }
    bool rxFrameIs(int value) const {
        for (int i = 1; i <= 5; ++i)
            if (f.link.rxFrame[static_cast<std::size_t>(i)] != value) return false;
        return true;
    }
};

} // namespace

TEST_F(BoxChannel, ChannelBWritesItsFrameWithoutPausesAndTheAcknowledgementFollowsIt) {
    f.x.keyPressed = 65;
    f.x.attemptCount = 7;
    f.ui.Option[2]->select();
    EXPECT_EQ(rig.framesToBox(), (std::vector<Frame5>{{0, 1, 2, 3, 4}}));
    EXPECT_TRUE(rxFrameIs(0));
    EXPECT_EQ(rig.box.channel(), 4);
    EXPECT_EQ(rig.message(), "<3>");
    EXPECT_EQ(f.x.attemptCount, 0);
    EXPECT_FALSE(f.x.keyPressed);
    // The five bytes go out back to back: no 1 ms pause between them.
    EXPECT_LT(rig.clock.nowUs(), 1000);
    // The box's own acknowledgement (channel B) waits for the next reader.
    rig.clock.advanceMs(30);
    f.ui.Timer[17]->enable();
    rig.clock.advanceMs(30);
    EXPECT_TRUE(f.ui.Option[2]->value());
    EXPECT_EQ(rig.framesToBox().size(), 1u);
    // An acknowledgement reporting channel A while B is selected: the window
    // follows the box and sends nothing back.
    rig.box.inject(rig.clock.nowUs(), {0, 1, 2, 3, 3});
    f.ui.Timer[17]->enable();
    rig.clock.advanceMs(30);
    EXPECT_TRUE(f.ui.Option[1]->value());
    EXPECT_FALSE(f.ui.Option[2]->value());
    EXPECT_EQ(rig.framesToBox().size(), 1u);
}

TEST_F(BoxChannel, TestNumberGoesOutAndTheWindowComesBackAfterOneSecond) {
    f.ui.Text7->setText("300");
    const std::int64_t clickedUs = rig.clock.nowUs();
    f.ui.Command[13]->userClick();
    EXPECT_EQ(rig.framesToBox(), (std::vector<Frame5>{{1, 0, 1, 44, 44}}));
    EXPECT_EQ(rig.message(), "<39>");
    EXPECT_FALSE(rig.buttonsEnabled());
    EXPECT_FALSE(f.ui.Timer[17]->enabled()); // nothing is awaited
    rig.clock.advanceMs((clickedUs + 999'000 - rig.clock.nowUs()) / 1000);
    EXPECT_FALSE(rig.buttonsEnabled());
    rig.clock.advanceMs(1);
    EXPECT_TRUE(rig.buttonsEnabled());
    EXPECT_EQ(rig.message(), "");
    EXPECT_FALSE(f.ui.Timer[25]->enabled());
    f.ui.Text7->setText("0");
    f.ui.Command[13]->userClick();
    EXPECT_EQ(rig.framesToBox().back(), (Frame5{1, 0, 0, 0, 1}));
}
