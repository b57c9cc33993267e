#pragma once
// The two fixed pictures of the main window, drawn by code with GDI.
#include <windows.h>

namespace quelm::win {

// An arrow from the received addresses (left) to the addresses to send
// (right), 50 x 60, on the buttons' grey.
HBITMAP ArrowBitmap();
// The programming box with its USB cable beside a detector, drawn for
// 700 x 351 and stretched into `area`.
void DrawBoxPicture(HDC dc, const RECT& area);

} // namespace quelm::win
