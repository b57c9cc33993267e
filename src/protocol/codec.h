#pragma once
// The byte forms of read requests and write commands of the nine parameters.
#include "protocol/number.h"

#include <cstddef>
#include <optional>

namespace quelm {

// Read request of parameter group 1, 2 or 3 (code 64, 65, 66).
Frame EncodeReadRequest(int group, double number);

enum class Parameter {
    channel,
    dynamicTime,
    outputPower,
    riseTime,
    fallTime,
    levelOnPlus,
    levelDynPlus,
    levelDynMinus,
    commandType
};
inline constexpr std::size_t kParameterCount = 9;

// The write command of one parameter. `value` is the code of the choice
// (channel A=0 B=1; dynamic time 5 s .. 10 min = 0..5; output power max=0
// med=1 min=2; rise and fall time 0..6; command type L1+L3=0 L1=1) or, for
// a level, the level byte.
Frame EncodeWriteCommand(Parameter parameter, int value, double number);

// What a write command writes: its parameter and the value it takes.
struct WrittenValue {
    Parameter parameter;
    int value;
};
std::optional<WrittenValue> DecodeWriteCommand(const Frame& f);

// A level as sent: the nearest integer, an exact half going to the even
// neighbour, kept within 0..255.
int LevelByte(double level);

} // namespace quelm
