// The meaning of a frame in words, for the protocol trace.
#include "protocol/frame.h"

namespace quelm {

namespace {

using namespace code;

std::string Num(std::int64_t n) { return std::to_string(n); }

std::string DescribeToBox(const Frame& b) {
    const std::int64_t c = b[1];
    const std::string n = Num(FrameNumber(b));
    if (b == kConnectionTestFrame) return "connection test";
    if (c == kBoxFrame && b[2] == 1 && b[3] == 2 && b[4] == 3) return b[5] == 4 ? "box channel B" : "box channel A";
    if (c == kTestNumber) return "test number " + n;
    if (c >= kReadAddress0 && c < kReadAddress0 + kAddressCount)
        return "read address " + Num(c - kReadAddress0 + 1) + ", detector " + n;
    if (c >= kWriteAddress0 && c < kWriteAddress0 + kAddressCount)
        return "write address " + Num(c - kWriteAddress0 + 1) + " = " + n;
    if (c >= kReadGroup1 && c <= kReadGroup3)
        return "read parameters group " + Num(c - kReadGroup1 + 1) + ", detector " + n;
    if (c >= kWriteRiseTime && c <= kWriteCommandType) {
        static const char* names[] = {"rise time",  "fall time",  "level ON+",
                                      "level DYN+", "level DYN-", "command type"};
        return "write " + std::string(names[c - kWriteRiseTime]) + " = " + Num(b[5]) + ", detector " + n;
    }
    if (c >= kWriteDynamicTime0 && c < kWriteDynamicTime0 + 6)
        return "write dynamic time code " + Num(c - kWriteDynamicTime0) + ", detector " + n;
    if (c == kWriteChannelA || c == kWriteChannelB)
        return std::string("write detector channel ") + (c == kWriteChannelA ? "A" : "B") + ", detector " + n;
    if (c >= kWritePowerMax && c <= kWritePowerMin)
        return "write output power " +
               std::string(c == kWritePowerMax   ? "max"
                           : c == kWritePowerMed ? "med"
                                                 : "min") +
               ", detector " + n;
    if (c == kCallNumber) return "call detector " + n;
    if (c == kProgramNumber) return "program new number " + n;
    return "unknown command";
}

std::string DescribeFromBox(const Frame& b) {
    const std::int64_t c = b[1];
    switch (ClassifyReply(b)) {
    case ReplyKind::acknowledgement:
        return std::string("acknowledgement, box channel ") + (b[5] == 4 ? "B" : b[5] == 3 ? "A" : "?");
    case ReplyKind::numberReport: return "detector reports number " + Num(FrameNumber(b));
    case ReplyKind::addressReport: return "address " + Num(c - kAddressValue0 + 1) + " = " + Num(FrameNumber(b));
    case ReplyKind::parameterReply:
        if (c == kReadGroup1)
            return "group 1: power " + Num(b[2]) + ", channel " + Num(b[3]) + ", dynamic time " + Num(b[4]);
        if (c == kReadGroup2) return "group 2: rise " + Num(b[2]) + ", fall " + Num(b[3]) + ", ON+ " + Num(b[4]);
        return "group 3: DYN+ " + Num(b[2]) + ", DYN- " + Num(b[3]) + ", type " + Num(b[4]);
    case ReplyKind::numberReply:
        if (c == kCallNumber) return "detector " + Num(FrameNumber(b)) + " answers";
        return "detector now has number " + Num(FrameNumber(b));
    case ReplyKind::blank:
    case ReplyKind::other: break;
    }
    return CheckByteRight(b) ? "unknown reply" : "bad check byte";
}

} // namespace

std::string DescribeFrame(const Frame& f, bool toBox) { return toBox ? DescribeToBox(f) : DescribeFromBox(f); }

} // namespace quelm
