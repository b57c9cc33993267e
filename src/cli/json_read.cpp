#include "cli/json_read.h"

#include "cli/cli_language.h"
#include "core/texts.h"

#include <cstdlib>
#include <string_view>

namespace quelm::cli {

namespace {

class Reader {
public:
    explicit Reader(const std::string& text) : s_(text) {}

    std::optional<std::vector<JsonMember>> object(std::string& error) {
        std::vector<JsonMember> members;
        skipBlanks();
        if (!take('{')) return fail("an object '{' was expected", error);
        skipBlanks();
        if (!take('}')) {
            do {
                JsonMember m;
                skipBlanks();
                if (!string(m.key)) return fail("a quoted member name was expected", error);
                skipBlanks();
                if (!take(':')) return fail("':' was expected", error);
                if (!value(m, 0)) return fail("a value was expected", error);
                members.push_back(std::move(m));
                skipBlanks();
            } while (take(','));
            if (!take('}')) return fail("',' or '}' was expected", error);
        }
        skipBlanks();
        if (at_ != s_.size()) return fail("text after the object", error);
        return members;
    }

private:
    std::optional<std::vector<JsonMember>> fail(const char* why, std::string& error) {
        error = Filled(Tr("%1 at character %2"), Tr(why), std::to_string(at_ + 1));
        return std::nullopt;
    }
    void skipBlanks() {
        while (at_ < s_.size() && (s_[at_] == ' ' || s_[at_] == '\t' || s_[at_] == '\n' || s_[at_] == '\r')) ++at_;
    }
    bool take(char c) {
        if (at_ >= s_.size() || s_[at_] != c) return false;
        ++at_;
        return true;
    }
    bool string(std::string& out) {
        if (!take('"')) return false;
        while (at_ < s_.size() && s_[at_] != '"') {
            char c = s_[at_++];
            if (static_cast<unsigned char>(c) < 0x20) return false;
            if (c == '\\') {
                if (at_ >= s_.size()) return false;
                c = s_[at_++];
                if (c == 'u') {
                    if (at_ + 4 > s_.size()) return false;
                    const long code = std::strtol(s_.substr(at_, 4).c_str(), nullptr, 16);
                    at_ += 4;
                    if (code >= 0x80) return false; // our output escapes control bytes only
                    c = static_cast<char>(code);
                } else if (c == 'n') {
                    c = '\n';
                } else if (c == 't') {
                    c = '\t';
                } else if (c == 'r') {
                    c = '\r';
                } else if (c != '"' && c != '\\' && c != '/') {
                    return false;
                }
            }
            out += c;
        }
        return take('"');
    }
    bool value(JsonMember& m, int depth) {
        skipBlanks();
        if (at_ >= s_.size() || depth > 32) return false;
        const char c = s_[at_];
        if (c == '"') {
            m.kind = JsonMember::Kind::String;
            return string(m.text);
        }
        if (c == '{' || c == '[') {
            m.kind = JsonMember::Kind::Nested;
            return nested(depth);
        }
        for (const char* literal : {"true", "false", "null"}) {
            if (s_.compare(at_, std::string(literal).size(), literal) == 0) {
                m.kind = JsonMember::Kind::Literal;
                m.text = literal;
                at_ += m.text.size();
                return true;
            }
        }
        const std::size_t start = at_;
        while (at_ < s_.size() && std::string_view("+-0123456789.eE").find(s_[at_]) != std::string_view::npos) ++at_;
        m.kind = JsonMember::Kind::Number;
        m.text = s_.substr(start, at_ - start);
        return !m.text.empty();
    }
    // A list or an object inside the object: read over.
    bool nested(int depth) {
        const char close = s_[at_] == '{' ? '}' : ']';
        ++at_;
        skipBlanks();
        if (take(close)) return true;
        do {
            JsonMember inner;
            skipBlanks();
            if (close == '}' && (!string(inner.key) || (skipBlanks(), !take(':')))) return false;
            if (!value(inner, depth + 1)) return false;
            skipBlanks();
        } while (take(','));
        return take(close);
    }

    const std::string& s_;
    std::size_t at_ = 0;
};

} // namespace

std::optional<std::vector<JsonMember>> ReadJsonObject(const std::string& text, std::string& error) {
    return Reader(text).object(error);
}

} // namespace quelm::cli
