#pragma once
// Fits the window to the screen once: one ratio for positions, sizes and
// fonts, text boxes keeping their design height.
#include "core/window_model.h"

namespace quelm {

// The smaller of screen width / 15240 and screen height / 10600, in single
// precision as the layout uses it.
float LayoutRatio(const ScreenSize& screen);
void ScaleLayout(WindowModel& ui);

} // namespace quelm
