#include "support/send_invariants.h"

#include "protocol/number.h"

#include <algorithm>
#include <cmath>

namespace quelm::test {

namespace {

// The detector's code of the option saved in a group (first..last option).
std::uint8_t WantedCode(const Form& f, int firstOption, int lastOption, bool powerOrder, bool dynamicCodes) {
    static constexpr std::uint8_t kDynamicCodes[] = {0, 1, 2, 4, 6, 7};
    for (int n = firstOption; n <= lastOption; ++n) {
        if (!f.x.savedOption[static_cast<std::size_t>(n)]) continue;
        const int index = n - firstOption;
        if (powerOrder) return static_cast<std::uint8_t>(lastOption - n);
        if (dynamicCodes) return kDynamicCodes[index];
        return static_cast<std::uint8_t>(index);
    }
    return 255; // nothing saved: no detector value can match
}

std::string Differs(const char* what, int held, int wanted) {
    return std::string(what) + ": detector holds " + std::to_string(held) + ", wanted " + std::to_string(wanted) + "; ";
}

} // namespace

std::string CheckSendEnded(const Form& f, sim::SimBox& box) {
    if (f.x.shownLine != parametersSent) return {};
    if (f.x.paramSendActive != 0) return "line 37 shown with the send still active";
    const double number = NumericValue(f.ui.Text3->text());
    const sim::Detector* d = box.detector(static_cast<std::uint32_t>(number));
    if (d == nullptr) return "line 37 shown, but no detector " + f.ui.Text3->text() + " in the box";
    std::string wrong;
    auto check = [&](const char* what, int held, int wanted) {
        if (held != wanted) wrong += Differs(what, held, wanted);
    };
    check("channel", d->channel, WantedCode(f, 3, 4, false, false));
    check("dynamic time", d->dynamicTime, WantedCode(f, 5, 10, false, true));
    check("output power", d->outputPower, WantedCode(f, 11, 13, true, false));
    check("rise time", d->riseTime, WantedCode(f, 14, 20, false, false));
    check("fall time", d->fallTime, WantedCode(f, 21, 27, false, false));
    check("level ON+", d->levelOnPlus, static_cast<int>(f.x.savedText[8]));
    check("level DYN+", d->levelDynPlus, static_cast<int>(f.x.savedText[9]));
    check("level DYN-", d->levelDynMinus, static_cast<int>(f.x.savedText[10]));
    check("command type", d->commandType, WantedCode(f, 28, 29, false, false));
    for (int n : {8, 9, 10})
        if (f.x.savedText[static_cast<std::size_t>(n)] != std::floor(f.x.savedText[static_cast<std::size_t>(n)]))
            wrong += "a level with a fraction was confirmed; ";
    return wrong;
}

std::string CheckProgrammingEnded(const Form& f, const sim::SimBox& box, std::uint32_t oldNumber,
                                  std::uint32_t newNumber) {
    if (f.x.shownLine != numberProgrammed) return {};
    const auto& ds = box.config().detectors;
    const auto holding = [&](std::uint32_t n) {
        return std::count_if(ds.begin(), ds.end(), [n](const sim::Detector& d) { return d.number == n; });
    };
    std::string wrong;
    if (holding(newNumber) != 1)
        wrong +=
            std::to_string(holding(newNumber)) + " detectors with the new number " + std::to_string(newNumber) + "; ";
    if (oldNumber != newNumber && holding(oldNumber) != 0)
        wrong += "a detector still has the old number " + std::to_string(oldNumber) + "; ";
    if (f.ui.Text3->text() != std::to_string(newNumber)) wrong += "Text3 shows " + f.ui.Text3->text() + "; ";
    return wrong;
}

} // namespace quelm::test
