#include "cli/print_parameters.h"

#include "detector/codec.h"

namespace quelm::cli {

namespace {

template <std::size_t N>
std::string Name(const std::optional<int>& index, const std::array<const char*, N>& names) {
    if (!index || *index < 0 || static_cast<std::size_t>(*index) >= N) return "?";
    return names[static_cast<std::size_t>(*index)];
}

struct Row {
    const char* key;   // JSON key
    const char* label; // readable label
    std::string value;
    bool number;       // a level, printed as a number in JSON
};

std::vector<Row> Rows(const DetectorParameters& p) {
    auto level = [](const std::string& text) { return std::to_string(static_cast<long long>(NumericValue(text))); };
    return {
        {"channel", "detector channel", Name(p.channel, ChannelNames()), false},
        {"dynamicTime", "dynamic time", Name(p.dynamicTime, DynamicTimeNames()), false},
        {"outputPower", "output power", Name(p.outputPower, OutputPowerNames()), false},
        {"riseTime", "rise time", Name(p.riseTime, RiseTimeNames()), false},
        {"fallTime", "fall time", Name(p.fallTime, FallTimeNames()), false},
        {"levelOnPlus", "level ON+ (%)", level(p.levelOnPlus), true},
        {"levelDynPlus", "level DYN+ (%)", level(p.levelDynPlus), true},
        {"levelDynMinus", "level DYN- (%)", level(p.levelDynMinus), true},
        {"commandType", "dynamic command", Name(p.commandType, CommandTypeNames()), false},
    };
}

} // namespace

void PrintParameters(std::FILE* out, const std::string& number, const DetectorParameters& p, bool json,
                     const std::vector<std::pair<std::string, long long>>& extra) {
    const auto rows = Rows(p);
    if (json) {
        std::fprintf(out, "{\"detector\": %s", number.c_str());
        for (const auto& [key, value] : extra) std::fprintf(out, ", \"%s\": %lld", key.c_str(), value);
        for (const Row& r : rows)
            std::fprintf(out, r.number ? ", \"%s\": %s" : ", \"%s\": \"%s\"", r.key, r.value.c_str());
        std::fprintf(out, "}\n");
        return;
    }
    std::fprintf(out, "Detector %s\n", number.c_str());
    for (const Row& r : rows) std::fprintf(out, "  %-18s %s\n", r.label, r.value.c_str());
}

} // namespace quelm::cli
