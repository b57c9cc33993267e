#pragma once
// The tool's widget style: Fusion, with the menu bar's overflow chevron drawn
// by code. Fusion reads that icon from image files when the menu bar is
// made, which loads the image format plugins at every start; nothing else in
// the window reads an image file.
class QStyle;

namespace quelm::ui {

QStyle* makeToolStyle();

} // namespace quelm::ui
