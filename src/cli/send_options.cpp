#include "cli/send_options.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>

namespace quelm::cli {

namespace {

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

// One FIELD=VALUE, by the names of the simulated box file.
bool ParseField(const std::string& word, std::vector<std::size_t>& seen, WantedParameter& w, std::string& error) {
    const std::size_t eq = word.find('='); // "dyn+=60": key "dyn+", value "60"
    const auto field = FindParameterField(eq == std::string::npos ? word : word.substr(0, eq));
    if (eq == std::string::npos || !field) {
        error = "'" + word + "': use power=, channel=, dyn=, rise=, fall=, on=, dyn+=, dyn-= or type=";
        return false;
    }
    if (std::find(seen.begin(), seen.end(), *field) != seen.end()) {
        error = std::string(ParameterFields()[*field].sendName) + " given twice";
        return false;
    }
    seen.push_back(*field);
    return ParseParameterValue(*field, word.substr(eq + 1), w, error);
}

} // namespace

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
    std::vector<std::size_t> seen;
    for (std::size_t i = 2; i < words.size(); ++i) {
        WantedParameter w;
        if (!ParseField(words[i], seen, w, error)) return false;
        send.wanted.push_back(w);
    }
    return true;
}

} // namespace quelm::cli
