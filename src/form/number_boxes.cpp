#include "form/number_boxes.h"

#include "form/form_ops.h"
#include "protocol/number.h"

namespace quelm {

namespace {

// The caption of the group that holds the box, without the blanks around it;
// the box's own name for a box in no group or a group with no caption.
std::string BoxCaption(const TextBox& box) {
    const std::string caption = box.container() != nullptr ? box.container()->caption() : std::string();
    const auto first = caption.find_first_not_of(' ');
    if (first == std::string::npos) return box.name();
    return caption.substr(first, caption.find_last_not_of(' ') - first + 1);
}

} // namespace

std::optional<long> BoxNumber(const TextBox& box) { return PlainWholeNumber(box.text(), kMaxDetectorNumber); }

double FrameNumberOf(const TextBox& box) {
    const std::optional<long> number = BoxNumber(box);
    return number ? static_cast<double>(*number) : -1.0;
}

bool RefuseNotANumber(Form& f, const TextBox& box, NumberUse use) {
    if (BoxNumber(box)) return false;
    std::string named = " ";
    named += BoxCaption(box);
    if (use == NumberUse::read)
        ShowLineWith(f, numberBoxReadRefused, Said::NumberBoxReadRefused, named);
    else
        ShowLineWith(f, numberBoxSendRefused, Said::NumberBoxSendRefused, named);
    return true;
}

} // namespace quelm
