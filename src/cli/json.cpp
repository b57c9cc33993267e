#include "cli/json.h"

#include "core/printable.h"

namespace quelm::cli {

std::string JsonString(const std::string& text) { return JsonQuoted(text); }

std::string JsonNumber(const std::string& digits) {
    if (digits.empty() || digits.find_first_not_of("0123456789") != std::string::npos) return JsonString(digits);
    const std::size_t first = digits.find_first_not_of('0');
    return first == std::string::npos ? "0" : digits.substr(first);
}

} // namespace quelm::cli
