#include "protocol/codec.h"

#include <cmath>
#include <iterator>

namespace quelm {

Frame EncodeReadRequest(int group, double number) { return EncodeNumberFrame(code::kReadGroup1 - 1 + group, number); }

namespace {

// How each parameter's write goes, in Parameter order: one code per choice
// (the first choice's code plus the value), or one code with the value in
// byte 5.
struct WriteForm {
    int code;
    bool codePerChoice;
    int choices; // codes from `code` on, for a code per choice
};

using namespace code;
constexpr WriteForm kWriteForms[] = {
    {kWriteChannelA, true, 2},      {kWriteDynamicTime0, true, 6},   {kWritePowerMax, true, 3},
    {kWriteRiseTime, false, 0},     {kWriteFallTime, false, 0},      {kWriteLevelOnPlus, false, 0},
    {kWriteLevelDynPlus, false, 0}, {kWriteLevelDynMinus, false, 0}, {kWriteCommandType, false, 0},
};
static_assert(std::size(kWriteForms) == kParameterCount);

} // namespace

Frame EncodeWriteCommand(Parameter parameter, int value, double number) {
    const WriteForm& w = kWriteForms[static_cast<std::size_t>(parameter)];
    if (w.codePerChoice) return EncodeNumberFrame(w.code + value, number);
    Frame f = EncodeNumberFrame(w.code, number);
    f[5] = value; // byte 5 carries the value, not a check byte
    return f;
}

std::optional<WrittenValue> DecodeWriteCommand(const Frame& f) {
    for (std::size_t i = 0; i < std::size(kWriteForms); ++i) {
        const WriteForm& w = kWriteForms[i];
        const auto parameter = static_cast<Parameter>(i);
        if (w.codePerChoice && f[1] >= w.code && f[1] < w.code + w.choices)
            return WrittenValue{parameter, static_cast<int>(f[1] - w.code)};
        if (!w.codePerChoice && f[1] == w.code) return WrittenValue{parameter, static_cast<int>(f[5])};
    }
    return std::nullopt;
}

int LevelByte(double level) {
    const double r = std::nearbyint(std::fmax(0.0, std::fmin(255.0, level)));
    return static_cast<int>(r);
}

} // namespace quelm
