#pragma once
// Reads back the command line's own JSON with nlohmann's reader: one object
// whose members are strings, numbers, true, false, null, or lists and objects
// (kept as a mark).
#include <optional>
#include <string>
#include <vector>

namespace quelm::cli {

struct JsonMember {
    std::string key;
    enum class Kind { String, Number, Literal, Nested } kind = Kind::Literal;
    std::string text; // the string's text, the number as written, or the literal
};

// The members of the object `text` holds, in order, a key given twice kept
// twice (a UTF-8 byte-order mark first is left aside); nothing when it is no JSON object, with where and why in
// `error`.
std::optional<std::vector<JsonMember>> ReadJsonObject(const std::string& text, std::string& error);

} // namespace quelm::cli
