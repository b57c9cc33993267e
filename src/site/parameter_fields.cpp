#include "site/parameter_fields.h"

#include "protocol/number.h"

#include <algorithm>
#include <cctype>

namespace quelm {

namespace {

struct Choice {
    const char* name; // as send-params and the box file write it
    int option;
};

// The value names of each field, in the order messages list them; empty for
// a level.
const std::array<std::vector<Choice>, 9>& Choices() {
    static const std::array<std::vector<Choice>, 9> choices = {{
        {{"A", 3}, {"B", 4}},
        {{"5s", 5}, {"30s", 6}, {"1min", 7}, {"2min", 8}, {"5min", 9}, {"10min", 10}},
        {{"max", 13}, {"med", 12}, {"min", 11}},
        {{"0.1s", 14}, {"0.5s", 15}, {"1s", 16}, {"1.5s", 17}, {"2s", 18}, {"3s", 19}, {"5s", 20}},
        {{"10s", 21}, {"20s", 22}, {"30s", 23}, {"45s", 24}, {"1min", 25}, {"2min", 26}, {"4min", 27}},
        {},
        {},
        {},
        {{"L1+L3", 28}, {"L1", 29}},
    }};
    return choices;
}

// Lower case, blanks dropped, a decimal comma read as a point: "L1 + L3" and
// "l1+l3" are the same value, and so are "0,5 s" and "0.5s".
std::string Folded(const std::string& text) {
    std::string s;
    for (char c : text)
        if (c != ' ' && c != '\t') s += c == ',' ? '.' : static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

template <std::size_t N>
std::string Name(const std::optional<int>& index, const std::array<const char*, N>& names) {
    if (!index || *index < 0 || static_cast<std::size_t>(*index) >= N) return "";
    return names[static_cast<std::size_t>(*index)];
}

std::string Level(const std::string& text) { return std::to_string(static_cast<long long>(NumericValue(text))); }

} // namespace

const std::array<ParameterField, 9>& ParameterFields() {
    static const std::array<ParameterField, 9> fields = {{
        {"channel", "channel", 3, 4, 0},
        {"dynamicTime", "dyn", 5, 10, 0},
        {"outputPower", "power", 11, 13, 0},
        {"riseTime", "rise", 14, 20, 0},
        {"fallTime", "fall", 21, 27, 0},
        {"levelOnPlus", "on", 0, 0, 8},
        {"levelDynPlus", "dyn+", 0, 0, 9},
        {"levelDynMinus", "dyn-", 0, 0, 10},
        {"commandType", "type", 28, 29, 0},
    }};
    return fields;
}

std::optional<std::size_t> FindParameterField(const std::string& name) {
    const std::string folded = Folded(name);
    const auto& fields = ParameterFields();
    for (std::size_t i = 0; i < fields.size(); ++i)
        if (folded == Folded(fields[i].key) || folded == Folded(fields[i].sendName)) return i;
    return std::nullopt;
}

std::size_t FieldOf(const WantedParameter& wanted) {
    const auto& fields = ParameterFields();
    for (std::size_t i = 0; i < fields.size(); ++i) {
        const ParameterField& f = fields[i];
        if (wanted.levelText != 0 ? f.levelText == wanted.levelText
                                  : wanted.option >= f.firstOption && wanted.option <= f.lastOption && f.levelText == 0)
            return i;
    }
    return 0;
}

std::string ChoiceNames(std::size_t field) {
    std::string names;
    for (const Choice& c : Choices()[field]) {
        if (!names.empty()) names += '|';
        names += c.name;
    }
    return names;
}

bool ParseParameterValue(std::size_t field, const std::string& value, WantedParameter& wanted, std::string& error,
                         int mostLevel) {
    const ParameterField& f = ParameterFields()[field];
    if (f.levelText != 0) {
        const bool digits =
            !value.empty() && value.size() <= 3 && value.find_first_not_of("0123456789") == std::string::npos;
        if (!digits || std::stoi(value) > mostLevel) {
            error = std::string(f.sendName) + "='" + value + "': a level is a whole percent from 0 to " +
                    std::to_string(mostLevel);
            return false;
        }
        wanted = {0, f.levelText, std::stoi(value)};
        return true;
    }
    for (const Choice& c : Choices()[field]) {
        if (Folded(c.name) == Folded(value)) {
            wanted = {c.option, 0, 0};
            return true;
        }
    }
    error = std::string(f.sendName) + "='" + value + "': use " + ChoiceNames(field);
    return false;
}

std::string ShownValue(const DetectorParameters& p, std::size_t field) {
    switch (field) {
    case 0: return Name(p.channel, ChannelNames());
    case 1: return Name(p.dynamicTime, DynamicTimeNames());
    case 2: return Name(p.outputPower, OutputPowerNames());
    case 3: return Name(p.riseTime, RiseTimeNames());
    case 4: return Name(p.fallTime, FallTimeNames());
    case 5: return Level(p.levelOnPlus);
    case 6: return Level(p.levelDynPlus);
    case 7: return Level(p.levelDynMinus);
    default: return Name(p.commandType, CommandTypeNames());
    }
}

std::string WantedValue(const WantedParameter& wanted) {
    if (wanted.levelText != 0) return std::to_string(wanted.level);
    // The option selected alone in its group is what the window then shows.
    const ParameterField& f = ParameterFields()[FieldOf(wanted)];
    DetectorParameters p;
    const int index = wanted.option - f.firstOption;
    for (std::optional<int>* group :
         {&p.channel, &p.dynamicTime, &p.outputPower, &p.riseTime, &p.fallTime, &p.commandType})
        *group = index;
    return ShownValue(p, FieldOf(wanted));
}

void SelectWanted(Form& f, const WantedParameter& wanted) {
    if (wanted.option != 0) f.ui.Option[static_cast<std::size_t>(wanted.option)]->select();
    if (wanted.levelText == 0) return;
    TextBox* level = wanted.levelText == 8 ? f.ui.Text8 : wanted.levelText == 9 ? f.ui.Text9 : f.ui.Text10;
    level->setText(std::to_string(wanted.level));
}

HeldLevels LevelsHeld(const Form& f) { return {LevelHeld(f, 8), LevelHeld(f, 9), LevelHeld(f, 10)}; }

void KeepLevelsNotGiven(Form& f, const std::vector<WantedParameter>& wanted, const HeldLevels& held) {
    if (f.x.paramSendActive != 1) return; // the send was refused
    for (int n : {8, 9, 10}) {
        const bool given =
            std::any_of(wanted.begin(), wanted.end(), [n](const WantedParameter& w) { return w.levelText == n; });
        if (!given) f.x.savedText[static_cast<std::size_t>(n)] = held[static_cast<std::size_t>(n - 8)];
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
