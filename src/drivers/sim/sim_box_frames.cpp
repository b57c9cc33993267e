// What the simulated box and its detectors answer to each frame from the
// host. Every answer is a whole five-byte frame, or silence.
#include "drivers/sim/sim_box.h"

namespace quelm::sim {
namespace {

using Frame = std::array<std::uint8_t, 5>;

std::uint8_t xorOf(const Frame& f) { return f[0] ^ f[1] ^ f[2] ^ f[3]; }
bool checksumOk(const Frame& f) { return f[4] == xorOf(f); }

std::uint32_t numberOf(const Frame& f) { return (std::uint32_t{f[1]} << 16) | (std::uint32_t{f[2]} << 8) | f[3]; }

Frame frameOf(std::uint8_t code, std::uint8_t b2, std::uint8_t b3, std::uint8_t b4) {
    Frame f{code, b2, b3, b4, 0};
    f[4] = xorOf(f);
    return f;
}

Frame numberFrame(std::uint8_t code, std::uint32_t n) {
    return frameOf(code, static_cast<std::uint8_t>(n >> 16), static_cast<std::uint8_t>(n >> 8),
                   static_cast<std::uint8_t>(n));
}

bool isValueWrite(std::uint8_t code) { return code >= 68 && code <= 73; }
bool isCodeWrite(std::uint8_t code) { return code >= 80 && code <= 90; }
bool isAddressWrite(std::uint8_t code) { return code >= 48 && code <= 57; }
bool isAddressRead(std::uint8_t code) { return code >= 16 && code <= 25; }
bool isParameterRead(std::uint8_t code) { return code >= 64 && code <= 66; }

} // namespace

std::optional<SimBox::Frame> SimBox::answer(const Frame& f) {
    const std::uint8_t code = f[0];
    if (code == 0) return answerBoxFrame(f);
    // The six value writes carry their value where the checksum would be.
    if (isValueWrite(code)) return answerParameterWrite(f);
    if (!checksumOk(f)) return std::nullopt;
    if (code == 1) return acknowledgement(); // test number: the box only takes it
    if (isAddressRead(code) || isParameterRead(code)) return answerRead(f);
    if (code == 96 || code == 97) return answerCall(f);
    if (isAddressWrite(code)) return answerWrite(f);
    if (isCodeWrite(code)) return answerParameterWrite(f);
    return std::nullopt;
}

// The fixed frames of the box: connection test and box channel.
std::optional<SimBox::Frame> SimBox::answerBoxFrame(const Frame& f) {
    if (f == Frame{0, 1, 1, 2, 2}) {
        ++connectionTests_;
        if (config_.reportNumber && connectionTests_ >= config_.reportAfterTests)
            return numberFrame(1, *config_.reportNumber);
        return acknowledgement();
    }
    if (f == Frame{0, 1, 2, 3, 3} || f == Frame{0, 1, 2, 3, 4}) {
        config_.channel = f[4];
        return acknowledgement();
    }
    return std::nullopt;
}

std::optional<SimBox::Frame> SimBox::answerRead(const Frame& f) {
    const Detector* d = select(numberOf(f));
    if (d == nullptr) return std::nullopt;
    switch (f[0]) {
    case 64: return frameOf(64, d->outputPower, d->channel, d->dynamicTime);
    case 65: return frameOf(65, d->riseTime, d->fallTime, d->levelOnPlus);
    case 66: return frameOf(66, d->levelDynPlus, d->levelDynMinus, d->commandType);
    default: {
        const int index = f[0] - 16;
        return numberFrame(static_cast<std::uint8_t>(32 + index), d->addresses[index]);
    }
    }
}

// The box acknowledges every write; the detector takes it if it is there.
std::optional<SimBox::Frame> SimBox::answerWrite(const Frame& f) {
    const int index = f[0] - 48;
    Detector* d = selected_ ? detector(*selected_) : nullptr;
    if (d != nullptr && index == refusedAddress_ && refusalsLeft_ > 0)
        --refusalsLeft_;
    else if (d != nullptr)
        d->addresses[index] = numberOf(f);
    return acknowledgement();
}

SimBox::Frame SimBox::acknowledgement() const { return {0, 1, 2, 3, config_.channel}; }

Detector* SimBox::select(std::uint32_t number) {
    Detector* d = detector(number);
    selected_ = d ? std::optional<std::uint32_t>(number) : std::nullopt;
    return d;
}

} // namespace quelm::sim
