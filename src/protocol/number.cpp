#include "protocol/number.h"

#include <algorithm>
#include <cctype>
#include <cfloat>
#include <charconv>
#include <cmath>
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

// Whether a decimal number out of the double range is too large rather than
// too small: whether its value is at least one, from the place of its first
// significant digit and its exponent.
bool Overflows(std::string_view s) {
    const std::size_t e = std::min(s.find_first_of("Ee"), s.size());
    const std::string_view mantissa = s.substr(0, e);
    const std::size_t point = std::min(mantissa.find('.'), mantissa.size());
    const std::size_t lead = mantissa.find_first_of("123456789");
    if (lead == std::string_view::npos) return false;
    const long long power =
        lead < point ? static_cast<long long>(point - lead) : -static_cast<long long>(lead - point - 1);
    long long exponent = 0;
    for (std::size_t k = e + 1; k < s.size() && exponent < 100000; ++k)
        if (s[k] >= '0' && s[k] <= '9') exponent = exponent * 10 + (s[k] - '0');
    if (e + 1 < s.size() && s[e + 1] == '-') exponent = -exponent;
    return power + exponent > 0;
}

// The value of a decimal number text as the C library reads it in the "C"
// locale, whatever the locale of the process: out of range it gives an
// infinity or a zero of its sign.
double DecimalValue(const std::string& number) {
    const bool negative = number[0] == '-';
    const std::size_t from = number[0] == '+' ? 1 : 0;
    double v = 0;
    if (std::from_chars(number.data() + from, number.data() + number.size(), v).ec == std::errc::result_out_of_range) {
        v = Overflows(number) ? HUGE_VAL : 0.0;
        if (negative) v = -v;
    }
    return v;
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
    return Finite(DecimalValue(number));
}

std::string GeneralText(double value, int digits) {
    char text[64];
    const int precision = std::clamp(digits, 1, 17);
    const auto end = std::to_chars(text, text + sizeof text, value, std::chars_format::general, precision).ptr;
    return std::string(text, end);
}

std::string FixedText(double value, int decimals, std::size_t width) {
    char text[DBL_MAX_10_EXP + 32];
    const int precision = std::clamp(decimals, 0, 17);
    const auto end = std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, precision).ptr;
    std::string s(text, end);
    if (s.size() < width) s.insert(0, width - s.size(), ' ');
    return s;
}

std::optional<long> PlainWholeNumber(std::string_view text, long max) {
    const std::size_t first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) return std::nullopt;
    const std::string_view digits = text.substr(first, text.find_last_not_of(' ') + 1 - first);
    long value = 0;
    for (const char c : digits) {
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + (c - '0');
        if (value > max) return std::nullopt;
    }
    return value;
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
