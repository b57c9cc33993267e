// The meaning of a frame in words, for the protocol trace, in French
// (language 1) or English (any other).
#include "protocol/frame.h"

namespace quelm {

namespace {

using namespace code;

std::string Num(std::int64_t n) { return std::to_string(n); }

// The words of one language; every phrase of a frame's meaning is here.
struct Words {
    const char* connectionTest;
    const char* boxChannel;
    const char* testNumber;
    const char* readAddress;
    const char* writeAddress;
    const char* readGroup;
    const char* write;
    const char* writeDynamicTime;
    const char* writeChannel;
    const char* writePower;
    const char* callDetector;
    const char* programNumber;
    const char* unknownCommand;
    const char* ofDetector; // ", detector "
    const char* acknowledgement;
    const char* reportsNumber;
    const char* address;
    const char* group1; // "group 1: power %1, channel %2, dynamic time %3"
    const char* group2;
    const char* group3;
    const char* answers; // "detector %1 answers"
    const char* nowHasNumber;
    const char* unknownReply;
    const char* badCheckByte;
    const char* written[6]; // rise time ... command type
};

constexpr Words kEnglish = {"connection test",
                            "box channel ",
                            "test number ",
                            "read address ",
                            "write address ",
                            "read parameters group ",
                            "write ",
                            "write dynamic time code ",
                            "write detector channel ",
                            "write output power ",
                            "call detector ",
                            "program new number ",
                            "unknown command",
                            ", detector ",
                            "acknowledgement, box channel ",
                            "detector reports number ",
                            "address ",
                            "group 1: power %1, channel %2, dynamic time %3",
                            "group 2: rise %1, fall %2, ON+ %3",
                            "group 3: DYN+ %1, DYN- %2, type %3",
                            "detector %1 answers",
                            "detector now has number ",
                            "unknown reply",
                            "bad check byte",
                            {"rise time", "fall time", "level ON+", "level DYN+", "level DYN-", "command type"}};

constexpr Words kFrench = {"test de connexion",
                           "canal de la BOX ",
                           "num\xC3\xA9ro de test ",
                           "lecture de l'adresse ",
                           "\xC3\xA9"
                           "criture de l'adresse ",
                           "lecture des param\xC3\xA8tres, groupe ",
                           "\xC3\xA9"
                           "criture ",
                           "\xC3\xA9"
                           "criture du code de temps dynamique ",
                           "\xC3\xA9"
                           "criture du canal du d\xC3\xA9tecteur ",
                           "\xC3\xA9"
                           "criture de la puissance d'\xC3\xA9mission ",
                           "appel du d\xC3\xA9tecteur ",
                           "programmation du nouveau num\xC3\xA9ro ",
                           "commande inconnue",
                           ", d\xC3\xA9tecteur ",
                           "acquittement, canal de la BOX ",
                           "le d\xC3\xA9tecteur donne le num\xC3\xA9ro ",
                           "adresse ",
                           "groupe 1 : puissance %1, canal %2, temps dynamique %3",
                           "groupe 2 : mont\xC3\xA9"
                           "e %1, descente %2, ON+ %3",
                           "groupe 3 : DYN+ %1, DYN- %2, type %3",
                           "le d\xC3\xA9tecteur %1 r\xC3\xA9pond",
                           "le d\xC3\xA9tecteur a maintenant le num\xC3\xA9ro ",
                           "r\xC3\xA9ponse inconnue",
                           "octet de contr\xC3\xB4le faux",
                           {"temps de mont\xC3\xA9"
                            "e",
                            "temps de descente", "niveau ON+", "niveau DYN+", "niveau DYN-", "type de commande"}};

// `pattern` with %1, %2 and %3 replaced by the three numbers.
std::string Fill(const char* pattern, std::int64_t a, std::int64_t b = 0, std::int64_t c = 0) {
    std::string out;
    for (const char* p = pattern; *p; ++p) {
        if (p[0] == '%' && p[1] >= '1' && p[1] <= '3') {
            out += Num(p[1] == '1' ? a : p[1] == '2' ? b : c);
            ++p;
        } else {
            out += *p;
        }
    }
    return out;
}

std::string DescribeToBox(const Frame& b, const Words& w) {
    const std::int64_t c = b[1];
    const std::string n = Num(FrameNumber(b));
    const std::string of = w.ofDetector + n;
    if (b == kConnectionTestFrame) return w.connectionTest;
    if (c == kBoxFrame && b[2] == 1 && b[3] == 2 && b[4] == 3) return w.boxChannel + std::string(b[5] == 4 ? "B" : "A");
    if (c == kTestNumber) return w.testNumber + n;
    if (c >= kReadAddress0 && c < kReadAddress0 + kAddressCount) return w.readAddress + Num(c - kReadAddress0 + 1) + of;
    if (c >= kWriteAddress0 && c < kWriteAddress0 + kAddressCount)
        return w.writeAddress + Num(c - kWriteAddress0 + 1) + " = " + n;
    if (c >= kReadGroup1 && c <= kReadGroup3) return w.readGroup + Num(c - kReadGroup1 + 1) + of;
    if (c >= kWriteRiseTime && c <= kWriteCommandType)
        return w.write + std::string(w.written[c - kWriteRiseTime]) + " = " + Num(b[5]) + of;
    if (c >= kWriteDynamicTime0 && c < kWriteDynamicTime0 + 6)
        return w.writeDynamicTime + Num(c - kWriteDynamicTime0) + of;
    if (c == kWriteChannelA || c == kWriteChannelB)
        return w.writeChannel + std::string(c == kWriteChannelA ? "A" : "B") + of;
    if (c >= kWritePowerMax && c <= kWritePowerMin)
        return w.writePower + std::string(c == kWritePowerMax ? "max" : c == kWritePowerMed ? "med" : "min") + of;
    if (c == kCallNumber) return w.callDetector + n;
    if (c == kProgramNumber) return w.programNumber + n;
    return w.unknownCommand;
}

std::string DescribeFromBox(const Frame& b, const Words& w) {
    const std::int64_t c = b[1];
    switch (ClassifyReply(b)) {
    case ReplyKind::acknowledgement: return w.acknowledgement + std::string(b[5] == 4 ? "B" : b[5] == 3 ? "A" : "?");
    case ReplyKind::numberReport: return w.reportsNumber + Num(FrameNumber(b));
    case ReplyKind::addressReport: return w.address + Num(c - kAddressValue0 + 1) + " = " + Num(FrameNumber(b));
    case ReplyKind::parameterReply:
        if (c == kReadGroup1) return Fill(w.group1, b[2], b[3], b[4]);
        if (c == kReadGroup2) return Fill(w.group2, b[2], b[3], b[4]);
        return Fill(w.group3, b[2], b[3], b[4]);
    case ReplyKind::numberReply:
        if (c == kCallNumber) return Fill(w.answers, FrameNumber(b));
        return w.nowHasNumber + Num(FrameNumber(b));
    case ReplyKind::blank:
    case ReplyKind::other: break;
    }
    return CheckByteRight(b) ? w.unknownReply : w.badCheckByte;
}

} // namespace

std::string DescribeFrame(const Frame& f, bool toBox, int language) {
    const Words& w = language == 1 ? kFrench : kEnglish;
    return toBox ? DescribeToBox(f, w) : DescribeFromBox(f, w);
}

} // namespace quelm
