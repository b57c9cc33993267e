// The frame layer: reply classification, the check byte and what the trace
// says of each frame.
#include "protocol/frame.h"
#include "protocol/number.h"

#include <gtest/gtest.h>

using namespace quelm;

TEST(Protocol, RepliesAreClassifiedByCodeAndCheckByte) {
    struct Case {
        Frame frame;
        ReplyKind kind;
    };
    const Case cases[] = {
        {{0, 0, 0, 0, 0, 0}, ReplyKind::blank},
        {{0, 255, 255, 255, 255, 255}, ReplyKind::blank},
        {{0, 0, 1, 2, 3, 4}, ReplyKind::acknowledgement},
        {{0, 0, 1, 2, 3, 99}, ReplyKind::acknowledgement}, // byte 5 is the channel, not a check byte
        {{0, 1, 0, 1, 44, 44}, ReplyKind::numberReport},
        {{0, 1, 0, 1, 44, 45}, ReplyKind::other},
        {{0, 32, 0, 0, 11, 43}, ReplyKind::addressReport},
        {{0, 41, 15, 255, 254, 41 ^ 15 ^ 255 ^ 254}, ReplyKind::addressReport},
        {{0, 42, 0, 0, 0, 42}, ReplyKind::other},
        {{0, 64, 1, 1, 4, 68}, ReplyKind::parameterReply},
        {{0, 66, 60, 25, 1, 102}, ReplyKind::parameterReply},
        {{0, 67, 0, 0, 0, 67}, ReplyKind::other},
        {{0, 96, 0, 1, 44, 77}, ReplyKind::numberReply},
        {{0, 97, 0, 1, 44, 76}, ReplyKind::numberReply},
        {{0, 97, 0, 1, 44, 77}, ReplyKind::other},
    };
    for (const Case& c : cases) EXPECT_EQ(ClassifyReply(c.frame), c.kind) << c.frame[1] << "," << c.frame[5];
}

TEST(Protocol, NumbersTravelAs24BitsWithTheirCheckByte) {
    const Frame f = EncodeNumberFrame(code::kCallNumber, 1048574);
    EXPECT_EQ(f, (Frame{0, 96, 15, 255, 254, 96 ^ 15 ^ 255 ^ 254}));
    EXPECT_TRUE(CheckByteRight(f));
    EXPECT_EQ(FrameNumber(f), 1048574);
    EXPECT_EQ(FrameNumber(EncodeNumberFrame(code::kProgramNumber, NumericValue(" 3 00"))), 300);
}

TEST(Protocol, TheTraceSaysWhatEveryFrameMeans) {
    EXPECT_EQ(DescribeFrame(kConnectionTestFrame, true), "connection test");
    EXPECT_EQ(DescribeFrame(BoxChannelFrame(4), true), "box channel B");
    EXPECT_EQ(DescribeFrame(EncodeNumberFrame(code::kReadAddress0 + 9, 12), true), "read address 10, detector 12");
    EXPECT_EQ(DescribeFrame({0, code::kWriteLevelDynMinus, 0, 0, 12, 50}, true), "write level DYN- = 50, detector 12");
    EXPECT_EQ(DescribeFrame({0, code::kWritePowerMin, 0, 0, 12, 0}, true), "write output power min, detector 12");
    EXPECT_EQ(DescribeFrame({0, 99, 0, 0, 0, 99}, true), "unknown command");
    EXPECT_EQ(DescribeFrame({0, 0, 1, 2, 3, 3}, false), "acknowledgement, box channel A");
    EXPECT_EQ(DescribeFrame({0, 64, 1, 1, 4, 68}, false), "group 1: power 1, channel 1, dynamic time 4");
    EXPECT_EQ(DescribeFrame({0, 64, 1, 1, 4, 69}, false), "bad check byte");
    EXPECT_EQ(DescribeFrame({0, 0, 0, 0, 0, 0}, false), "unknown reply");
    EXPECT_EQ(DescribeFrame(EncodeNumberFrame(code::kAddressValue0 + 2, 33), false), "address 3 = 33");
    EXPECT_EQ(DescribeFrame(EncodeNumberFrame(code::kProgramNumber, 301), false), "detector now has number 301");
}
