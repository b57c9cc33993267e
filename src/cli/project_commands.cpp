#include "cli/project_commands.h"

#include "cli/exit_codes.h"
#include "cli/json.h"
#include "cli/messages.h"
#include "core/printable.h"
#include "core/virtual_clock.h"
#include "drivers/sim/sim_driver.h"
#include "form/form_ops.h"
#include "form/parameters.h"
#include "platform/path_text.h"
#include "project/project_actions.h"
#include "protocol/number.h"
#include "shell/bind_handlers.h"

#include <cmath>

namespace quelm::cli {

namespace {

struct Field {
    const char* key;   // JSON key
    const char* label; // readable label
    std::optional<int> index;
    const char* const* names;
    std::size_t count;
};

template <std::size_t N>
Field Choice(const char* key, const char* label, const std::optional<int>& index,
             const std::array<const char*, N>& names) {
    return {key, label, index, names.data(), N};
}

const char* NameOf(const Field& f) {
    if (!f.index || *f.index < 0 || static_cast<std::size_t>(*f.index) >= f.count) return nullptr;
    return f.names[static_cast<std::size_t>(*f.index)];
}

// The option fields in file order (lines 11 to 16).
std::vector<Field> OptionFields(const DetectorParameters& p) {
    return {Choice("channel", "detector channel", p.channel, ChannelNames()),
            Choice("outputPower", "output power", p.outputPower, OutputPowerNames()),
            Choice("dynamicTime", "dynamic time", p.dynamicTime, DynamicTimeNames()),
            Choice("riseTime", "rise time", p.riseTime, RiseTimeNames()),
            Choice("fallTime", "fall time", p.fallTime, FallTimeNames()),
            Choice("commandType", "dynamic command", p.commandType, CommandTypeNames())};
}

// A level as a save writes it: plain decimal digits, a fraction after a
// point, from 0 to 100.
bool IsLevel(const std::string& value) {
    const std::size_t point = value.find('.');
    const std::string whole = value.substr(0, point);
    const std::string fraction = point == std::string::npos ? "0" : value.substr(point + 1);
    const auto digits = [](const std::string& s) {
        return !s.empty() && s.find_first_not_of("0123456789") == std::string::npos;
    };
    return digits(whole) && digits(fraction) && NumericValue(value) <= 100;
}

const TextBox& LevelBox(const Form& form, int line) {
    return *(line == 17 ? form.ui.Text8 : line == 18 ? form.ui.Text9 : form.ui.Text10);
}

// The lines the window cannot use, and what it does with each instead.
std::vector<UnusedLine> UnusedLines(const std::vector<std::string>& values, const Form& form) {
    if (values.size() < kProjectValues) {
        const std::size_t first = values.size() + 1;
        return {{static_cast<int>(first), "",
                 "values " + std::to_string(first) +
                     " to 19 missing: the window loads the addresses read "
                     "and nothing else, and leaves the panel open"}};
    }
    std::vector<UnusedLine> unused = UnusedParameterLines(values);
    for (UnusedLine& u : unused)
        u.reason += u.line <= 16 ? ": left unchanged" : ": the level box shows " + LevelBox(form, u.line).text();
    return unused;
}

std::string JsonLevel(const std::string& text) {
    const double v = NumericValue(text);
    return std::isfinite(v) ? NumberText(v) : "null";
}

void PrintJson(std::FILE* out, const std::string& file, const Form& form, const std::vector<std::string>& values,
               const std::vector<UnusedLine>& unused) {
    const DetectorParameters p = ParametersShown(form);
    const bool opens = values.size() >= kProjectValues;
    std::string s = "{\"file\": " + JsonString(file) + ", \"values\": " + std::to_string(values.size()) +
                    ", \"opens\": " + (opens ? "true" : "false") + ", \"addresses\": [";
    for (std::size_t i = 0; i < 10 && i < values.size(); ++i)
        s += (i ? ", " : "") + JsonString(form.ui.Text1[i]->text());
    s += "]";
    for (const Field& f : OptionFields(p)) {
        const char* name = opens ? NameOf(f) : nullptr;
        s += std::string(", \"") + f.key + "\": " + (name ? JsonString(name) : "null");
    }
    const std::pair<const char*, std::string> levels[] = {
        {"levelOnPlus", p.levelOnPlus}, {"levelDynPlus", p.levelDynPlus}, {"levelDynMinus", p.levelDynMinus}};
    for (const auto& [key, text] : levels) s += std::string(", \"") + key + "\": " + (opens ? JsonLevel(text) : "null");
    s += ", \"unused\": [";
    for (std::size_t i = 0; i < unused.size(); ++i)
        s += (i ? ", " : "") + std::string("{\"line\": ") + std::to_string(unused[i].line) +
             ", \"value\": " + JsonString(unused[i].value) + ", \"reason\": " + JsonString(unused[i].reason) + "}";
    s += "]}\n";
    std::fputs(s.c_str(), out);
}

void PrintText(std::FILE* out, const std::string& file, const Form& form, const std::vector<std::string>& values,
               const std::vector<UnusedLine>& unused) {
    const DetectorParameters p = ParametersShown(form);
    const bool opens = values.size() >= kProjectValues;
    std::fprintf(out, "File %s: %zu values%s\n", Printable(file).c_str(), values.size(),
                 opens ? "" : " (fewer than 19: the window would not open it)");
    for (std::size_t i = 0; i < 10 && i < values.size(); ++i)
        std::fprintf(out, "  address %-10zu %s\n", i + 1, Printable(form.ui.Text1[i]->text()).c_str());
    if (opens) {
        for (const Field& f : OptionFields(p)) {
            const char* name = NameOf(f);
            std::fprintf(out, "  %-18s %s\n", f.label, name ? name : "(unchanged)");
        }
        std::fprintf(out, "  %-18s %s\n  %-18s %s\n  %-18s %s\n", "level ON+ (%)", Printable(p.levelOnPlus).c_str(),
                     "level DYN+ (%)", Printable(p.levelDynPlus).c_str(), "level DYN- (%)",
                     Printable(p.levelDynMinus).c_str());
    }
    if (unused.empty()) return;
    std::fprintf(out, "Lines not used:\n");
    for (const UnusedLine& u : unused)
        std::fprintf(out, u.value.empty() ? "  line %d: %s\n" : "  line %d \"%s\": %s\n", u.line,
                     Printable(u.value.empty() ? u.reason : u.value).c_str(), Printable(u.reason).c_str());
}

} // namespace

std::vector<UnusedLine> UnusedParameterLines(const std::vector<std::string>& values) {
    const std::vector<Field> fields = OptionFields({});
    std::vector<UnusedLine> unused;
    for (int line = 11; line <= 16; ++line) {
        const std::string& value = values[static_cast<std::size_t>(line - 1)];
        if (!MatchProjectOption(line, value))
            unused.push_back(
                {line, value,
                 std::string("matches no option of the ") + fields[static_cast<std::size_t>(line - 11)].label});
    }
    for (int line = 17; line <= 19; ++line) {
        const std::string& value = values[static_cast<std::size_t>(line - 1)];
        if (!IsLevel(value)) unused.push_back({line, value, "not a level from 0 to 100"});
    }
    return unused;
}

bool SaveReadParameters(const Form& form, const std::string& file, bool withAddresses, std::FILE* err) {
    ProjectRecord record = RecordFromWindow(form);
    if (!withAddresses) record.addresses = {};
    std::string error;
    if (WriteProjectFile(platform::PathFromUtf8(file), record, error)) return true;
    SayError(err, error);
    return false;
}

int ShowFile(const std::string& file, bool json, std::FILE* out, std::FILE* err) {
    std::vector<std::string> values;
    std::string error;
    const ProjectRead read = ReadProjectValues(platform::PathFromUtf8(file), values, error);
    if (read != ProjectRead::read) {
        SayError(err, error);
        return read == ProjectRead::notAProjectFile ? kUsage : kOperationFailed;
    }
    // A window with nothing selected, loaded by the window's own handlers.
    VirtualClock clock;
    sim::SimBox box(sim::BoxConfig{});
    sim::SimDriver driver(box, clock);
    Form form(clock, driver);
    bindHandlers(form);
    LoadIntoWindow(form, values);
    const std::vector<UnusedLine> unused = UnusedLines(values, form);
    if (json)
        PrintJson(out, file, form, values, unused);
    else
        PrintText(out, file, form, values, unused);
    return values.size() >= kProjectValues ? kSuccess : kOperationFailed;
}

} // namespace quelm::cli
