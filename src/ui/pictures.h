#pragma once
// The two fixed pictures of the main window, drawn by code.
#include <QPixmap>
#include <string_view>

namespace quelm::ui {

// The programming box with its USB cable beside a detector: 700 x 351.
QPixmap drawBoxPicture();
// An arrow from the received addresses (left) to the addresses to send
// (right): 50 x 60, transparent around the arrow.
QPixmap drawArrowPicture();
// The picture a control names ("box", "arrow"); a null pixmap otherwise.
QPixmap pictureNamed(std::string_view name);

} // namespace quelm::ui
