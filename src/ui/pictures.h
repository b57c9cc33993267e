#pragma once
// The two fixed pictures of the main window, drawn by code.
#include <QPixmap>
#include <string_view>

namespace quelm::ui {

// The programming box with its USB cable beside a detector: drawn for
// 700 x 351, at `size` when given (the picture's control is smaller, and
// drawing it there costs less than drawing it large and shrinking it).
QPixmap drawBoxPicture(QSize size = {700, 351});
// An arrow from the received addresses (left) to the addresses to send
// (right): 50 x 60, transparent around the arrow.
QPixmap drawArrowPicture();
// The picture a control names ("box", "arrow"); a null pixmap otherwise.
// The box picture is drawn at `size` when it is given.
QPixmap pictureNamed(std::string_view name, QSize size = {});

} // namespace quelm::ui
