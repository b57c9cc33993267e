#include "site/line_watch.h"

namespace quelm {

LineWatch::LineWatch(Form& f) : f_(f), previous_(std::move(f.link.frameWatch)), bytesAtStart_(f.link.bytesFromBox) {
    f_.link.frameWatch = [this](const Frame& frame, bool toBox) {
        if (previous_) previous_(frame, toBox);
        sent_ += toBox ? 1 : 0;
    };
}

LineWatch::~LineWatch() { f_.link.frameWatch = std::move(previous_); }

bool LineWatch::quiet(int requests) const {
    return sent_ == requests && f_.link.bytesFromBox - bytesAtStart_ == 5u * static_cast<unsigned>(requests);
}

} // namespace quelm
