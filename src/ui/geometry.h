#pragma once
// Design positions are in twips; widgets are placed in pixels. Every
// conversion from the model's twips to the screen goes through here.
#include "core/window_model.h"

#include <QRect>
#include <QSize>

namespace quelm::ui {

constexpr int kTwipsPerPixel = 15; // at 96 dots per inch

constexpr int twipsToPixels(int twips) {
    // Round half away from zero, so that negative positions mirror positive ones.
    return twips >= 0 ? (twips + kTwipsPerPixel / 2) / kTwipsPerPixel
                      : -((-twips + kTwipsPerPixel / 2) / kTwipsPerPixel);
}

// A control's rectangle in pixels, relative to its parent widget.
inline QRect pixelRect(const Twips& t) {
    return {twipsToPixels(t.left), twipsToPixels(t.top), twipsToPixels(t.width), twipsToPixels(t.height)};
}

// The window's client area in pixels.
inline QSize clientPixelSize() {
    return {twipsToPixels(WindowModel::kClientWidth), twipsToPixels(WindowModel::kClientHeight)};
}

} // namespace quelm::ui
