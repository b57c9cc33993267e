#include "core/printable.h"

namespace quelm {

namespace {

void AppendEscaped(std::string& out, unsigned char code) {
    static constexpr char kHex[] = "0123456789abcdef";
    out += "\\x";
    out += kHex[code >> 4];
    out += kHex[code & 15];
}

} // namespace

std::string Printable(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        const auto next = i + 1 < text.size() ? static_cast<unsigned char>(text[i + 1]) : 0;
        if (c < 0x20 || c == 0x7F) {
            AppendEscaped(out, c);
        } else if (c == 0xC2 && next >= 0x80 && next <= 0x9F) { // U+0080 .. U+009F
            AppendEscaped(out, next);
            ++i;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}

} // namespace quelm
