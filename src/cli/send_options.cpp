#include "cli/send_options.h"

#include "cli/json_read.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>

namespace quelm::cli {

namespace {

struct Choice {
    const char* name;
    int option;
};

struct Field {
    const char* key;
    const char* jsonKey;         // the name --json output gives it, taken as well
    std::vector<Choice> choices; // empty for a level
    int levelText;
};

// The names of the simulated box file, with the option each stands for.
const std::vector<Field>& Fields() {
    static const std::vector<Field> fields = {
        {"power", "outputPower", {{"max", 13}, {"med", 12}, {"min", 11}}, 0},
        {"channel", "channel", {{"A", 3}, {"B", 4}}, 0},
        {"dyn", "dynamicTime", {{"5s", 5}, {"30s", 6}, {"1min", 7}, {"2min", 8}, {"5min", 9}, {"10min", 10}}, 0},
        {"rise",
         "riseTime",
         {{"0.1s", 14}, {"0.5s", 15}, {"1s", 16}, {"1.5s", 17}, {"2s", 18}, {"3s", 19}, {"5s", 20}},
         0},
        {"fall",
         "fallTime",
         {{"10s", 21}, {"20s", 22}, {"30s", 23}, {"45s", 24}, {"1min", 25}, {"2min", 26}, {"4min", 27}},
         0},
        {"on", "levelOnPlus", {}, 8},
        {"dyn+", "levelDynPlus", {}, 9},
        {"dyn-", "levelDynMinus", {}, 10},
        {"type", "commandType", {{"L1+L3", 28}, {"L1", 29}}, 0},
    };
    return fields;
}

// Letters compared without case, blanks left out: "2 min" is "2min" and
// "L1 + L3" is "L1+L3", as a readable listing writes them.
bool SameWord(const std::string& a, const std::string& b) {
    std::string x, y;
    for (char c : a)
        if (c != ' ') x += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    for (char c : b)
        if (c != ' ') y += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return x == y;
}

const Field* FieldNamed(const std::string& key) {
    const auto& fields = Fields();
    const auto f = std::find_if(fields.begin(), fields.end(),
                                [&](const Field& x) { return SameWord(x.key, key) || SameWord(x.jsonKey, key); });
    return f == fields.end() ? nullptr : &*f;
}

// Members the outputs of read-params and show-file carry besides the fields.
bool OutputMember(const std::string& key) {
    for (const char* k : {"detector", "file", "values", "opens", "addresses", "unused"})
        if (key == k) return true;
    return false;
}

// Plain digits, at most `max`; the number written without leading zeros.
bool WholeNumber(const std::string& text, long max, std::string& plain) {
    // Leading zeros add nothing: "00000300" is 300.
    if (text.empty()) return false;
    const std::size_t first = std::min(text.find_first_not_of('0'), text.size() - 1);
    if (text.size() - first > 7) return false;
    for (char c : text)
        if (c < '0' || c > '9') return false;
    const long v = std::atol(text.c_str() + first);
    if (v > max) return false;
    plain = std::to_string(v);
    return true;
}

std::string Names(const Field& f) {
    std::string s;
    for (const Choice& c : f.choices) s += (s.empty() ? "" : "|") + std::string(c.name);
    return s;
}

bool ParseField(const std::string& word, std::vector<std::string>& seen, WantedParameter& w, std::string& error) {
    const std::size_t eq = word.find('='); // "dyn+=60": key "dyn+", value "60"
    const std::string key = eq == std::string::npos ? word : word.substr(0, eq);
    const std::string value = eq == std::string::npos ? "" : word.substr(eq + 1);
    const Field* f = FieldNamed(key);
    if (eq == std::string::npos || f == nullptr) {
        error = "'" + word + "': use power=, channel=, dyn=, rise=, fall=, on=, dyn+=, dyn-= or type=";
        return false;
    }
    if (std::find(seen.begin(), seen.end(), f->key) != seen.end()) {
        error = std::string(f->key) + " given twice";
        return false;
    }
    seen.push_back(f->key);
    if (f->levelText != 0) {
        std::string plain;
        if (!WholeNumber(value, 100, plain)) {
            error = std::string(f->key) + "='" + value + "': a level is a whole percent from 0 to 100";
            return false;
        }
        w = {0, f->levelText, std::atoi(plain.c_str())};
        return true;
    }
    for (const Choice& c : f->choices) {
        if (SameWord(c.name, value)) {
            w = {c.option, 0, 0};
            return true;
        }
    }
    error = std::string(f->key) + "='" + value + "': use " + Names(*f);
    return false;
}

} // namespace

std::vector<OptionField> OptionFields() {
    std::vector<OptionField> groups;
    for (const Field& f : Fields()) {
        if (f.choices.empty()) continue;
        const auto [low, high] = std::minmax_element(
            f.choices.begin(), f.choices.end(), [](const Choice& a, const Choice& b) { return a.option < b.option; });
        groups.push_back({f.key, Names(f), low->option, high->option});
    }
    return groups;
}

bool IsSendOrNumberCommand(const std::string& command) {
    return command == "send-params" || command == "program-number" || command == "wait-number";
}

bool ParseSendOrNumberCommand(const std::vector<std::string>& words, std::string& number, SendOptions& send,
                              std::string& error) {
    const std::string& command = words[0];
    if (command == "wait-number") {
        if (words.size() == 1) return true;
        error = "wait-number takes no argument";
        return false;
    }
    if (command == "program-number" && words.size() != 3) {
        error = "program-number takes the present number and the new one";
        return false;
    }
    const bool fromFile = !send.fromFile.empty() || !send.jsonFile.empty();
    if (command == "send-params" && words.size() < (fromFile ? 2u : 3u)) {
        error = "send-params takes a detector number and at least one FIELD=VALUE, --from FILE or --from-json FILE";
        return false;
    }
    if (!WholeNumber(words[1], 1048574, number)) {
        error = "a detector number is 0 to 1048574: " + words[1];
        return false;
    }
    if (command == "program-number") {
        if (WholeNumber(words[2], 1048574, send.newNumber)) return true;
        error = "a new number is 0 to 1048574: " + words[2];
        return false;
    }
    std::vector<std::string> seen;
    for (std::size_t i = 2; i < words.size(); ++i) {
        WantedParameter w;
        if (!ParseField(words[i], seen, w, error)) return false;
        send.wanted.push_back(w);
    }
    // The fields of the JSON file, but those given on the command line.
    for (const std::string& word : send.jsonFields) {
        if (std::find(seen.begin(), seen.end(), FieldNamed(word.substr(0, word.find('=')))->key) != seen.end())
            continue;
        WantedParameter w;
        if (!ParseField(word, seen, w, error)) {
            error = "--from-json " + send.jsonFile + ": " + error;
            return false;
        }
        send.wanted.push_back(w);
    }
    return true;
}

bool FieldsFromJson(const std::string& text, std::vector<std::string>& fields, std::string& error) {
    const auto members = ReadJsonObject(text, error);
    if (!members) return false;
    for (const JsonMember& m : *members) {
        if (OutputMember(m.key)) continue;
        const Field* f = FieldNamed(m.key);
        if (f == nullptr) {
            error = "unknown member \"" + m.key +
                    "\": the fields are channel, dynamicTime, outputPower, riseTime, "
                    "fallTime, levelOnPlus, levelDynPlus, levelDynMinus, commandType";
            return false;
        }
        if (m.kind == JsonMember::Kind::Literal && m.text == "null") continue; // no choice: not given
        if (m.kind == JsonMember::Kind::Nested || m.kind == JsonMember::Kind::Literal) {
            error = "\"" + m.key + "\" takes a " + (f->choices.empty() ? "number" : "text");
            return false;
        }
        fields.push_back(std::string(f->key) + "=" + m.text);
    }
    return true;
}

} // namespace quelm::cli
