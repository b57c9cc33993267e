#pragma once
// JSON pieces for the command line's --json output, written with nlohmann's
// JSON library; the objects themselves are laid out on one line as
// {"key": value, "key": value}.
#include <string>

namespace quelm::cli {

// A text as a JSON string: quotes, backslashes and every control character
// (00 to 1F as \u00NN, 7F, U+0080 to U+009F) escaped, bytes that are not
// UTF-8 written \xNN. Any bytes give valid JSON that a terminal shows as it stands.
std::string JsonString(const std::string& text);
// A number as the user typed it ("0300") as a JSON number (300); a text that
// is not plain digits becomes a JSON string.
std::string JsonNumber(const std::string& digits);
std::string JsonNumber(long long number);

} // namespace quelm::cli
