#include "protocol/number.h"

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
        const int d = std::isdigit(static_cast<unsigned char>(c)) ? c - '0'
                      : (c >= 'A' && c <= 'F')                    ? c - 'A' + 10
                                                                  : 99;
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

Frame EncodeNumberFrame(int code, double number) {
    const auto d = EncodeNumber(number);
    Frame f{0, code, d[0], d[1], d[2], 0};
    f[5] = CheckByte(f);
    return f;
}

} // namespace quelm
