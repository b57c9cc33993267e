#pragma once
// JSON pieces for the command line's --json output.
#include <string>

namespace quelm::cli {

// A text as a JSON string: quotes, backslashes and control characters
// escaped, bytes that are not UTF-8 written \xNN.
std::string JsonString(const std::string& text);
// A number as the user typed it ("0300") as a JSON number (300); a text that
// is not plain digits becomes a JSON string.
std::string JsonNumber(const std::string& digits);

} // namespace quelm::cli
