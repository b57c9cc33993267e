#include "detector/codec.h"

#include <cctype>
#include <cfloat>
#include <cmath>
#include <cstdlib>
#include <string>

namespace quelm {

namespace {

double Finite(double v) {
    if (std::isnan(v)) return 0;
    if (std::isinf(v)) return v > 0 ? DBL_MAX : -DBL_MAX;
    return v;
}

double RadixValue(const std::string& s, std::size_t i, int radix) {
    double v = 0;
    for (; i < s.size(); ++i) {
        const char c = static_cast<char>(std::toupper(static_cast<unsigned char>(s[i])));
        const int d = std::isdigit(static_cast<unsigned char>(c)) ? c - '0' : (c >= 'A' && c <= 'F') ? c - 'A' + 10 : 99;
        if (d >= radix) break;
        v = v * radix + d;
    }
    return Finite(v);
}

// Length of the decimal number at the start of s (sign, digits, point,
// exponent), 0 when there is none.
std::size_t DecimalLength(const std::string& s) {
    std::size_t i = 0;
    auto digits = [&] {
        const std::size_t from = i;
        while (i < s.size() && std::isdigit(static_cast<unsigned char>(s[i]))) ++i;
        return i - from;
    };
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
    std::size_t mantissa = digits();
    if (i < s.size() && s[i] == '.') {
        ++i;
        mantissa += digits();
    }
    if (mantissa == 0) return 0;
    const std::size_t end = i;
    if (i < s.size() && (s[i] == 'E' || s[i] == 'e' || s[i] == 'D' || s[i] == 'd')) {
        ++i;
        if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
        if (digits() > 0) return i;
    }
    return end;
}

} // namespace

double NumericValue(std::string_view text) {
    std::string s;
    for (char c : text)
        if (c != ' ' && c != '\t' && c != '\n') s.push_back(c);
    if (s.size() >= 2 && s[0] == '&') {
        const char p = static_cast<char>(std::toupper(static_cast<unsigned char>(s[1])));
        if (p == 'H') return RadixValue(s, 2, 16);
        if (p == 'O') return RadixValue(s, 2, 8);
        return 0;
    }
    const std::size_t n = DecimalLength(s);
    if (n == 0) return 0;
    std::string number = s.substr(0, n);
    for (char& c : number)
        if (c == 'D' || c == 'd') c = 'E';
    return Finite(std::strtod(number.c_str(), nullptr));
}

std::array<std::int64_t, 3> EncodeNumber(double number) {
    // Out of the 24-bit range the result only has to be out of byte range;
    // clamping first keeps the integer conversions defined.
    constexpr double kLimit = 1e15;
    const double n = std::fmax(-kLimit, std::fmin(kLimit, number));
    const double b2 = std::floor(n / 65536);
    const double b3 = std::floor((n - 65536 * b2) / 256);
    const double b4 = std::floor(n - 65536 * b2 - 256 * b3);
    return {static_cast<std::int64_t>(b2), static_cast<std::int64_t>(b3), static_cast<std::int64_t>(b4)};
}

OutFrame EncodeNumberFrame(int code, double number) {
    const auto d = EncodeNumber(number);
    return {0, code, d[0], d[1], d[2], code ^ d[0] ^ d[1] ^ d[2]};
}

OutFrame EncodeReadRequest(int group, double number) { return EncodeNumberFrame(63 + group, number); }

OutFrame EncodeWriteCommand(Parameter parameter, int value, double number) {
    switch (parameter) {
    case Parameter::channel: return EncodeNumberFrame(86 + value, number);
    case Parameter::dynamicTime: return EncodeNumberFrame(80 + value, number);
    case Parameter::outputPower: return EncodeNumberFrame(88 + value, number);
    default: break;
    }
    static constexpr int kCode[] = {0, 0, 0, 68, 69, 70, 71, 72, 73};
    OutFrame f = EncodeNumberFrame(kCode[static_cast<int>(parameter)], number);
    f[5] = value; // byte 5 carries the value, not a check byte
    return f;
}

int LevelByte(double level) {
    const double r = std::nearbyint(std::fmax(0.0, std::fmin(255.0, level)));
    return static_cast<int>(r);
}

} // namespace quelm
