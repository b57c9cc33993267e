#pragma once
// The nine parameters of a detector, the numeric value of a text, and the
// byte forms of numbers, read requests and write commands.
#include <array>
#include <cstdint>
#include <string_view>

namespace quelm {

// The number at the start of a text: blanks, tabs and line feeds anywhere are
// ignored; an optional sign, digits with "." as decimal point and an optional
// exponent, or &H / &O for a hexadecimal or octal integer; reading stops at
// the first character that does not fit; 0 when there is no number. Never
// infinite: an overflowing number gives the largest finite value of its sign.
double NumericValue(std::string_view text);

// Data bytes 2, 3 and 4 for a number: the 24-bit big-endian form of floor(N)
// for 0 <= N < 16777216. Outside that range at least one byte falls outside
// 0..255 (the frame is then refused by the transport), without overflow.
std::array<std::int64_t, 3> EncodeNumber(double number);

using OutFrame = std::array<std::int64_t, 6>; // bytes 1 to 5; 0 unused

// A frame with the number's bytes and the exclusive-or of bytes 1 to 4.
OutFrame EncodeNumberFrame(int code, double number);
// Read request of parameter group 1, 2 or 3 (code 64, 65, 66).
OutFrame EncodeReadRequest(int group, double number);

enum class Parameter { channel, dynamicTime, outputPower, riseTime, fallTime, levelOnPlus, levelDynPlus, levelDynMinus, commandType };

// The write command of one parameter. `value` is the code of the choice
// (channel A=0 B=1; dynamic time 5 s .. 10 min = 0..5; output power max=0
// med=1 min=2; rise and fall time 0..6; command type L1+L3=0 L1=1) or, for
// a level, the level byte.
OutFrame EncodeWriteCommand(Parameter parameter, int value, double number);

// A level as sent: the nearest integer, an exact half going to the even
// neighbour, kept within 0..255.
int LevelByte(double level);

} // namespace quelm
