#include "protocol/codec.h"

#include <cmath>

namespace quelm {

Frame EncodeReadRequest(int group, double number) { return EncodeNumberFrame(code::kReadGroup1 - 1 + group, number); }

Frame EncodeWriteCommand(Parameter parameter, int value, double number) {
    switch (parameter) {
    case Parameter::channel: return EncodeNumberFrame(code::kWriteChannelA + value, number);
    case Parameter::dynamicTime: return EncodeNumberFrame(code::kWriteDynamicTime0 + value, number);
    case Parameter::outputPower: return EncodeNumberFrame(code::kWritePowerMax + value, number);
    default: break;
    }
    using namespace code;
    static constexpr int kCode[] = {0,
                                    0,
                                    0,
                                    kWriteRiseTime,
                                    kWriteFallTime,
                                    kWriteLevelOnPlus,
                                    kWriteLevelDynPlus,
                                    kWriteLevelDynMinus,
                                    kWriteCommandType};
    Frame f = EncodeNumberFrame(kCode[static_cast<int>(parameter)], number);
    f[5] = value; // byte 5 carries the value, not a check byte
    return f;
}

int LevelByte(double level) {
    const double r = std::nearbyint(std::fmax(0.0, std::fmin(255.0, level)));
    return static_cast<int>(r);
}

} // namespace quelm
