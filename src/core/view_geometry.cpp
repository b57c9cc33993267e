#include "core/view_geometry.h"

#include <cmath>

namespace quelm {

int TwipsToPixels(double twips, int dpi) {
    return static_cast<int>(std::lround(twips * dpi / (kTwipsPerPixel * kDesignDpi)));
}

PixelRect PixelsOf(const Geometry& g, int dpi) {
    return {TwipsToPixels(g.left, dpi), TwipsToPixels(g.top, dpi), TwipsToPixels(g.width, dpi),
            TwipsToPixels(g.height, dpi)};
}

PixelRect ClientPixels(const WindowModel& ui, int dpi) {
    return {0, 0, TwipsToPixels(ui.clientWidth(), dpi), TwipsToPixels(ui.clientHeight(), dpi)};
}

ScreenSize ScreenTwips(int width, int height, int dpi) {
    if (width <= 0 || height <= 0 || dpi <= 0) return {};
    const double perPixel = kTwipsPerPixel * kDesignDpi / dpi;
    return {width * perPixel, height * perPixel};
}

int FontPixels(double points, int dpi) { return static_cast<int>(std::lround(points * dpi / 72.0)); }

bool OpensMenu(const WindowModel& ui, const MenuItem& item) {
    for (const MenuItem* m : ui.menus())
        if (m->menuParent() == &item) return true;
    return false;
}

} // namespace quelm
