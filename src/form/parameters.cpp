#include "form/parameters.h"

#include "core/roles.h"
#include "form/form_ops.h"
#include "protocol/codec.h"

namespace quelm {

namespace {

// Selects the option that stands for `code`. A code no option stands for
// (a detector holding a value this window cannot show) leaves the whole
// group unselected, so that the group shows nothing rather than the previous
// detector's choice, and a later send finds it different and writes it.
void SelectByCode(Form& f, std::int64_t code, const ParameterRow& row) {
    for (const ParameterChoice& c : row.choices)
        if (c.replyCode == code) return f.ui.Option[static_cast<std::size_t>(c.option)]->select();
    for (const ParameterChoice& c : row.choices) f.ui.Option[static_cast<std::size_t>(c.option)]->setValue(false);
}

// The box shows at most 100; what the detector reported is kept beside it.
void ShowReportedLevel(Form& f, TextBox& box, int n, std::int64_t level) {
    f.x.reportedLevel[static_cast<std::size_t>(n)] = static_cast<int>(level);
    box.setText(std::to_string(level));
}

void ClampLevel(TextBox& box) {
    if (NumericValue(box.text()) > 100) box.setText("100");
    if (NumericValue(box.text()) < 0) box.setText("0");
}

std::optional<int> SelectedIndex(const Form& f, const ParameterRow& row) {
    const int first = FirstOption(row);
    for (int n = first; n <= LastOption(row); ++n)
        if (f.ui.Option[static_cast<std::size_t>(n)]->value()) return n - first;
    return std::nullopt;
}

} // namespace

void ApplyParameterReply(Form& f, const Frame& b) {
    const int group = static_cast<int>(b[1]) - code::kReadGroup1 + kFirstReadGroup;
    for (const ParameterRow& row : ParameterTable()) {
        if (row.readGroup != group) continue;
        const std::int64_t value = b[static_cast<std::size_t>(row.replyByte)];
        if (row.isLevel())
            ShowReportedLevel(f, *LevelBox(f, row.levelText), row.levelText, value);
        else
            SelectByCode(f, value, row);
    }
}

void Text8_Change(Form& f) { ClampLevel(*f.ui.Text8); }
void Text9_Change(Form& f) { ClampLevel(*f.ui.Text9); }
void Text10_Change(Form& f) { ClampLevel(*f.ui.Text10); }

double LevelHeld(const Form& f, int n) {
    const TextBox* box = LevelBox(f, n);
    const double shown = NumericValue(box->text());
    const std::optional<int>& reported = f.x.reportedLevel[static_cast<std::size_t>(n)];
    return reported && *reported > 100 && shown == 100 ? *reported : shown;
}

DetectorParameters ParametersHeld(const Form& f) {
    DetectorParameters p = ParametersShown(f);
    for (const ParameterRow& row : ParameterTable()) {
        if (!row.isLevel()) continue;
        const double held = LevelHeld(f, row.levelText);
        if (held > 100) p.*row.shownLevel = std::to_string(static_cast<int>(held));
    }
    return p;
}

DetectorParameters ParametersShown(const Form& f) {
    DetectorParameters p;
    for (const ParameterRow& row : ParameterTable()) {
        if (row.isLevel())
            p.*row.shownLevel = LevelBox(f, row.levelText)->text();
        else
            p.*row.shownChoice = SelectedIndex(f, row);
    }
    return p;
}

std::string ChoiceName(const ParameterRow& row, const std::optional<int>& index) {
    const ParameterChoice* choice = ChoiceAtIndex(row, index);
    return choice ? choice->name : "";
}

void RestoreParameterControls(Form& f) {
    for (std::size_t n = option::firstParameter; n <= option::lastParameter; ++n)
        f.ui.Option[n]->setValue(f.x.savedOption[n]);
    for (const ParameterRow& row : ParameterTable())
        if (row.isLevel())
            LevelBox(f, row.levelText)->setText(NumberText(f.x.savedText[static_cast<std::size_t>(row.levelText)]));
    for (const ParameterRow& row : ParameterTable())
        for (Control* c : RowControls(f, row)) c->setEnabled(true);
    f.x.paramSendActive = 0;
    SayValuesUncertain(f);
}

} // namespace quelm
