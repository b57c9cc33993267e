#include "protocol/frame.h"

namespace quelm {

std::int64_t CheckByte(const Frame& f) { return f[1] ^ f[2] ^ f[3] ^ f[4]; }

bool CheckByteRight(const Frame& f) { return f[5] == CheckByte(f); }

bool IsReply(const Frame& f, std::int64_t code) { return f[1] == code && CheckByteRight(f); }

std::int64_t FrameNumber(const Frame& f) { return f[2] * 65536 + f[3] * 256 + f[4]; }

ReplyKind ClassifyReply(const Frame& f) {
    using namespace code;
    if (f[1] == f[5] && f[2] == f[5] && f[3] == f[5] && f[4] == f[5]) return ReplyKind::blank;
    if (f[1] == 0 && f[2] == 1 && f[3] == 2 && f[4] == 3) return ReplyKind::acknowledgement;
    if (!CheckByteRight(f)) return ReplyKind::other;
    const std::int64_t c = f[1];
    if (c == kTestNumber) return ReplyKind::numberReport;
    if (c >= kAddressValue0 && c < kAddressValue0 + kAddressCount) return ReplyKind::addressReport;
    if (c >= kReadGroup1 && c <= kReadGroup3) return ReplyKind::parameterReply;
    if (c == kCallNumber || c == kProgramNumber) return ReplyKind::numberReply;
    return ReplyKind::other;
}

Frame FromWire(const WireFrame& w) { return {0, w[0], w[1], w[2], w[3], w[4]}; }

} // namespace quelm
