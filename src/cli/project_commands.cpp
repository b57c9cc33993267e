#include "cli/project_commands.h"

#include "cli/cli_language.h"
#include "cli/exit_codes.h"
#include "cli/json.h"
#include "cli/messages.h"
#include "core/printable.h"
#include "core/texts.h"
#include "core/virtual_clock.h"
#include "drivers/sim/sim_driver.h"
#include "form/form_ops.h"
#include "form/parameter_table.h"
#include "form/parameters.h"
#include "platform/path_text.h"
#include "project/project_actions.h"
#include "protocol/number.h"
#include "shell/bind_handlers.h"

#include <cmath>

namespace quelm::cli {

namespace {

// `text` and blanks up to `width` characters (not bytes: "\xC3\xA9" is one).
std::string Padded(const std::string& text, std::size_t width) {
    std::size_t characters = 0;
    for (const char c : text) characters += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    return text + std::string(characters < width ? width - characters : 0, ' ');
}

// The name of the choice a project line selected, if any.
const char* NameOf(const ParameterRow& row, const DetectorParameters& p) {
    const ParameterChoice* choice = ChoiceAtIndex(row, p.*row.shownChoice);
    return choice ? choice->name : nullptr;
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

// The lines the window cannot use, and what it does with each instead.
std::vector<UnusedLine> UnusedLines(const std::vector<std::string>& values, const Form& form) {
    if (values.size() < kProjectValues) {
        const std::size_t first = values.size() + 1;
        return {{static_cast<int>(first), "",
                 Filled(Tr("values %1 to 19 missing: the window loads the addresses read and nothing else, and "
                           "leaves the panel open"),
                        std::to_string(first))}};
    }
    std::vector<UnusedLine> unused = UnusedParameterLines(values);
    for (UnusedLine& u : unused) {
        const ParameterRow* row = RowOfProjectLine(u.line);
        u.reason += row->isLevel() ? Filled(Tr(": the level box shows %1"), LevelBox(form, row->levelText)->text())
                                   : std::string(Tr(": left unchanged"));
    }
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
    // In file order: the choices, then the levels.
    for (const ParameterRow* row : RowsInFileOrder()) {
        std::string value = "null";
        if (opens && row->isLevel()) value = JsonLevel(p.*row->shownLevel);
        if (const char* name = opens && !row->isLevel() ? NameOf(*row, p) : nullptr) value = JsonString(name);
        s += std::string(", \"") + row->key + "\": " + value;
    }
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
    std::fprintf(out, Tr("File %s: %zu values%s\n"), Printable(file).c_str(), values.size(),
                 opens ? "" : Tr(" (fewer than 19: the window would not open it)"));
    for (std::size_t i = 0; i < 10 && i < values.size(); ++i) {
        std::string label = Tr("address");
        label += ' ';
        label += std::to_string(i + 1);
        std::fprintf(out, "  %s %s\n", Padded(label, 18).c_str(), Printable(form.ui.Text1[i]->text()).c_str());
    }
    if (opens) {
        for (const ParameterRow* row : RowsInFileOrder()) {
            const char* name = row->isLevel() ? nullptr : NameOf(*row, p);
            const std::string value = row->isLevel() ? Printable(p.*row->shownLevel) : name ? name : Tr("(unchanged)");
            const std::string label = Tr(row->label) + std::string(row->isLevel() ? " (%)" : "");
            std::fprintf(out, "  %s %s\n", Padded(label, 18).c_str(), value.c_str());
        }
    }
    if (unused.empty()) return;
    std::fprintf(out, "%s", Tr("Lines not used:\n"));
    for (const UnusedLine& u : unused) {
        if (u.value.empty())
            std::fprintf(out, Tr("  line %d: %s\n"), u.line, Printable(u.reason).c_str());
        else
            std::fprintf(out, Tr("  line %d \"%s\": %s\n"), u.line, Printable(u.value).c_str(),
                         Printable(u.reason).c_str());
    }
}

} // namespace

std::vector<UnusedLine> UnusedParameterLines(const std::vector<std::string>& values) {
    std::vector<UnusedLine> unused;
    for (const ParameterRow* row : RowsInFileOrder()) {
        const int line = row->projectLine;
        const std::string& value = values[static_cast<std::size_t>(line - 1)];
        if (row->isLevel() && !IsLevel(value)) unused.push_back({line, value, Tr("not a level from 0 to 100")});
        if (!row->isLevel() && !MatchProjectOption(line, value))
            unused.push_back({line, value, Filled(Tr("matches no option of the %1"), Tr(row->label))});
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
        SayError(err, Reason(error, Language()));
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
