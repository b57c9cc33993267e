// The simulated box: its replies, its timing, its faults and the driver calls
// on top of it.
#include "core/virtual_clock.h"
#include "drivers/sim/sim_box.h"
#include "drivers/sim/sim_driver.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <utility>

namespace quelm::sim {
namespace {

using Bytes = std::vector<std::uint8_t>;
using Arrivals = std::vector<std::pair<std::int64_t, int>>;

Bytes frame(std::uint8_t code, std::uint32_t n) {
    Bytes f{code, std::uint8_t(n >> 16), std::uint8_t(n >> 8), std::uint8_t(n), 0};
    f[4] = f[0] ^ f[1] ^ f[2] ^ f[3];
    return f;
}

const Bytes kAckA{0, 1, 2, 3, 3};
const Bytes kReply64{64, 1, 1, 4, 64 ^ 1 ^ 1 ^ 4}; // detector 300: med, B, 2 min

Bytes parametersOf(const Detector& d) {
    return {d.outputPower, d.channel,      d.dynamicTime,   d.riseTime,   d.fallTime,
            d.levelOnPlus, d.levelDynPlus, d.levelDynMinus, d.commandType};
}
const Bytes kParameters300{1, 1, 4, 3, 3, 80, 60, 25, 1};

BoxConfig twoDetectors(std::int64_t turnaroundUs = 5000) {
    Detector d{300, 1, 1, 4, 3, 3, 80, 60, 25, 1, {}};
    for (std::uint32_t i = 0; i < 10; ++i) d.addresses[i] = 1001 + i;
    BoxConfig c;
    c.turnaroundUs = turnaroundUs;
    c.detectors = {d, Detector{.number = 12}};
    return c;
}

void send(SimBox& box, std::int64_t tUs, const Bytes& bytes) {
    for (std::uint8_t b : bytes) box.hostByte(tUs, b);
}

Bytes takeAll(SimBox& box, std::int64_t tUs) {
    Bytes out;
    for (std::uint8_t b = 0; box.takeByte(tUs, b);) out.push_back(b);
    return out;
}

Arrivals drain(SimBox& box) {
    Arrivals out;
    std::uint8_t b = 0;
    while (auto t = box.nextArrivalUs())
        if (box.takeByte(*t, b)) out.emplace_back(*t, b);
    return out;
}

// Each request goes out 100 ms after the last, well past the frame gap.
class SimBoxReplies : public ::testing::Test {
protected:
    Bytes ask(const Bytes& request) {
        send(box, t, request);
        return takeAll(box, t += 100'000);
    }
    SimBox box{twoDetectors()};
    std::int64_t t = 0;
};

TEST_F(SimBoxReplies, BoxFramesAreAcknowledgedWithTheBoxChannel) {
    EXPECT_EQ(ask({0, 1, 1, 2, 2}), kAckA);
    EXPECT_EQ(ask({0, 1, 2, 3, 4}), (Bytes{0, 1, 2, 3, 4}));
    EXPECT_EQ(box.channel(), 4);
    EXPECT_EQ(ask({0, 1, 1, 2, 2}), (Bytes{0, 1, 2, 3, 4}));
    EXPECT_EQ(ask({0, 1, 2, 3, 3}), kAckA);
    EXPECT_EQ(ask({1, 0, 1, 44, 44}), kAckA); // test number 300
    EXPECT_TRUE(ask({1, 0, 1, 44, 45}).empty());
    EXPECT_TRUE(ask({0, 1, 2, 3, 5}).empty());

    BoxConfig c = twoDetectors();
    c.reportNumber = 300;
    c.reportAfterTests = 2;
    box = SimBox(c);
    EXPECT_EQ(ask({0, 1, 1, 2, 2}), kAckA);
    EXPECT_EQ(ask({0, 1, 1, 2, 2}), (Bytes{1, 0, 1, 44, 44}));
    EXPECT_EQ(ask({0, 1, 1, 2, 2}), (Bytes{1, 0, 1, 44, 44}));
}

TEST_F(SimBoxReplies, ReadsCarryTheDetectorCodesAndAbsentDetectorsAreSilent) {
    EXPECT_EQ(ask(frame(64, 300)), kReply64);
    EXPECT_EQ(ask(frame(65, 300)), (Bytes{65, 3, 3, 80, 65 ^ 3 ^ 3 ^ 80}));
    EXPECT_EQ(ask(frame(66, 300)), (Bytes{66, 60, 25, 1, 66 ^ 60 ^ 25 ^ 1}));
    for (std::uint8_t code : {16, 25, 64, 65, 66, 96}) EXPECT_TRUE(ask(frame(code, 301)).empty()) << int(code);
    Bytes bad = frame(64, 300);
    bad[4] ^= 1;
    EXPECT_TRUE(ask(bad).empty());
    for (std::uint8_t code : {2, 26, 47, 58, 67, 74, 91, 98, 255})
        EXPECT_TRUE(ask(frame(code, 300)).empty()) << int(code);
    EXPECT_EQ(ask(frame(64, 300)), kReply64); // still in step with the frames
}

TEST_F(SimBoxReplies, AddressesAreReadAndWrittenThroughTheSelectedDetector) {
    EXPECT_EQ(ask(frame(16 + 9, 300)), frame(32 + 9, 1010));
    EXPECT_EQ(ask(frame(48 + 9, 70000)), kAckA);
    EXPECT_EQ(ask(frame(16 + 2, 12)), frame(32 + 2, 0));
    EXPECT_EQ(ask(frame(48 + 2, 5)), kAckA);
    // Addressing an absent detector leaves nothing selected: the write is
    // acknowledged by the box but taken by nobody.
    EXPECT_TRUE(ask(frame(16, 301)).empty());
    EXPECT_EQ(ask(frame(48, 7)), kAckA);
    const auto& a300 = box.detector(300)->addresses;
    const auto& a12 = box.detector(12)->addresses;
    EXPECT_EQ((std::vector<std::uint32_t>{a300[9], a12[2], a300[2], a300[0], a12[0]}),
              (std::vector<std::uint32_t>{70000, 5, 1003, 1001, 0}));
}

TEST_F(SimBoxReplies, ParameterWritesAreAcknowledgedAndStored) {
    EXPECT_EQ(ask({68, 0, 0, 12, 3}), kAckA); // rise time 1.5 s to detector 12
    const Detector& d = *box.detector(12);
    EXPECT_EQ(d.riseTime, 3);
    const std::uint8_t dynamicCodes[] = {0, 1, 2, 4, 6, 7};
    for (std::uint8_t i = 0; i < 6; ++i) {
        EXPECT_EQ(ask(frame(80 + i, 12)), kAckA);
        EXPECT_EQ(d.dynamicTime, dynamicCodes[i]);
    }
    ask(frame(87, 12));
    ask(frame(90, 12));
    EXPECT_EQ((Bytes{d.channel, d.outputPower}), (Bytes{1, 2}));
    for (std::uint8_t code = 69; code <= 73; ++code) ask({code, 0, 0, 12, std::uint8_t(code + 100)});
    const Bytes written = parametersOf(d);
    EXPECT_EQ(Bytes(written.begin() + 4, written.end()), (Bytes{169, 170, 171, 172, 173}));
    Bytes bad = frame(88, 12);
    bad[4] ^= 0x80;
    EXPECT_TRUE(ask(bad).empty());
    EXPECT_EQ(d.outputPower, 2);
    EXPECT_EQ(ask({70, 0, 1, 45, 50}), kAckA); // detector 301 is absent
    EXPECT_EQ(parametersOf(*box.detector(300)), kParameters300);
}

TEST_F(SimBoxReplies, CallSelectsAndNumberProgrammingRenames) {
    EXPECT_TRUE(ask(frame(97, 500)).empty()); // nothing called yet
    EXPECT_EQ(ask({96, 0, 1, 44, 77}), (Bytes{96, 0, 1, 44, 77}));
    EXPECT_EQ(ask(frame(97, 500)), frame(97, 500));
    EXPECT_EQ(box.detector(300), nullptr);
    ASSERT_NE(box.detector(500), nullptr);
    EXPECT_EQ(box.detector(500)->levelOnPlus, 80);
    EXPECT_TRUE(ask(frame(97, 1048575)).empty());
    EXPECT_EQ(ask(frame(97, 1048574)), frame(97, 1048574));
    EXPECT_TRUE(ask(frame(96, 300)).empty());
    EXPECT_TRUE(ask(frame(97, 600)).empty()); // the failed call deselected
}

TEST(SimBoxTiming, ReplyFollowsTurnaroundAndWireTimes) {
    SimBox box(twoDetectors());
    const Bytes request = frame(64, 300);
    for (int i = 0; i < 5; ++i) box.hostByte(1000 * (i + 1), request[i]);
    for (int i = 0; i < 5; ++i) EXPECT_EQ(box.bytesFromHost().at(i).tUs, 1000 * (i + 1) + kByteWireUs);
    const std::int64_t last = 5000 + kByteWireUs, replyEnd = last + 5000 + 5 * kByteWireUs;
    EXPECT_EQ(box.framesReceived().at(0).tUs, last);
    EXPECT_EQ(box.nextArrivalUs(), last + 5000 + kByteWireUs);
    EXPECT_EQ(box.pending(replyEnd - 1), 4u);
    EXPECT_EQ(box.pending(replyEnd), 5u);

    // Bytes written at once wait for the host line; a reply waits for the
    // box line.
    SimBox busy(twoDetectors(0));
    busy.inject(0, Bytes(10, 0xAA));
    send(busy, 0, request);
    EXPECT_EQ(busy.bytesFromHost().back().tUs, 5 * kByteWireUs);
    const Arrivals bytes = drain(busy);
    ASSERT_EQ(bytes.size(), 15u);
    EXPECT_EQ(bytes[9].first, 10 * kByteWireUs);
    EXPECT_EQ(bytes[10], std::make_pair(11 * kByteWireUs, 64));
}

TEST(SimBoxTiming, RecordsAndTheReceiveQueueStayBounded) {
    SimBox box(twoDetectors(0));
    const std::uint64_t frames = 3 * kRecordLimit + 7;
    std::int64_t t = 0;
    for (std::uint64_t i = 0; i < frames; ++i, t += 100'000) send(box, t, frame(64, 300));
    EXPECT_LE(box.framesReceived().size(), kRecordLimit);
    EXPECT_LE(box.bytesFromHost().size(), kRecordLimit);
    EXPECT_EQ(box.framesReceivedTotal(), frames);
    EXPECT_EQ(box.bytesFromHostTotal(), 5 * frames);
    // The latest are the ones kept, in order.
    EXPECT_EQ(box.framesReceived().back().tUs, t - 100'000 + 5 * kByteWireUs);
    EXPECT_TRUE(std::is_sorted(box.framesReceived().begin(), box.framesReceived().end(),
                               [](const ReceivedFrame& a, const ReceivedFrame& b) { return a.tUs < b.tUs; }));
    // The host never read: the replies beyond the queue's size were lost.
    EXPECT_EQ(box.queuedToHost(), kReceiveQueueLimit);
    EXPECT_EQ(takeAll(box, t + 1'000'000).size(), kReceiveQueueLimit);
}

TEST(SimBoxTiming, PauseOverTheFrameGapDropsAPartialFrame) {
    for (std::int64_t extra : {0, 1}) {
        SimBox box(twoDetectors());
        send(box, 0, {9, 9, 9});
        const std::int64_t start = 3 * kByteWireUs + kFrameGapUs + extra - kByteWireUs;
        send(box, start, frame(64, 300));
        ASSERT_EQ(box.framesReceived().size(), 1u);
        // A pause not over the gap keeps the partial frame: misaligned, silent.
        EXPECT_EQ(box.framesReceived()[0].bytes[extra ? 0 : 3], 64);
        EXPECT_EQ(takeAll(box, start + 100'000), extra ? kReply64 : Bytes{});
    }
}

Arrivals faultyRun(const Faults& faults, std::uint64_t seed, int frames = 1) {
    SimBox box(twoDetectors(), seed);
    box.setFaults(faults);
    for (int i = 0; i < frames; ++i) send(box, i * 100'000, frame(64, 300));
    return drain(box);
}

Faults only(double Faults::*kind) {
    Faults f;
    f.*kind = 1;
    return f;
}

TEST(SimBoxFaults, SameSeedReplaysAndAnotherSeedDiffers) {
    Faults f;
    f.drop = f.corrupt = f.delay = f.duplicate = f.cut = f.junk = 0.1;
    const Arrivals a = faultyRun(f, 7, 100);
    EXPECT_EQ(a, faultyRun(f, 7, 100));
    EXPECT_NE(a, faultyRun(f, 8, 100));
    EXPECT_NE(a, faultyRun(Faults{}, 7, 100));
}

TEST(SimBoxFaults, EachFaultChangesTheReplyAsDescribed) {
    EXPECT_TRUE(faultyRun(only(&Faults::drop), 1).empty());
    Arrivals r = faultyRun(only(&Faults::corrupt), 1);
    ASSERT_EQ(r.size(), 5u);
    for (int i = 0; i < 5; ++i) EXPECT_EQ(std::popcount(unsigned(r[i].second ^ kReply64[i])), 1);
    r = faultyRun(only(&Faults::duplicate), 1);
    ASSERT_EQ(r.size(), 10u);
    for (int i = 0; i < 10; ++i) EXPECT_EQ(r[i].second, kReply64[i / 2]);
    r = faultyRun(only(&Faults::junk), 1);
    ASSERT_EQ(r.size(), 10u);
    for (int i = 0; i < 5; ++i) EXPECT_EQ(r[2 * i + 1].second, kReply64[i]);

    std::vector<Bytes> replies(20); // one per request, 100 ms apart
    for (const auto& [t, b] : faultyRun(only(&Faults::cut), 1, 20)) replies[t / 100'000].push_back(std::uint8_t(b));
    for (const Bytes& reply : replies) {
        ASSERT_TRUE(reply.size() >= 1 && reply.size() <= 4) << reply.size();
        EXPECT_TRUE(std::equal(reply.begin(), reply.end(), kReply64.begin()));
    }

    const Faults delay = only(&Faults::delay);
    r = faultyRun(delay, 1);
    ASSERT_EQ(r.size(), 5u);
    for (int i = 0; i < 5; ++i) EXPECT_EQ(r[i].second, kReply64[i]);
    const std::int64_t nominalEnd = 5 * kByteWireUs + 5000 + 5 * kByteWireUs;
    EXPECT_GT(r.back().first, nominalEnd);
    EXPECT_LE(r.back().first, nominalEnd + 5 * delay.maxDelayMs * 1000);
}

TEST(SimBoxPlug, UnpluggedBoxLosesItsBytesAndAnswersNothing) {
    BoxConfig c = twoDetectors();
    c.boxesAttached = 2;
    SimBox box(c);
    send(box, 0, frame(64, 300));
    send(box, 10'000, {64, 0}); // a partial frame, lost with the cable
    box.unplug();
    EXPECT_EQ(box.deviceCount(), 0u);
    EXPECT_EQ(box.pending(1'000'000), 0u);
    send(box, 11'000, frame(64, 300));
    EXPECT_EQ(box.framesReceived().size(), 1u);
    EXPECT_FALSE(box.nextArrivalUs());
    box.plugIn();
    EXPECT_EQ(box.deviceCount(), 2u);
    send(box, 12'000, frame(64, 300)); // within the frame gap of the partial frame
    EXPECT_EQ(takeAll(box, 200'000), kReply64);
}

class SimDriverTest : public ::testing::Test {
protected:
    DeviceHandle openConfigured() {
        DeviceHandle h = 0;
        EXPECT_EQ(driver.open(0, h), kOk);
        EXPECT_EQ(driver.setTimeouts(h, 5, 10), kOk);
        return h;
    }
    VirtualClock clock;
    SimBox box{twoDetectors(20'000)};
    SimDriver driver{box, clock};
    std::uint8_t byte = 42;
    std::uint32_t count = 9, written = 9;
};

TEST_F(SimDriverTest, OpenAndCloseFollowTheVendorDriver) {
    DeviceHandle h = 77, other = 5;
    EXPECT_EQ(driver.open(1, h), kDeviceNotFound);
    EXPECT_EQ(h, 77u);
    ASSERT_EQ(driver.open(0, h), kOk);
    EXPECT_EQ(driver.open(0, other), kDeviceNotOpened);
    EXPECT_EQ(other, 5u);
    EXPECT_EQ(driver.close(h + 1), kInvalidHandle);
    EXPECT_EQ(driver.close(h), kOk);
    EXPECT_EQ(driver.close(h), kInvalidHandle);
    EXPECT_EQ(driver.writeByte(h, 1, written), kInvalidHandle);
    EXPECT_EQ(written, 0u);
    EXPECT_TRUE(box.bytesFromHost().empty());
    ASSERT_EQ(driver.open(0, other), kOk);
    EXPECT_NE(other, h);
    EXPECT_EQ(driver.setBaudRate(h, 19200), kInvalidHandle);
    EXPECT_EQ(driver.setBaudRate(other, 19200), kOk);
}

TEST_F(SimDriverTest, UnpluggedBoxIsNotFoundAndEndsTheSession) {
    const DeviceHandle h = openConfigured();
    box.unplug();
    EXPECT_EQ(driver.countDevices(count), kOk);
    EXPECT_EQ(count, 0u);
    EXPECT_EQ(driver.writeByte(h, 1, written), kIoError);
    DeviceHandle h2 = h;
    EXPECT_EQ(driver.open(0, h2), kDeviceNotFound);
    box.plugIn();
    EXPECT_EQ(driver.writeByte(h, 1, written), kInvalidHandle);
    EXPECT_EQ(driver.open(0, h2), kOk);
}

TEST_F(SimDriverTest, ReadWaitsForTheNextByteAtMostTheReadTimeOut) {
    const DeviceHandle h = openConfigured();
    EXPECT_EQ(driver.readByte(h, byte, count), kOk);
    EXPECT_EQ(std::make_tuple(count, byte, clock.nowUs()), std::make_tuple(0u, std::uint8_t{42}, std::int64_t{5000}));

    for (std::uint8_t b : frame(64, 300)) {
        ASSERT_EQ(driver.writeByte(h, b, written), kOk);
        clock.sleepUs(1000);
    }
    const std::int64_t first = *box.nextArrivalUs();
    clock.sleepUs(first - 6000 - clock.nowUs()); // the byte is 6 ms away: too far
    EXPECT_EQ(driver.readByte(h, byte, count), kOk);
    EXPECT_EQ(std::make_pair(count, clock.nowUs()), std::make_pair(0u, first - 1000));
    EXPECT_EQ(driver.readByte(h, byte, count), kOk); // now 1 ms away: early return
    EXPECT_EQ(std::make_tuple(count, byte, clock.nowUs()), std::make_tuple(1u, std::uint8_t{64}, first));

    clock.sleepUs(10'000);
    std::uint32_t rx = 0, tx = 9, events = 9;
    EXPECT_EQ(driver.getStatus(h, rx, tx, events), kOk);
    EXPECT_EQ(rx, 4u);
    Bytes rest;
    for (int i = 0; i < 4 && driver.readByte(h, byte, count) == kOk; ++i) rest.push_back(byte);
    EXPECT_EQ(rest, Bytes(kReply64.begin() + 1, kReply64.end()));
    EXPECT_EQ(clock.nowUs(), first + 10'000);
}

} // namespace
} // namespace quelm::sim
