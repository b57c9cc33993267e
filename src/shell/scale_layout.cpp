#include "shell/scale_layout.h"

#include <cmath>

namespace quelm {

namespace {

constexpr float kReferenceWidth = 15240;
constexpr float kReferenceHeight = 10600;

double WholePart(double points) { return std::floor(points); }

bool IsTextBox(const Control& c) { return c.name().rfind("Text", 0) == 0; }

// The five assignments, in their order; pictures have no font to scale.
void ScaleControl(Control& c, float r) {
    Geometry g = c.geometry();
    g.left = static_cast<float>(g.left) * r;
    if (c.hasFont()) c.setFontPoints(WholePart(static_cast<float>(c.fontPoints()) * r));
    g.top = static_cast<float>(g.top) * r;
    if (!IsTextBox(c)) g.height = static_cast<float>(g.height) * r;
    g.width = static_cast<float>(g.width) * r;
    c.setGeometry(g);
}

} // namespace

float LayoutRatio(const ScreenSize& screen) {
    float wr = static_cast<float>(screen.width) / kReferenceWidth;
    float hr = static_cast<float>(screen.height) / kReferenceHeight;
    if (wr <= hr) hr = wr;
    if (hr <= wr) wr = hr;
    return wr;
}

void ScaleLayout(WindowModel& ui) {
    const float r = LayoutRatio(ui.screen);
    WindowFrame frame = ui.frame();
    frame.left = frame.top = 0;
    frame.height = static_cast<float>(frame.height) * r;
    frame.width = static_cast<float>(frame.width) * r;
    // The logical client size: the design coordinates span the new client area.
    frame.scaleHeight = std::floor(ui.kClientHeight * frame.height / ui.kOuterHeight / r);
    frame.scaleWidth = std::floor(ui.kClientWidth * frame.width / ui.kOuterWidth / r);
    frame.fontPoints = WholePart(static_cast<float>(frame.fontPoints) * r);
    ui.setFrame(frame);
    for (Control* c : ui.controls()) ScaleControl(*c, r);
}

} // namespace quelm
