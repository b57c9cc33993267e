#include "core/printable.h"

namespace quelm {

namespace {

constexpr char kHex[] = "0123456789abcdef";

void AppendEscaped(std::string& out, unsigned char code) {
    out += "\\x";
    out += kHex[code >> 4];
    out += kHex[code & 15];
}

void AppendJsonEscaped(std::string& out, unsigned char code) {
    out += "\\u00";
    out += kHex[code >> 4];
    out += kHex[code & 15];
}

bool IsContinuation(unsigned char c) { return (c & 0xC0) == 0x80; }

// The bytes of the UTF-8 character at `at`, or 0 when they are no valid
// UTF-8 (a stray byte, a cut or overlong sequence, a surrogate, past U+10FFFF).
std::size_t CharacterLength(std::string_view text, std::size_t at) {
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[at + k]); };
    const unsigned char c = byte(0);
    if (c < 0x80) return 1;
    std::size_t length = 0;
    unsigned char low = 0x80, high = 0xBF; // the second byte's range
    if (c >= 0xC2 && c <= 0xDF)
        length = 2;
    else if (c >= 0xE0 && c <= 0xEF)
        length = 3;
    else if (c >= 0xF0 && c <= 0xF4)
        length = 4;
    if (length == 0 || at + length > text.size()) return 0;
    if (c == 0xE0) low = 0xA0;
    if (c == 0xED) high = 0x9F;
    if (c == 0xF0) low = 0x90;
    if (c == 0xF4) high = 0x8F;
    if (byte(1) < low || byte(1) > high) return 0;
    for (std::size_t k = 2; k < length; ++k)
        if (!IsContinuation(byte(k))) return 0;
    return length;
}

// A control character at `at` that UTF-8 writes in two bytes (U+0080 to U+009F).
bool IsC1Control(std::string_view text, std::size_t at) {
    return static_cast<unsigned char>(text[at]) == 0xC2 && at + 1 < text.size() &&
           static_cast<unsigned char>(text[at + 1]) >= 0x80 && static_cast<unsigned char>(text[at + 1]) <= 0x9F;
}

} // namespace

std::string Printable(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c < 0x20 || c == 0x7F) {
            AppendEscaped(out, c);
        } else if (IsC1Control(text, i)) {
            AppendEscaped(out, static_cast<unsigned char>(text[++i]));
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}

std::string EscapeInvalidUtf8(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t length = CharacterLength(text, i);
        if (length == 0) {
            AppendEscaped(out, static_cast<unsigned char>(text[i++]));
            continue;
        }
        out.append(text.substr(i, length));
        i += length;
    }
    return out;
}

std::string JsonControlsEscaped(std::string_view json) {
    std::string out;
    out.reserve(json.size());
    for (std::size_t i = 0; i < json.size(); ++i) {
        const auto c = static_cast<unsigned char>(json[i]);
        if (c == 0x7F)
            AppendJsonEscaped(out, c);
        else if (IsC1Control(json, i))
            AppendJsonEscaped(out, static_cast<unsigned char>(json[++i]));
        else
            out += static_cast<char>(c);
    }
    return out;
}

} // namespace quelm
