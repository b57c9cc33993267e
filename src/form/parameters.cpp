#include "form/parameters.h"

#include "form/form_ops.h"
#include "protocol/codec.h"

namespace quelm {

namespace {

// Selects the option that stands for `code`. A code no option stands for
// (a detector holding a value this window cannot show) leaves the whole
// group unselected, so that the group shows nothing rather than the previous
// detector's choice, and a later send finds it different and writes it.
template <std::size_t N>
void SelectByCode(Form& f, std::int64_t code, const std::array<int, N>& options, const std::array<int, N>& codes) {
    for (std::size_t i = 0; i < N; ++i) {
        if (codes[i] == code) return f.ui.Option[static_cast<std::size_t>(options[i])]->select();
    }
    for (int n : options) f.ui.Option[static_cast<std::size_t>(n)]->setValue(false);
}

constexpr std::array<int, 2> kChannelOptions{3, 4};
constexpr std::array<int, 2> kChannelCodes{0, 1};
constexpr std::array<int, 6> kDynamicOptions{5, 6, 7, 8, 9, 10};
constexpr std::array<int, 6> kDynamicCodes{0, 1, 2, 4, 6, 7};
constexpr std::array<int, 3> kPowerOptions{13, 12, 11};
constexpr std::array<int, 3> kPowerCodes{0, 1, 2};
constexpr std::array<int, 7> kRiseOptions{14, 15, 16, 17, 18, 19, 20};
constexpr std::array<int, 7> kFallOptions{21, 22, 23, 24, 25, 26, 27};
constexpr std::array<int, 7> kSevenCodes{0, 1, 2, 3, 4, 5, 6};
constexpr std::array<int, 2> kTypeOptions{28, 29};
constexpr std::array<int, 2> kTypeCodes{0, 1};

// The box shows at most 100; what the detector reported is kept beside it.
void ShowReportedLevel(Form& f, TextBox& box, int n, std::int64_t level) {
    f.x.reportedLevel[static_cast<std::size_t>(n)] = static_cast<int>(level);
    box.setText(std::to_string(level));
}

void ClampLevel(TextBox& box) {
    if (NumericValue(box.text()) > 100) box.setText("100");
    if (NumericValue(box.text()) < 0) box.setText("0");
}

std::optional<int> SelectedIndex(const Form& f, int first, int last) {
    for (int n = first; n <= last; ++n)
        if (f.ui.Option[static_cast<std::size_t>(n)]->value()) return n - first;
    return std::nullopt;
}

} // namespace

void ApplyParameterReply(Form& f, const Frame& b) {
    switch (b[1]) {
    case code::kReadGroup1:
        SelectByCode(f, b[3], kChannelOptions, kChannelCodes);
        SelectByCode(f, b[4], kDynamicOptions, kDynamicCodes);
        SelectByCode(f, b[2], kPowerOptions, kPowerCodes);
        break;
    case code::kReadGroup2:
        SelectByCode(f, b[2], kRiseOptions, kSevenCodes);
        SelectByCode(f, b[3], kFallOptions, kSevenCodes);
        ShowReportedLevel(f, *f.ui.Text8, 8, b[4]);
        break;
    case code::kReadGroup3:
        ShowReportedLevel(f, *f.ui.Text9, 9, b[2]);
        ShowReportedLevel(f, *f.ui.Text10, 10, b[3]);
        SelectByCode(f, b[4], kTypeOptions, kTypeCodes);
        break;
    default: break;
    }
}

void Text8_Change(Form& f) { ClampLevel(*f.ui.Text8); }
void Text9_Change(Form& f) { ClampLevel(*f.ui.Text9); }
void Text10_Change(Form& f) { ClampLevel(*f.ui.Text10); }

void Text2_Change(Form& f, int index) {
    TextBox& box = *f.ui.Text2[static_cast<std::size_t>(index)];
    if (NumericValue(box.text()) > 1048574) box.setText("1048574");
}

double LevelHeld(const Form& f, int n) {
    const TextBox* box = n == 8 ? f.ui.Text8 : n == 9 ? f.ui.Text9 : f.ui.Text10;
    const double shown = NumericValue(box->text());
    const std::optional<int>& reported = f.x.reportedLevel[static_cast<std::size_t>(n)];
    return reported && *reported > 100 && shown == 100 ? *reported : shown;
}

DetectorParameters ParametersHeld(const Form& f) {
    DetectorParameters p = ParametersShown(f);
    for (auto [text, n] :
         {std::pair{&p.levelOnPlus, 8}, std::pair{&p.levelDynPlus, 9}, std::pair{&p.levelDynMinus, 10}}) {
        const double held = LevelHeld(f, n);
        if (held > 100) *text = std::to_string(static_cast<int>(held));
    }
    return p;
}

DetectorParameters ParametersShown(const Form& f) {
    DetectorParameters p;
    p.channel = SelectedIndex(f, 3, 4);
    p.dynamicTime = SelectedIndex(f, 5, 10);
    p.outputPower = SelectedIndex(f, 11, 13);
    p.riseTime = SelectedIndex(f, 14, 20);
    p.fallTime = SelectedIndex(f, 21, 27);
    p.commandType = SelectedIndex(f, 28, 29);
    p.levelOnPlus = f.ui.Text8->text();
    p.levelDynPlus = f.ui.Text9->text();
    p.levelDynMinus = f.ui.Text10->text();
    return p;
}

const std::array<const char*, 2>& ChannelNames() {
    static const std::array<const char*, 2> n{"A", "B"};
    return n;
}
const std::array<const char*, 6>& DynamicTimeNames() {
    static const std::array<const char*, 6> n{"5s", "30s", "1min", "2min", "5min", "10min"};
    return n;
}
const std::array<const char*, 3>& OutputPowerNames() {
    static const std::array<const char*, 3> n{"min", "med", "max"};
    return n;
}
const std::array<const char*, 7>& RiseTimeNames() {
    static const std::array<const char*, 7> n{"0.1s", "0.5s", "1s", "1.5s", "2s", "3s", "5s"};
    return n;
}
const std::array<const char*, 7>& FallTimeNames() {
    static const std::array<const char*, 7> n{"10s", "20s", "30s", "45s", "1min", "2min", "4min"};
    return n;
}
const std::array<const char*, 2>& CommandTypeNames() {
    static const std::array<const char*, 2> n{"L1+L3", "L1"};
    return n;
}

void RestoreParameterControls(Form& f) {
    for (int n = 3; n <= 29; ++n)
        f.ui.Option[static_cast<std::size_t>(n)]->setValue(f.x.savedOption[static_cast<std::size_t>(n)]);
    f.ui.Text8->setText(NumberText(f.x.savedText[8]));
    f.ui.Text9->setText(NumberText(f.x.savedText[9]));
    f.ui.Text10->setText(NumberText(f.x.savedText[10]));
    EnableOptions(f, 3, 27);
    Enable({f.ui.Frame[15], f.ui.Option[28], f.ui.Option[29], f.ui.Frame[16], f.ui.Frame[17], f.ui.Text8, f.ui.Text9,
            f.ui.Text10});
    f.x.paramSendActive = 0;
    SayValuesUncertain(f);
}

} // namespace quelm
