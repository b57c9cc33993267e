#pragma once
// Text from files, boxes and the command line made safe to print on a
// terminal: a control character would move the cursor, clear the screen or
// hide the rest of the message.
#include <string>
#include <string_view>

namespace quelm {

// `text` with each control character written \xNN: the bytes 00 to 1F and
// 7F, and the characters U+0080 to U+009F (by their number). Everything
// else, invalid UTF-8 included, is left as it is.
std::string Printable(std::string_view text);

// `text` with each byte that is not part of a valid UTF-8 character written
// \xNN as Printable writes a control character (a file name or a line in
// another encoding); valid UTF-8 is left as it is.
std::string EscapeInvalidUtf8(std::string_view text);

// JSON text with the control characters a JSON writer may leave raw inside
// its strings (7F, U+0080 to U+009F) written \u00NN; the same value.
std::string JsonControlsEscaped(std::string_view json);

} // namespace quelm
