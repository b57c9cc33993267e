#pragma once
// The model measures in twips; widgets are placed in pixels. Every
// conversion between the two goes through here.
#include "core/view_geometry.h"
#include "core/window_model.h"

#include <QGuiApplication>
#include <QRect>
#include <QScreen>
#include <QSize>

namespace quelm::ui {

using quelm::kTwipsPerPixel;

inline int twipsToPixels(double twips) { return TwipsToPixels(twips); }

// A control's current rectangle in pixels, relative to its parent widget.
inline QRect pixelRect(const Geometry& g) {
    const PixelRect r = PixelsOf(g);
    return {r.x, r.y, r.width, r.height};
}

// The window's client area in pixels, following the window's outer size.
inline QSize clientPixelSize(const WindowModel& ui) {
    const PixelRect r = ClientPixels(ui);
    return {r.width, r.height};
}

// The primary screen in twips, from its device-independent pixels. The
// available area is taken, not the whole screen: the window is fitted to it
// so that no part of it lies under a task bar or a dock. The reference size
// when there is no screen or it reports no area.
inline ScreenSize availableScreenTwips() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    const QRect area = screen ? screen->availableGeometry() : QRect();
    return ScreenTwips(area.width(), area.height());
}

} // namespace quelm::ui
