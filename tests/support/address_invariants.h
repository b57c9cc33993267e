#pragma once
// What must hold after an address read or send has ended, for any run of the
// tool against a simulated box: the window never says "done" (line 18) over
// addresses the detector does not hold. Each check returns an empty text when
// it holds, else what is wrong. When the operation did not end with line 18
// (stopped, refused, no box) there is nothing to check and both hold.
#include "drivers/sim/sim_box.h"
#include "form/form.h"
#include "protocol/number.h"

#include <cmath>
#include <string>

namespace quelm::test {

namespace address_invariants_detail {

inline bool EndedWithAddressesDone(const Form& f) { return f.x.operation == kIdle && f.x.shownLine == addressesDone; }

// The detector of Text3, as the frames address it.
inline const sim::Detector* DetectorShown(const Form& f, const sim::SimBox& box) {
    const double n = NumericValue(f.ui.Text3->text());
    if (!(n >= 0) || n > 16777215) return nullptr;
    return box.detector(static_cast<std::uint32_t>(std::floor(n)));
}

} // namespace address_invariants_detail

// A read ended with line 18: every enabled Text1(k) shows the detector's
// address k.
inline std::string CheckAddressReadInvariant(const Form& f, const sim::SimBox& box) {
    using namespace address_invariants_detail;
    if (!EndedWithAddressesDone(f)) return {};
    const sim::Detector* d = DetectorShown(f, box);
    if (d == nullptr) return "line 18 for detector '" + f.ui.Text3->text() + "', which the box does not reach";
    for (std::size_t k = 0; k < 10; ++k) {
        const TextBox& shown = *f.ui.Text1[k];
        if (shown.enabled() && shown.text() != std::to_string(d->addresses[k]))
            return "Text1(" + std::to_string(k) + ") shows '" + shown.text() + "', the detector holds " +
                   std::to_string(d->addresses[k]);
    }
    return {};
}

// A send ended with line 18: the detector holds exactly the ten addresses
// of Text2(0) to Text2(9) (an empty box wanting 0).
inline std::string CheckAddressSendInvariant(const Form& f, const sim::SimBox& box) {
    using namespace address_invariants_detail;
    if (!EndedWithAddressesDone(f)) return {};
    const sim::Detector* d = DetectorShown(f, box);
    if (d == nullptr) return "line 18 for detector '" + f.ui.Text3->text() + "', which the box does not reach";
    for (std::size_t k = 0; k < 10; ++k) {
        const double wanted = NumericValue(f.ui.Text2[k]->text());
        if (wanted != static_cast<double>(d->addresses[k]))
            return "address " + std::to_string(k) + ": wanted '" + f.ui.Text2[k]->text() + "', the detector holds " +
                   std::to_string(d->addresses[k]);
    }
    return {};
}

} // namespace quelm::test
