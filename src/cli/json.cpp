#include "cli/json.h"

#include "core/printable.h"

#include <nlohmann/json.hpp>

#include <charconv>

namespace quelm::cli {

namespace {

// nlohmann writes \b \t \n \f \r short; the command line has always written
// every control character \u00NN, which a script may compare byte for byte.
std::string LongControlEscapes(const std::string& json) {
    std::string out;
    out.reserve(json.size());
    for (std::size_t i = 0; i < json.size(); ++i) {
        if (json[i] != '\\' || i + 1 == json.size()) {
            out += json[i];
            continue;
        }
        const char next = json[++i];
        const char* code = next == 'b'   ? "08"
                           : next == 't' ? "09"
                           : next == 'n' ? "0a"
                           : next == 'f' ? "0c"
                           : next == 'r' ? "0d"
                                         : nullptr;
        if (code != nullptr)
            out.append("\\u00").append(code);
        else
            out.append(1, '\\').append(1, next);
    }
    return out;
}

} // namespace

std::string JsonString(const std::string& text) {
    // Valid UTF-8 once the stray bytes are written out: dump() cannot throw.
    return JsonControlsEscaped(LongControlEscapes(nlohmann::json(EscapeInvalidUtf8(text)).dump()));
}

std::string JsonNumber(long long number) { return nlohmann::json(number).dump(); }

std::string JsonNumber(const std::string& digits) {
    if (digits.empty() || digits.find_first_not_of("0123456789") != std::string::npos) return JsonString(digits);
    unsigned long long value = 0;
    const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    if (ec == std::errc() && end == digits.data() + digits.size()) return nlohmann::json(value).dump();
    // More digits than 64 bits hold: the digits themselves, without leading zeros.
    return digits.substr(std::min(digits.find_first_not_of('0'), digits.size() - 1));
}

} // namespace quelm::cli
