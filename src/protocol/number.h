#pragma once
// Numbers in frames, and numbers as texts whatever the process's locale.
#include "protocol/frame.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace quelm {

// The number at the start of a text: blanks, tabs and line feeds anywhere are
// ignored; an optional sign, digits with "." as decimal point and an optional
// exponent, or &H / &O for a hexadecimal or octal integer; reading stops at
// the first character that does not fit; 0 when there is no number. Never
// infinite: an overflowing number gives the largest finite value of its sign.
// The locale of the process plays no part: a comma always ends the number.
double NumericValue(std::string_view text);

// The value of a text that is a whole number and nothing else: decimal
// digits, blanks around them allowed, at most `max`. "abc", "12,5", "5x",
// "-3", "1e2" and an empty text are none.
std::optional<long> PlainWholeNumber(std::string_view text, long max);

// The text of a number with at most `digits` (1 to 17) significant digits,
// in the shorter of the plain and exponent forms ("0.5", "1e+20"), as
// printf's "%.*g" writes it in the "C" locale. The decimal point is "."
// whatever the locale of the process, so texts and files read the same
// everywhere.
std::string GeneralText(double value, int digits);

// The text of a number with `decimals` (0 to 17) digits after ".",
// right-aligned with blanks in at least `width` characters, as printf's
// "%*.*f" writes it in the "C" locale.
std::string FixedText(double value, int decimals, std::size_t width);

// Data bytes 2, 3 and 4 for a number: the 24-bit big-endian form of floor(N)
// for 0 <= N < 16777216. Outside that range at least one byte falls outside
// 0..255 (the frame is then refused by the transport), without overflow.
std::array<std::int64_t, 3> EncodeNumber(double number);

// A frame with the number's bytes and the exclusive-or of bytes 1 to 4.
Frame EncodeNumberFrame(int code, double number);

} // namespace quelm
