#include "cli/json.h"

#include <cstdio>

namespace quelm::cli {

std::string JsonString(const std::string& text) {
    std::string s = "\"";
    for (char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            s += '\\';
            s += c;
        } else if (byte < 0x20) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\u%04x", byte);
            s += escape;
        } else {
            s += c;
        }
    }
    return s + "\"";
}

std::string JsonNumber(const std::string& digits) {
    if (digits.empty() || digits.find_first_not_of("0123456789") != std::string::npos) return JsonString(digits);
    const std::size_t first = digits.find_first_not_of('0');
    return first == std::string::npos ? "0" : digits.substr(first);
}

} // namespace quelm::cli
