#include "cli/print_parameters.h"

#include "cli/cli_language.h"
#include "cli/json.h"
#include "form/parameter_table.h"
#include "protocol/number.h"

namespace quelm::cli {

namespace {

// A group with no option selected: the detector holds a code no option
// stands for.
constexpr const char* kNothing = "(none)";

struct Row {
    const char* key;   // JSON key
    const char* field; // the field send-params takes
    std::string label; // readable label, the catalogue's key
    std::string value;
    bool number; // a level, printed as a number in JSON
};

std::vector<Row> Rows(const DetectorParameters& p) {
    std::vector<Row> rows;
    for (const ParameterRow& row : ParameterTable()) {
        if (row.isLevel()) {
            const auto level = static_cast<long long>(NumericValue(p.*row.shownLevel));
            rows.push_back({row.key, row.cliName, std::string(row.label) + " (%)", std::to_string(level), true});
        } else {
            const std::string name = ChoiceName(row, p.*row.shownChoice);
            rows.push_back({row.key, row.cliName, row.label, name.empty() ? kNothing : name, false});
        }
    }
    return rows;
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
        std::fprintf(out, "  %s %s=%s\n", Padded(Tr(r.label.c_str()), width).c_str(), r.field, r.value.c_str());
}

} // namespace quelm::cli
