// The device session and the frame transport, on a recording driver and on
// the simulated box.
#include "form/form_ops.h"
#include "link/session.h"
#include "protocol/codec.h"
#include "support/test_rig.h"

#include <gtest/gtest.h>

using namespace quelm;
using namespace quelm::test;

namespace {

struct Recorded {
    VirtualClock clock;
    RecordingDriver driver{clock};
    Form form{clock, driver};
};

} // namespace

TEST(Transport, SendsFiveSingleByteWritesWithOneMillisecondPauses) {
    Recorded r;
    r.form.x.outFrame = EncodeNumberFrame(96, 300);
    ASSERT_EQ(r.form.x.outFrame, (Frame{0, 96, 0, 1, 44, 77}));
    EXPECT_TRUE(SendFrame(r.form));
    const auto writes = r.driver.named("write");
    ASSERT_EQ(writes.size(), 5u);
    const int expected[] = {96, 0, 1, 44, 77};
    for (std::size_t i = 0; i < 5; ++i) {
        EXPECT_EQ(writes[i].value, expected[i]);
        if (i > 0) {
            EXPECT_EQ(writes[i].tUs - writes[i - 1].tUs, 1000);
        }
    }
    for (int i = 1; i <= 5; ++i) EXPECT_EQ(r.form.link.rxFrame[static_cast<std::size_t>(i)], 255);
    // Open, then the line settings, then the bytes.
    EXPECT_EQ(r.driver.calls[0].name, "open");
    EXPECT_EQ(r.driver.named("baud")[0].value, 19200);
    EXPECT_EQ(r.driver.named("data")[0].value, 8);
    EXPECT_EQ(r.driver.named("timeouts")[0].value, 5);
    EXPECT_FALSE(r.form.ui.Timer[17]->enabled());
    EXPECT_TRUE(SendFrameAndPoll(r.form));
    EXPECT_TRUE(r.form.ui.Timer[17]->enabled());
}

TEST(Transport, OpenOfAnOpenSessionIsLoggedAsFailedAndTheFrameStillGoes) {
    Recorded r;
    r.form.x.outFrame = {0, 1, 0, 1, 44, 44};
    SendFrame(r.form);
    SendFrame(r.form);
    const auto& log = r.form.ui.LoggerList->items();
    ASSERT_EQ(log.size(), 2u);
    EXPECT_EQ(log[0], "Open OK");
    EXPECT_EQ(log[1], "Open Failed status=3");
    EXPECT_EQ(r.driver.named("write").size(), 10u);
    EXPECT_EQ(r.form.link.deviceHandle, 77u);
}

TEST(Transport, SessionLogLinesWordForWord) {
    Recorded r;
    r.driver.devices = 0;
    BoxCheck(r.form);
    EXPECT_EQ(r.form.link.deviceCount, 0u);
    const std::vector<std::string> expected{"Open Failed status=2", "Number of Devices = 0", "Close Failed"};
    EXPECT_EQ(r.form.ui.LoggerList->items(), expected);
    r.driver.devices = 1;
    ClassicOpen_Click(r.form);
    ClassicClose_Click(r.form);
    EXPECT_EQ(r.form.ui.LoggerList->items()[3], "Open OK");
    EXPECT_EQ(r.form.ui.LoggerList->items()[4], "Closed OK");
}

TEST(Transport, TakesAReplyFrameOnlyWhenFiveBytesWaitAndKeepsTheRest) {
    Recorded r;
    r.driver.rx = {64, 1, 1, 4};
    EXPECT_FALSE(TakeReplyFrame(r.form));
    EXPECT_TRUE(r.driver.named("read").empty());
    r.driver.rx = {64, 1, 1, 4, 68, 7, 8};
    EXPECT_TRUE(TakeReplyFrame(r.form));
    EXPECT_EQ(r.form.link.rxFrame, (Frame{0, 64, 1, 1, 4, 68}));
    EXPECT_EQ(r.driver.rx.size(), 2u);
    r.driver.rx.insert(r.driver.rx.end(), {9, 10, 11});
    EXPECT_TRUE(TakeReplyFrame(r.form));
    EXPECT_EQ(r.form.link.rxFrame, (Frame{0, 7, 8, 9, 10, 11}));
}

TEST(Transport, AByteWithoutAnEightBitFormIsNeverSent) {
    Recorded r;
    for (double n : {-1.0, -1e300, 16777216.0, 1e300}) {
        r.form.x.outFrame = EncodeNumberFrame(96, n);
        r.form.ui.Text5->setText("");
        EXPECT_FALSE(SendFrameAndPoll(r.form)) << n;
        EXPECT_FALSE(r.form.ui.Text5->text().empty());
        EXPECT_FALSE(r.form.ui.Timer[17]->enabled());
    }
    EXPECT_TRUE(r.driver.calls.empty());
}

TEST(Transport, FramesReachTheSimulatedBoxInOrderOverTheWire) {
    Rig rig;
    Form& f = rig.form;
    f.x.outFrame = EncodeReadRequest(1, 300);
    const std::int64_t start = rig.clock.nowUs();
    SendFrame(f);
    f.x.outFrame = EncodeReadRequest(2, 12);
    SendFrame(f);
    const auto frames = rig.framesToBox();
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_EQ(frames[0], (Frame5{64, 0, 1, 44, 109}));
    EXPECT_EQ(frames[1], (Frame5{65, 0, 0, 12, 77}));
    // Four pauses of 1 ms, then the last byte's wire time.
    EXPECT_EQ(rig.box.framesReceived()[0].tUs - start, 4000 + sim::kByteWireUs);
}
