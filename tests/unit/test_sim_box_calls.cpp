// The simulated box's calls, number programming and parameter writes, with
// the knobs that make its detectors misbehave on purpose.
#include "drivers/sim/sim_box.h"

#include <gtest/gtest.h>

using namespace quelm::sim;

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes Frame(std::uint8_t code, std::uint32_t n) {
    const Bytes f{code, std::uint8_t(n >> 16), std::uint8_t(n >> 8), std::uint8_t(n)};
    return {f[0], f[1], f[2], f[3], std::uint8_t(f[0] ^ f[1] ^ f[2] ^ f[3])};
}

const Bytes kAck{0, 1, 2, 3, 3};

struct SimCalls : ::testing::Test {
    SimBox box{[] {
        BoxConfig c;
        c.detectors = {Detector{.number = 12}, Detector{.number = 300}};
        return c;
    }()};
    std::int64_t t = 0;
    // One request, 100 ms after the last; what came back.
    Bytes ask(const Bytes& request) {
        for (std::uint8_t b : request) box.hostByte(t, b);
        t += 100'000;
        Bytes out;
        for (std::uint8_t b = 0; box.takeByte(t, b);) out.push_back(b);
        return out;
    }
};

} // namespace

TEST_F(SimCalls, ProgrammingRefusesANumberHeldElsewhereOrTooLargeAndKeepsItsOwn) {
    EXPECT_EQ(ask(Frame(96, 12)), Frame(96, 12));
    EXPECT_TRUE(ask(Frame(97, 300)).empty());     // detector 300 has it
    EXPECT_TRUE(ask(Frame(97, 1048575)).empty()); // no detector can hold it
    EXPECT_EQ(ask(Frame(97, 12)), Frame(97, 12)); // its own number again
    EXPECT_EQ(ask(Frame(97, 1048574)), Frame(97, 1048574));
    EXPECT_EQ(box.detector(12), nullptr);
    EXPECT_NE(box.detector(300), nullptr);
}

TEST_F(SimCalls, KnobsRefuseAWriteAcknowledgeCallsAndAnswerAsAnother) {
    CallKnobs knobs;
    knobs.refusedWrites = {68, 88};
    knobs.acksBeforeAnswer = 2;
    knobs.answerCallsAs = 77;
    box.setCallKnobs(knobs);
    EXPECT_EQ(ask({68, 0, 0, 12, 4}), kAck);
    EXPECT_EQ(ask(Frame(88, 12)), kAck);
    EXPECT_EQ(ask({69, 0, 0, 12, 4}), kAck);
    EXPECT_EQ(box.detector(12)->riseTime, 0);
    EXPECT_EQ(box.detector(12)->fallTime, 4);
    EXPECT_EQ(ask(Frame(96, 12)), kAck);
    EXPECT_EQ(ask(Frame(96, 12)), kAck);
    EXPECT_EQ(ask(Frame(96, 12)), Frame(96, 77));
    EXPECT_EQ(ask(Frame(96, 12)), kAck); // the next call is acknowledged again
    // The called detector is the one renamed, whatever number it answered.
    EXPECT_EQ(ask(Frame(97, 500)), Frame(97, 500));
    EXPECT_NE(box.detector(500), nullptr);
    EXPECT_EQ(box.detector(12), nullptr);
}
