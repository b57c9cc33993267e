#include "form/parameter_table.h"

#include "core/roles.h"

#include <algorithm>
#include <array>

namespace quelm {

namespace {

using P = DetectorParameters;

// Each choice: name, option, the code the detector reports, the value its
// write takes. Dynamic time is the one group whose reported codes skip
// numbers; output power the one whose options (min, med, max) run against
// its codes.
constexpr ParameterChoice kChannel[] = {{"A", 3, 0, 0}, {"B", 4, 1, 1}};
constexpr ParameterChoice kDynamicTime[] = {{"5s", 5, 0, 0},   {"30s", 6, 1, 1},  {"1min", 7, 2, 2},
                                            {"2min", 8, 4, 3}, {"5min", 9, 6, 4}, {"10min", 10, 7, 5}};
constexpr ParameterChoice kOutputPower[] = {{"max", 13, 0, 0}, {"med", 12, 1, 1}, {"min", 11, 2, 2}};
constexpr ParameterChoice kRiseTime[] = {{"0.1s", 14, 0, 0}, {"0.5s", 15, 1, 1}, {"1s", 16, 2, 2}, {"1.5s", 17, 3, 3},
                                         {"2s", 18, 4, 4},   {"3s", 19, 5, 5},   {"5s", 20, 6, 6}};
constexpr ParameterChoice kFallTime[] = {{"10s", 21, 0, 0},  {"20s", 22, 1, 1},  {"30s", 23, 2, 2}, {"45s", 24, 3, 3},
                                         {"1min", 25, 4, 4}, {"2min", 26, 5, 5}, {"4min", 27, 6, 6}};
constexpr ParameterChoice kCommandType[] = {{"L1+L3", 28, 0, 0}, {"L1", 29, 1, 1}};

constexpr std::array<ParameterRow, kParameterCount> kRows{{
    {.parameter = Parameter::channel,
     .key = "channel",
     .cliName = "channel",
     .label = "detector channel",
     .frenchColumn = "canal",
     .frame = 7,
     .choices = kChannel,
     .readGroup = 1,
     .replyByte = 3,
     .sendTimer = 7,
     .sendingLine = sendingChannel,
     .projectLine = 11,
     .shownChoice = &P::channel},
    {.parameter = Parameter::dynamicTime,
     .key = "dynamicTime",
     .cliName = "dyn",
     .label = "dynamic time",
     .frenchColumn = "temps dynamique",
     .frame = 8,
     .choices = kDynamicTime,
     .readGroup = 1,
     .replyByte = 4,
     .sendTimer = 8,
     .sendingLine = sendingDynamicTime,
     .projectLine = 13,
     .shownChoice = &P::dynamicTime},
    {.parameter = Parameter::outputPower,
     .key = "outputPower",
     .cliName = "power",
     .label = "output power",
     .frenchColumn = "puissance",
     .frame = 12,
     .choices = kOutputPower,
     .readGroup = 1,
     .replyByte = 2,
     .sendTimer = 9,
     .sendingLine = sendingOutputPower,
     .projectLine = 12,
     .shownChoice = &P::outputPower},
    {.parameter = Parameter::riseTime,
     .key = "riseTime",
     .cliName = "rise",
     .label = "rise time",
     .frenchColumn = "temps de montée",
     .frame = 13,
     .choices = kRiseTime,
     .readGroup = 2,
     .replyByte = 2,
     .sendTimer = 10,
     .sendingLine = sendingRiseTime,
     .projectLine = 14,
     .shownChoice = &P::riseTime},
    {.parameter = Parameter::fallTime,
     .key = "fallTime",
     .cliName = "fall",
     .label = "fall time",
     .frenchColumn = "temps de descente",
     .frame = 14,
     .choices = kFallTime,
     .readGroup = 2,
     .replyByte = 3,
     .sendTimer = 11,
     .sendingLine = sendingFallTime,
     .projectLine = 15,
     .shownChoice = &P::fallTime},
    {.parameter = Parameter::levelOnPlus,
     .key = "levelOnPlus",
     .cliName = "on",
     .label = "level ON+",
     .frenchColumn = "niveau ON+",
     .frame = 15,
     .levelText = 8,
     .readGroup = 2,
     .replyByte = 4,
     .sendTimer = 12,
     .sendingLine = sendingLevelOnPlus,
     .projectLine = 17,
     .shownLevel = &P::levelOnPlus},
    {.parameter = Parameter::levelDynPlus,
     .key = "levelDynPlus",
     .cliName = "dyn+",
     .label = "level DYN+",
     .frenchColumn = "niveau DYN+",
     .frame = 16,
     .levelText = 9,
     .readGroup = 3,
     .replyByte = 2,
     .sendTimer = 13,
     .sendingLine = sendingLevelDynPlus,
     .projectLine = 18,
     .shownLevel = &P::levelDynPlus},
    {.parameter = Parameter::levelDynMinus,
     .key = "levelDynMinus",
     .cliName = "dyn-",
     .label = "level DYN-",
     .frenchColumn = "niveau DYN-",
     .frame = 17,
     .levelText = 10,
     .readGroup = 3,
     .replyByte = 3,
     .sendTimer = 14,
     .sendingLine = sendingLevelDynMinus,
     .projectLine = 19,
     .shownLevel = &P::levelDynMinus},
    {.parameter = Parameter::commandType,
     .key = "commandType",
     .cliName = "type",
     .label = "dynamic command",
     .frenchColumn = "type de commande",
     .frame = 18,
     .choices = kCommandType,
     .readGroup = 3,
     .replyByte = 4,
     .sendTimer = 15,
     .sendingLine = sendingCommandType,
     .projectLine = 16,
     .shownChoice = &P::commandType},
}};

// What the handlers take for granted about the table.
constexpr bool RowsInParameterOrder() {
    for (std::size_t i = 0; i < kRows.size(); ++i)
        if (static_cast<std::size_t>(kRows[i].parameter) != i) return false;
    return true;
}
// The send steps run one timer each, from the first step on, in row order.
constexpr bool SendStepsInRowOrder() {
    for (std::size_t i = 0; i < kRows.size(); ++i)
        if (kRows[i].sendTimer != timer::firstSendStep + i) return false;
    return kRows.back().sendTimer + 1 == timer::lastSendStep;
}
// The choice rows' options, in row order, cover the parameter options once
// each, every group a run of consecutive numbers.
constexpr bool OptionsCoverTheWindow() {
    int next = option::firstParameter;
    for (const ParameterRow& r : kRows) {
        if (r.isLevel()) continue;
        for (std::size_t i = 0; i < r.choices.size(); ++i) {
            bool found = false;
            for (const ParameterChoice& c : r.choices) found = found || c.option == next + static_cast<int>(i);
            if (!found) return false;
        }
        next += static_cast<int>(r.choices.size());
    }
    return next == option::lastParameter + 1;
}
// Lines 11 to 16 hold the choices, 17 to 19 the levels, one row each.
constexpr bool ProjectLinesOnce() {
    for (int line = kFirstProjectOptionLine; line <= kLastProjectLine; ++line) {
        int rows = 0;
        bool rightKind = true;
        for (const ParameterRow& r : kRows) {
            if (r.projectLine != line) continue;
            ++rows;
            rightKind = rightKind && r.isLevel() == (line > kLastProjectOptionLine);
        }
        if (rows != 1 || !rightKind) return false;
    }
    return true;
}
// Each reply byte of each read group carries one parameter.
constexpr bool ReplyBytesOnce() {
    for (int group = kFirstReadGroup; group <= kLastReadGroup; ++group)
        for (int byte = 2; byte <= 4; ++byte) {
            int rows = 0;
            for (const ParameterRow& r : kRows) rows += r.readGroup == group && r.replyByte == byte;
            if (rows != 1) return false;
        }
    return true;
}
static_assert(RowsInParameterOrder());
static_assert(SendStepsInRowOrder());
static_assert(OptionsCoverTheWindow());
static_assert(ProjectLinesOnce());
static_assert(ReplyBytesOnce());

template <typename Pred>
const ParameterRow* FindRow(Pred pred) {
    const auto it = std::find_if(kRows.begin(), kRows.end(), pred);
    return it == kRows.end() ? nullptr : &*it;
}

} // namespace

std::span<const ParameterRow, kParameterCount> ParameterTable() { return kRows; }

const ParameterRow& RowOf(Parameter parameter) { return kRows[static_cast<std::size_t>(parameter)]; }

const ParameterRow* RowOfSendTimer(std::size_t timer) {
    return FindRow([timer](const ParameterRow& r) { return r.sendTimer == timer; });
}

const ParameterRow* RowOfProjectLine(int line) {
    return FindRow([line](const ParameterRow& r) { return r.projectLine == line; });
}

const ParameterRow* RowOfOption(int option) {
    return FindRow([option](const ParameterRow& r) { return ChoiceOfOption(r, option) != nullptr; });
}

const ParameterRow* RowOfLevelText(int levelText) {
    return FindRow([levelText](const ParameterRow& r) { return r.isLevel() && r.levelText == levelText; });
}

std::vector<const ParameterRow*> RowsInFileOrder() {
    std::vector<const ParameterRow*> rows;
    for (int line = kFirstProjectOptionLine; line <= kLastProjectLine; ++line) rows.push_back(RowOfProjectLine(line));
    return rows;
}

int FirstOption(const ParameterRow& row) {
    int first = 0;
    for (const ParameterChoice& c : row.choices) first = first == 0 ? c.option : std::min(first, c.option);
    return first;
}

int LastOption(const ParameterRow& row) {
    int last = 0;
    for (const ParameterChoice& c : row.choices) last = std::max(last, c.option);
    return last;
}

const ParameterChoice* ChoiceOfOption(const ParameterRow& row, int option) {
    for (const ParameterChoice& c : row.choices)
        if (c.option == option) return &c;
    return nullptr;
}

const ParameterChoice* ChoiceAtIndex(const ParameterRow& row, std::optional<int> index) {
    if (!index || *index < 0) return nullptr;
    return ChoiceOfOption(row, FirstOption(row) + *index);
}

TextBox* LevelBox(const Form& f, int levelText) {
    return levelText == 8 ? f.ui.Text8 : levelText == 9 ? f.ui.Text9 : f.ui.Text10;
}

std::vector<Control*> RowControls(Form& f, const ParameterRow& row) {
    if (row.isLevel()) return {f.ui.Frame[row.frame], LevelBox(f, row.levelText)};
    std::vector<Control*> controls;
    for (int n = FirstOption(row); n <= LastOption(row); ++n)
        controls.push_back(f.ui.Option[static_cast<std::size_t>(n)]);
    return controls;
}

std::vector<Control*> ReadGroupControls(Form& f, int group) {
    std::vector<Control*> controls;
    for (bool levels : {false, true})
        for (const ParameterRow& r : kRows)
            if (r.readGroup == group && r.isLevel() == levels) {
                const auto row = RowControls(f, r);
                controls.insert(controls.end(), row.begin(), row.end());
            }
    return controls;
}

} // namespace quelm
