#pragma once
// The system's own control for each kind of control of the window model, and
// the functions that show the model's state in it. Nothing here calls back
// into the model: the main window turns the controls' notifications into
// the model's user actions.
#include "core/window_model.h"

#include <windows.h>

#include <cstdint>
#include <string>

namespace quelm::win {

// The identifier of the index-th control of the model's window order, and
// of the index-th menu item: what the driver program sends and finds.
constexpr int kFirstControlId = 100;
constexpr int kFirstMenuId = 1000;

// The class of the window that holds a group's controls. It draws the
// group's background and puts a group box ("Button", BS_GROUPBOX) under them.
constexpr wchar_t kGroupClass[] = L"QuelmGroup";
void RegisterGroupClass(HINSTANCE instance);
// The class of one of the tool's own windows (the main, site and trace
// windows): the dialog background, the arrow cursor and the tool's icon.
void RegisterToolWindowClass(HINSTANCE instance, WNDPROC proc, const wchar_t* name);

// Wide text for the system, UTF-8 text for the model.
std::wstring Wide(const std::string& utf8);
std::string Utf8(const std::wstring& wide);
std::string WindowTextOf(HWND hwnd);

// The control's window, made hidden at its current geometry under `parent`.
HWND MakeControl(const Control& control, HWND parent, int id, int dpi);

// Show the model's value in a control made above.
void ShowGeometry(const Control& control, HWND hwnd, int dpi);
void ShowFont(const Control& control, HWND hwnd, int dpi);
void ShowCaption(const Control& control, HWND hwnd);
void ShowText(const TextBox& box, HWND hwnd);
void ShowValue(const OptionButton& option, HWND hwnd);
// A log (`shownFrom`: which item ever added the first row shows) gets only
// what is new; folder, file and drive lists are listed anew.
void ShowItems(const ListBox& list, HWND hwnd, std::uint64_t& shownFrom);
void ShowListIndex(const ListBox& list, HWND hwnd);
void ShowState(const Control& control, HWND hwnd);

// The background of the groups (light grey) and of the buttons (grey).
HBRUSH GroupBrush();
COLORREF GroupColour();
// The window's font, "MS Sans Serif" bold or its nearest, at `points`.
HFONT ControlFont(double points, int dpi);

} // namespace quelm::win
