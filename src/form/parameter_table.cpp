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
    // parameter, key, cliName, label, frame, choices, levelText, readGroup, replyByte, sendTimer, sendingLine,
    // projectLine, shownChoice, shownLevel
    {Parameter::channel, "channel", "channel", "detector channel", 7, kChannel, 0, 1, 3, 7, sendingChannel, 11,
     &P::channel, nullptr},
    {Parameter::dynamicTime, "dynamicTime", "dyn", "dynamic time", 8, kDynamicTime, 0, 1, 4, 8, sendingDynamicTime, 13,
     &P::dynamicTime, nullptr},
    {Parameter::outputPower, "outputPower", "power", "output power", 12, kOutputPower, 0, 1, 2, 9, sendingOutputPower,
     12, &P::outputPower, nullptr},
    {Parameter::riseTime, "riseTime", "rise", "rise time", 13, kRiseTime, 0, 2, 2, 10, sendingRiseTime, 14,
     &P::riseTime, nullptr},
    {Parameter::fallTime, "fallTime", "fall", "fall time", 14, kFallTime, 0, 2, 3, 11, sendingFallTime, 15,
     &P::fallTime, nullptr},
    {Parameter::levelOnPlus, "levelOnPlus", "on", "level ON+", 15, {}, 8, 2, 4, 12, sendingLevelOnPlus, 17, nullptr,
     &P::levelOnPlus},
    {Parameter::levelDynPlus, "levelDynPlus", "dyn+", "level DYN+", 16, {}, 9, 3, 2, 13, sendingLevelDynPlus, 18,
     nullptr, &P::levelDynPlus},
    {Parameter::levelDynMinus, "levelDynMinus", "dyn-", "level DYN-", 17, {}, 10, 3, 3, 14, sendingLevelDynMinus, 19,
     nullptr, &P::levelDynMinus},
    {Parameter::commandType, "commandType", "type", "dynamic command", 18, kCommandType, 0, 3, 4, 15,
     sendingCommandType, 16, &P::commandType, nullptr},
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
    for (int n = FirstOption(row); n <= LastOption(row); ++n) controls.push_back(f.ui.Option[static_cast<std::size_t>(n)]);
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
