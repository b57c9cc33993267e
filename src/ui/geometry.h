#pragma once
// The model measures in twips; widgets are placed in pixels. Every
// conversion between the two goes through here.
#include "core/window_model.h"

#include <QGuiApplication>
#include <QRect>
#include <QScreen>
#include <QSize>
#include <cmath>

namespace quelm::ui {

constexpr double kTwipsPerPixel = 15; // at 96 dots per inch

// Nearest pixel; halves round away from zero, so that negative positions
// mirror positive ones.
inline int twipsToPixels(double twips) { return static_cast<int>(std::lround(twips / kTwipsPerPixel)); }

// A control's current rectangle in pixels, relative to its parent widget.
inline QRect pixelRect(const Geometry& g) {
    return {twipsToPixels(g.left), twipsToPixels(g.top), twipsToPixels(g.width), twipsToPixels(g.height)};
}

// The window's client area in pixels, following the window's outer size.
inline QSize clientPixelSize(const WindowModel& ui) {
    return {twipsToPixels(ui.clientWidth()), twipsToPixels(ui.clientHeight())};
}

// The primary screen in twips, from its device-independent pixels. The
// available area is taken, not the whole screen: the window is fitted to it
// so that no part of it lies under a task bar or a dock. The reference size
// when there is no screen or it reports no area.
inline ScreenSize availableScreenTwips() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    const QRect area = screen ? screen->availableGeometry() : QRect();
    if (area.isEmpty()) return {}; // a ratio of 0 would shrink the window to nothing
    return {area.width() * kTwipsPerPixel, area.height() * kTwipsPerPixel};
}

} // namespace quelm::ui
