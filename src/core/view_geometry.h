#pragma once
// What every view of the window needs to place the model's controls on a
// screen, whatever its toolkit: twips to pixels at the screen's dots per
// inch, a control's rectangle, the client area, the screen in twips, font
// heights, and the menu tree (which items open a menu of their own).
#include "core/window_model.h"

namespace quelm {

constexpr double kTwipsPerPixel = 15; // at 96 dots per inch
constexpr int kDesignDpi = 96;

// Nearest pixel at `dpi`; halves round away from zero, so that negative
// positions mirror positive ones.
int TwipsToPixels(double twips, int dpi = kDesignDpi);

struct PixelRect {
    int x = 0, y = 0, width = 0, height = 0;
};

// A control's current rectangle in pixels, relative to its container.
PixelRect PixelsOf(const Geometry& g, int dpi = kDesignDpi);
// The window's client area in pixels, following the window's outer size.
PixelRect ClientPixels(const WindowModel& ui, int dpi = kDesignDpi);
// A screen area of `width` x `height` pixels at `dpi`, in twips; the
// reference size when the area is empty (a ratio of 0 would shrink the
// window to nothing).
ScreenSize ScreenTwips(int width, int height, int dpi = kDesignDpi);
// The height in pixels of a font of `points` at `dpi`.
int FontPixels(double points, int dpi = kDesignDpi);
// True when menu items stand under `item`: it opens a menu, it is no command.
bool OpensMenu(const WindowModel& ui, const MenuItem& item);

} // namespace quelm
