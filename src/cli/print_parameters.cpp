#include "cli/print_parameters.h"

#include "cli/cli_language.h"
#include "cli/json.h"
#include "protocol/codec.h"

namespace quelm::cli {

namespace {

// A group with no option selected: the detector holds a code no option
// stands for.
constexpr const char* kNothing = "(none)";

template <std::size_t N>
std::string Name(const std::optional<int>& index, const std::array<const char*, N>& names) {
    if (!index || *index < 0 || static_cast<std::size_t>(*index) >= N) return kNothing;
    return names[static_cast<std::size_t>(*index)];
}

struct Row {
    const char* key;   // JSON key
    const char* field; // the field send-params takes
    const char* label; // readable label
    std::string value;
    bool number; // a level, printed as a number in JSON
};

std::vector<Row> Rows(const DetectorParameters& p) {
    auto level = [](const std::string& text) { return std::to_string(static_cast<long long>(NumericValue(text))); };
    return {
        {"channel", "channel", "detector channel", Name(p.channel, ChannelNames()), false},
        {"dynamicTime", "dyn", "dynamic time", Name(p.dynamicTime, DynamicTimeNames()), false},
        {"outputPower", "power", "output power", Name(p.outputPower, OutputPowerNames()), false},
        {"riseTime", "rise", "rise time", Name(p.riseTime, RiseTimeNames()), false},
        {"fallTime", "fall", "fall time", Name(p.fallTime, FallTimeNames()), false},
        {"levelOnPlus", "on", "level ON+ (%)", level(p.levelOnPlus), true},
        {"levelDynPlus", "dyn+", "level DYN+ (%)", level(p.levelDynPlus), true},
        {"levelDynMinus", "dyn-", "level DYN- (%)", level(p.levelDynMinus), true},
        {"commandType", "type", "dynamic command", Name(p.commandType, CommandTypeNames()), false},
    };
}

// `text` followed by blanks up to `width` characters (not bytes: an accented
// letter takes two bytes in UTF-8).
std::string Padded(const std::string& text, std::size_t width) {
    std::size_t characters = 0;
    for (const char c : text) characters += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    return text + std::string(characters < width ? width - characters : 0, ' ');
}

} // namespace

void PrintParameters(std::FILE* out, const std::string& number, const DetectorParameters& p, bool json,
                     const std::vector<std::pair<std::string, long long>>& extra) {
    const auto rows = Rows(p);
    if (json) {
        std::string s = "{\"detector\": " + JsonNumber(number);
        for (const auto& [key, value] : extra) s += ", " + JsonString(key) + ": " + std::to_string(value);
        for (const Row& r : rows) {
            const std::string value = r.number ? r.value : r.value == kNothing ? "null" : JsonString(r.value);
            s += ", " + JsonString(r.key) + ": " + value;
        }
        std::fprintf(out, "%s}\n", s.c_str());
        return;
    }
    std::fprintf(out, Tr("Detector %s\n"), number.c_str());
    // The second column is what send-params takes back.
    const std::size_t width = Language() == 1 ? 20 : 18;
    for (const Row& r : rows)
        std::fprintf(out, "  %s %s=%s\n", Padded(Tr(r.label), width).c_str(), r.field, r.value.c_str());
}

} // namespace quelm::cli
