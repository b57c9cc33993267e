#include "cli/send_options.h"

#include "cli/cli_language.h"
#include "cli/json_read.h"
#include "core/texts.h"
#include "protocol/frame.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>

namespace quelm::cli {

namespace {

// Members the outputs of read-params, send-params and show-file carry
// besides the fields ("reads" when a read was made twice, "passes" of a send).
bool OutputMember(const std::string& key) {
    for (const char* k : {"detector", "reads", "passes", "file", "values", "opens", "addresses", "unused"})
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

// One FIELD=VALUE, by the names of the simulated box file.
bool ParseField(const std::string& word, std::vector<std::size_t>& seen, WantedParameter& w, std::string& error) {
    const std::size_t eq = word.find('='); // "dyn+=60": key "dyn+", value "60"
    const auto field = FindParameterField(eq == std::string::npos ? word : word.substr(0, eq));
    if (eq == std::string::npos || !field) {
        error = Filled(Tr("'%1': use power=, channel=, dyn=, rise=, fall=, on=, dyn+=, dyn-= or type="), word);
        return false;
    }
    if (std::find(seen.begin(), seen.end(), *field) != seen.end()) {
        error = Filled(Tr("%1 given twice"), ParameterFields()[*field].cliName);
        return false;
    }
    seen.push_back(*field);
    return ParseParameterValue(*field, word.substr(eq + 1), w, error);
}

} // namespace

std::vector<OptionField> OptionFields() {
    std::vector<OptionField> groups;
    for (std::size_t i = 0; i < ParameterFields().size(); ++i) {
        const ParameterField& f = ParameterFields()[i];
        if (f.levelText == 0) groups.push_back({f.cliName, ChoiceNames(i), FirstOption(f), LastOption(f)});
    }
    return groups;
}

bool ParseProgramNumber(const std::vector<std::string>& words, std::string& number, SendOptions& send,
                        std::string& error) {
    if (words.size() != 3) {
        error = Tr("program-number takes the present number and the new one");
        return false;
    }
    if (!WholeNumber(words[1], kMaxDetectorNumber, number)) {
        error = Tr("a detector number is 0 to 1048574: ") + words[1];
        return false;
    }
    if (WholeNumber(words[2], kMaxDetectorNumber, send.newNumber)) return true;
    error = Tr("a new number is 0 to 1048574: ") + words[2];
    return false;
}

bool ParseSendParams(const std::vector<std::string>& words, std::string& number, SendOptions& send,
                     std::string& error) {
    const bool fromFile = !send.fromFile.empty() || !send.jsonFile.empty();
    if (words.size() < (fromFile ? 2u : 3u)) {
        error = Tr("send-params takes a detector number and at least one FIELD=VALUE, --from FILE or --from-json FILE");
        return false;
    }
    if (!WholeNumber(words[1], kMaxDetectorNumber, number)) {
        error = Tr("a detector number is 0 to 1048574: ") + words[1];
        return false;
    }
    std::vector<std::size_t> seen;
    for (std::size_t i = 2; i < words.size(); ++i) {
        WantedParameter w;
        if (!ParseField(words[i], seen, w, error)) return false;
        send.wanted.push_back(w);
    }
    // The fields of the JSON file, but those given on the command line.
    for (const std::string& word : send.jsonFields) {
        const auto field = FindParameterField(word.substr(0, word.find('=')));
        if (field && std::find(seen.begin(), seen.end(), *field) != seen.end()) continue;
        WantedParameter w;
        if (!ParseField(word, seen, w, error)) {
            error = "--from-json " + send.jsonFile + ": " + error;
            return false;
        }
        send.wanted.push_back(w);
    }
    // A document whose fields are all absent or null names nothing to write.
    if (send.wanted.empty() && send.fromFile.empty()) {
        error = "--from-json " + send.jsonFile + ": " +
                Tr("nothing to send: the document gives no field a value (every one is absent or null)");
        return false;
    }
    return true;
}

bool FieldsFromJson(const std::string& text, std::vector<std::string>& fields, std::string& error) {
    const auto members = ReadJsonObject(text, error);
    if (!members) return false;
    // Every key is known (or refused), so these lists stay short.
    std::vector<std::string> keys;
    std::vector<std::size_t> given;
    for (const JsonMember& m : *members) {
        if (std::find(keys.begin(), keys.end(), m.key) != keys.end()) {
            error = Filled(Tr("%1 given twice"), "\"" + m.key + "\"");
            return false;
        }
        keys.push_back(m.key);
        if (OutputMember(m.key)) continue;
        const auto field = FindParameterField(m.key);
        if (!field) {
            error = Filled(Tr("unknown member \"%1\": the fields are channel, dynamicTime, outputPower, riseTime, "
                              "fallTime, levelOnPlus, levelDynPlus, levelDynMinus, commandType"),
                           m.key);
            return false;
        }
        if (std::find(given.begin(), given.end(), *field) != given.end()) {
            error = Filled(Tr("\"%1\" names %2, given twice"), m.key, ParameterFields()[*field].key);
            return false;
        }
        given.push_back(*field);
        if (m.kind == JsonMember::Kind::Literal && m.text == "null") continue; // no choice: not given
        if (m.kind == JsonMember::Kind::Nested || m.kind == JsonMember::Kind::Literal) {
            error = Filled(
                Tr(ParameterFields()[*field].levelText != 0 ? "\"%1\" takes a number" : "\"%1\" takes a text"), m.key);
            return false;
        }
        fields.push_back(std::string(ParameterFields()[*field].cliName) + "=" + m.text);
    }
    return true;
}

} // namespace quelm::cli
