#pragma once
// The tool's widget style: Qt's classic Windows look, as the window was
// designed for, drawn cheaply:
// - the menu bar's overflow chevron is drawn by code (the base style reads
//   that icon from image files when the menu bar is made, which would load
//   the image format plugins at every start);
// - option buttons and text box panels, some thirty of each, are drawn once
//   per look and copied;
// - group frames are drawn as filled one-pixel rectangles, which the painter
//   clips around the title far faster than lines.
class QStyle;

namespace quelm::ui {

QStyle* makeToolStyle();

} // namespace quelm::ui
