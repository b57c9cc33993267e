#pragma once
// Numbers in frames and in the window's text boxes.
#include "protocol/frame.h"

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

// A frame with the number's bytes and the exclusive-or of bytes 1 to 4.
Frame EncodeNumberFrame(int code, double number);

} // namespace quelm
