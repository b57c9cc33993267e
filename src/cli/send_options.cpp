#include "cli/send_options.h"

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
    std::vector<Choice> choices; // empty for a level
    int levelText;
};

// The names of the simulated box file, with the option each stands for.
const std::vector<Field>& Fields() {
    static const std::vector<Field> fields = {
        {"power", {{"max", 13}, {"med", 12}, {"min", 11}}, 0},
        {"channel", {{"A", 3}, {"B", 4}}, 0},
        {"dyn", {{"5s", 5}, {"30s", 6}, {"1min", 7}, {"2min", 8}, {"5min", 9}, {"10min", 10}}, 0},
        {"rise", {{"0.1s", 14}, {"0.5s", 15}, {"1s", 16}, {"1.5s", 17}, {"2s", 18}, {"3s", 19}, {"5s", 20}}, 0},
        {"fall", {{"10s", 21}, {"20s", 22}, {"30s", 23}, {"45s", 24}, {"1min", 25}, {"2min", 26}, {"4min", 27}}, 0},
        {"on", {}, 8},
        {"dyn+", {}, 9},
        {"dyn-", {}, 10},
        {"type", {{"L1+L3", 28}, {"L1", 29}}, 0},
    };
    return fields;
}

bool SameWord(const std::string& a, const std::string& b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
    });
}

// Plain digits, at most `max`; the number written without leading zeros.
bool WholeNumber(const std::string& text, long max, std::string& plain) {
    if (text.empty() || text.size() > 7) return false;
    for (char c : text)
        if (c < '0' || c > '9') return false;
    const long v = std::atol(text.c_str());
    if (v > max) return false;
    plain = std::to_string(v);
    return true;
}

std::string Names(const Field& f) {
    std::string s;
    for (const Choice& c : f.choices) {
        if (!s.empty()) s += '|';
        s += c.name;
    }
    return s;
}

bool ParseField(const std::string& word, std::vector<std::string>& seen, WantedParameter& w, std::string& error) {
    const std::size_t eq = word.find('='); // "dyn+=60": key "dyn+", value "60"
    const std::string key = eq == std::string::npos ? word : word.substr(0, eq);
    const std::string value = eq == std::string::npos ? "" : word.substr(eq + 1);
    const auto& fields = Fields();
    const auto f = std::find_if(fields.begin(), fields.end(), [&](const Field& x) { return SameWord(x.key, key); });
    if (eq == std::string::npos || f == fields.end()) {
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
    if (command == "send-params" && words.size() < (send.fromFile.empty() ? 3u : 2u)) {
        error = "send-params takes a detector number and at least one FIELD=VALUE, or --from FILE";
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
    return true;
}

} // namespace quelm::cli
