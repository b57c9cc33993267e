#pragma once
// The widget of each kind of control, wired so that the user's actions reach
// the model: typed text, option clicks, button clicks. Each widget starts
// showing the model's state; later changes come through the sync functions.
#include "core/window_model.h"

#include <QFont>

class QWidget;

namespace quelm::ui {

// The window's font: "MS Sans Serif" bold, or the nearest sans-serif bold.
QFont controlFont(double points);

QWidget* makeGroup(Group& group, QWidget* parent);
QWidget* makeTextBox(TextBox& box, QWidget* parent);
QWidget* makeOption(OptionButton& option, QWidget* parent);
QWidget* makeButton(Button& button, QWidget* parent);
QWidget* makeList(ListBox& list, QWidget* parent);
QWidget* makeLabel(Label& label, QWidget* parent);
QWidget* makePicture(Picture& picture, QWidget* parent);

// Show the model's current value in a widget made above, without calling
// back into the model.
// Position and size from the control's current geometry; a button's picture
// is fitted again to the new face.
void syncGeometry(const Control& control, QWidget* widget);
void syncFont(const Control& control, QWidget* widget);
void syncText(const TextBox& box, QWidget* widget);
void syncValue(const OptionButton& option, QWidget* widget);
void syncItems(const ListBox& list, QWidget* widget);
// The selected item of a list.
void syncListIndex(const ListBox& list, QWidget* widget);
void syncCaption(const Control& control, QWidget* widget);

} // namespace quelm::ui
