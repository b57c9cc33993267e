#include "site/parameter_fields.h"

#include "protocol/number.h"

#include <algorithm>
#include <cctype>

namespace quelm {

namespace {

// Lower case, blanks dropped, a decimal comma read as a point: "L1 + L3" and
// "l1+l3" are the same value, and so are "0,5 s" and "0.5s".
std::string Folded(const std::string& text) {
    std::string s;
    for (char c : text)
        if (c != ' ' && c != '\t') s += c == ',' ? '.' : static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

std::string Level(const std::string& text) { return std::to_string(static_cast<long long>(NumericValue(text))); }

} // namespace

std::span<const ParameterField, kParameterCount> ParameterFields() { return ParameterTable(); }

std::optional<std::size_t> FindParameterField(const std::string& name) {
    const std::string folded = Folded(name);
    const auto& fields = ParameterFields();
    for (std::size_t i = 0; i < fields.size(); ++i)
        if (folded == Folded(fields[i].key) || folded == Folded(fields[i].cliName)) return i;
    return std::nullopt;
}

std::size_t FieldOf(const WantedParameter& wanted) {
    const ParameterRow* row = wanted.levelText != 0 ? RowOfLevelText(wanted.levelText) : RowOfOption(wanted.option);
    return row ? static_cast<std::size_t>(row->parameter) : 0;
}

std::string ChoiceNames(std::size_t field) {
    std::string names;
    for (const ParameterChoice& c : ParameterFields()[field].choices) {
        if (!names.empty()) names += '|';
        names += c.name;
    }
    return names;
}

bool ParseParameterValue(std::size_t field, const std::string& value, WantedParameter& wanted, std::string& error,
                         int mostLevel) {
    const ParameterField& f = ParameterFields()[field];
    if (f.isLevel()) {
        const bool digits =
            !value.empty() && value.size() <= 3 && value.find_first_not_of("0123456789") == std::string::npos;
        if (!digits || std::stoi(value) > mostLevel) {
            error = std::string(f.cliName) + "='" + value + "': a level is a whole percent from 0 to " +
                    std::to_string(mostLevel);
            return false;
        }
        wanted = {0, f.levelText, std::stoi(value)};
        return true;
    }
    for (const ParameterChoice& c : f.choices) {
        if (Folded(c.name) == Folded(value)) {
            wanted = {c.option, 0, 0};
            return true;
        }
    }
    error = std::string(f.cliName) + "='" + value + "': use " + ChoiceNames(field);
    return false;
}

std::string ShownValue(const DetectorParameters& p, std::size_t field) {
    const ParameterRow& row = ParameterFields()[field];
    return row.isLevel() ? Level(p.*row.shownLevel) : ChoiceName(row, p.*row.shownChoice);
}

std::string WantedValue(const WantedParameter& wanted) {
    if (wanted.levelText != 0) return std::to_string(wanted.level);
    // The option selected alone in its group is what the window then shows.
    const ParameterRow& row = ParameterFields()[FieldOf(wanted)];
    const ParameterChoice* choice = ChoiceOfOption(row, wanted.option);
    return choice ? choice->name : "";
}

void SelectWanted(Form& f, const WantedParameter& wanted) {
    if (wanted.option != 0) f.ui.Option[static_cast<std::size_t>(wanted.option)]->select();
    if (wanted.levelText == 0) return;
    LevelBox(f, wanted.levelText)->setText(std::to_string(wanted.level));
}

HeldLevels LevelsHeld(const Form& f) {
    HeldLevels held{};
    std::size_t i = 0;
    for (const ParameterRow& row : ParameterFields())
        if (row.isLevel()) held[i++] = LevelHeld(f, row.levelText);
    return held;
}

void KeepLevelsNotGiven(Form& f, const std::vector<WantedParameter>& wanted, const HeldLevels& held) {
    if (f.x.paramSendActive != 1) return; // the send was refused
    std::size_t i = 0;
    for (const ParameterRow& row : ParameterFields()) {
        if (!row.isLevel()) continue;
        const int n = row.levelText;
        const bool given =
            std::any_of(wanted.begin(), wanted.end(), [n](const WantedParameter& w) { return w.levelText == n; });
        if (!given) f.x.savedText[static_cast<std::size_t>(n)] = held[i];
        ++i;
    }
}

std::vector<FieldDifference> ParameterDifferences(const DetectorParameters& shown,
                                                  const std::vector<WantedParameter>& wanted) {
    std::vector<FieldDifference> differences;
    for (const WantedParameter& w : wanted) {
        const std::size_t field = FieldOf(w);
        const std::string has = ShownValue(shown, field);
        const std::string wants = WantedValue(w);
        if (has != wants) differences.push_back({ParameterFields()[field].key, has, wants});
    }
    return differences;
}

} // namespace quelm
