// What the simulated detectors answer to a call (96), to a new number (97)
// and to the writes of their parameters, with the knobs that make them
// misbehave on purpose.
#include "drivers/sim/sim_box.h"

#include <algorithm>

namespace quelm::sim {
namespace {

using Frame = std::array<std::uint8_t, 5>;

constexpr std::uint32_t kMaxDetectorNumber = 1048574;

std::uint32_t numberOf(const Frame& f) { return (std::uint32_t{f[1]} << 16) | (std::uint32_t{f[2]} << 8) | f[3]; }

Frame numberFrame(std::uint8_t code, std::uint32_t n) {
    Frame f{code, static_cast<std::uint8_t>(n >> 16), static_cast<std::uint8_t>(n >> 8), static_cast<std::uint8_t>(n),
            0};
    f[4] = f[0] ^ f[1] ^ f[2] ^ f[3];
    return f;
}

// The write commands whose byte 5 is the value (68 to 73).
void writeValue(Detector& d, std::uint8_t code, std::uint8_t value) {
    switch (code) {
    case 68: d.riseTime = value; break;
    case 69: d.fallTime = value; break;
    case 70: d.levelOnPlus = value; break;
    case 71: d.levelDynPlus = value; break;
    case 72: d.levelDynMinus = value; break;
    default: d.commandType = value; break;
    }
}

// The write commands whose code is the value (80 to 90).
void writeCode(Detector& d, std::uint8_t code) {
    static constexpr std::uint8_t kDynamicTimeCodes[] = {0, 1, 2, 4, 6, 7};
    if (code <= 85)
        d.dynamicTime = kDynamicTimeCodes[code - 80];
    else if (code <= 87)
        d.channel = static_cast<std::uint8_t>(code - 86);
    else
        d.outputPower = static_cast<std::uint8_t>(code - 88);
}

} // namespace

// 96 calls a detector by its number, which selects it; 97 gives the called
// one a new number. A detector refuses (stays silent) a number it cannot
// hold or one another detector already answers to.
std::optional<SimBox::Frame> SimBox::answerCall(const Frame& f) {
    const std::uint32_t n = numberOf(f);
    if (f[0] == 96) {
        const Detector* d = select(n);
        if (callAcksGiven_ < knobs_.acksBeforeAnswer) {
            ++callAcksGiven_;
            return acknowledgement();
        }
        callAcksGiven_ = 0;
        if (d == nullptr) return std::nullopt;
        return numberFrame(96, knobs_.answerCallsAs.value_or(n));
    }
    Detector* d = selected_ ? detector(*selected_) : nullptr;
    if (d == nullptr || n > kMaxDetectorNumber) return std::nullopt;
    const Detector* holder = detector(n);
    if (holder != nullptr && holder != d) return std::nullopt;
    if (knobs_.echoesNewNumber) return numberFrame(97, n);
    d->number = n;
    selected_ = n;
    return numberFrame(97, n);
}

// The box acknowledges every write; the detector it names takes it, if it
// is there and does not refuse that code.
std::optional<SimBox::Frame> SimBox::answerParameterWrite(const Frame& f) {
    const std::uint8_t code = f[0];
    const auto& refused = knobs_.refusedWrites;
    Detector* d = detector(numberOf(f));
    if (d != nullptr && std::find(refused.begin(), refused.end(), code) == refused.end()) {
        if (code <= 73)
            writeValue(*d, code, f[4]);
        else
            writeCode(*d, code);
    }
    return acknowledgement();
}

} // namespace quelm::sim
