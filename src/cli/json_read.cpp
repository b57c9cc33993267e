#include "cli/json_read.h"

#include "cli/cli_language.h"
#include "core/texts.h"

#include <nlohmann/json.hpp>

namespace quelm::cli {

namespace {

using nlohmann::json;

// Turns the reader's events into the top object's members, in order; what
// lies inside a nested list or object is passed over.
class MemberReader : public nlohmann::json_sax<json> {
public:
    explicit MemberReader(std::vector<JsonMember>& members) : members_(members) {}

    bool null() override { return scalar(JsonMember::Kind::Literal, "null"); }
    bool boolean(bool v) override { return scalar(JsonMember::Kind::Literal, v ? "true" : "false"); }
    // Only a number written with a minus sign comes here: "-0" stays as written.
    bool number_integer(number_integer_t v) override {
        return scalar(JsonMember::Kind::Number, v == 0 ? "-0" : std::to_string(v));
    }
    bool number_unsigned(number_unsigned_t v) override { return scalar(JsonMember::Kind::Number, std::to_string(v)); }
    bool number_float(number_float_t, const string_t& written) override {
        return scalar(JsonMember::Kind::Number, written);
    }
    bool string(string_t& v) override { return scalar(JsonMember::Kind::String, v); }
    bool binary(binary_t&) override { return scalar(JsonMember::Kind::Nested, ""); }
    bool start_object(std::size_t) override { return open(); }
    bool start_array(std::size_t) override { return open(); }
    bool end_object() override { return close(); }
    bool end_array() override { return close(); }
    bool key(string_t& k) override {
        if (depth_ == 1) key_ = k;
        return true;
    }
    bool parse_error(std::size_t, const std::string&, const nlohmann::detail::exception& e) override {
        // "[json.exception.parse_error.101] parse error at line 1, column 5: why": from "at line";
        // "[json.exception.out_of_range.406] number overflow ...": after the tag.
        const std::string what = e.what();
        const std::size_t at = what.find("at line");
        const std::size_t tag = what.find("] ");
        why_ = at != std::string::npos ? what.substr(at) : tag != std::string::npos ? what.substr(tag + 2) : what;
        return false;
    }
    const std::string& why() const { return why_; }

private:
    bool scalar(JsonMember::Kind kind, const std::string& text) {
        if (depth_ == 1) members_.push_back({key_, kind, text});
        return true;
    }
    bool open() {
        if (depth_ == 1) members_.push_back({key_, JsonMember::Kind::Nested, ""});
        ++depth_;
        return true;
    }
    bool close() {
        --depth_;
        return true;
    }

    std::vector<JsonMember>& members_;
    int depth_ = 0;
    std::string key_;
    std::string why_;
};

} // namespace

std::optional<std::vector<JsonMember>> ReadJsonObject(const std::string& document, std::string& error) {
    // The byte-order mark an editor's "UTF-8 with BOM" puts first.
    const std::string_view all(document);
    const std::string_view text = all.starts_with("\xEF\xBB\xBF") ? all.substr(3) : all;
    // Anything but an object is refused where it starts.
    const std::size_t start = text.find_first_not_of(" \t\n\r");
    if (start == std::string::npos || text[start] != '{') {
        error = Filled(Tr("%1 at character %2"), Tr("an object '{' was expected"),
                       std::to_string(start == std::string::npos ? text.size() + 1 : start + 1));
        return std::nullopt;
    }
    std::vector<JsonMember> members;
    MemberReader reader(members);
    if (json::sax_parse(text, &reader)) return members;
    error = Filled(Tr("not JSON: %1"), reader.why());
    return std::nullopt;
}

} // namespace quelm::cli
