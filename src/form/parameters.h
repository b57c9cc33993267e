#pragma once
// The window is the store of a detector's parameters: six option groups and
// three level boxes, as the parameter table lays them out.
#include "form/form.h"
#include "form/parameter_table.h"

#include <optional>
#include <string>

namespace quelm {

// Selects the options and fills the level boxes of a reply 64, 65 or 66 whose
// check byte is right. A code that matches no option leaves its group with no
// option selected.
void ApplyParameterReply(Form& f, const Frame& b);

// Level boxes: a value over 100 becomes "100", then one under 0 becomes "0".
void Text8_Change(Form& f);
void Text9_Change(Form& f);
void Text10_Change(Form& f);

// The parameters as the window shows them (DetectorParameters).
DetectorParameters ParametersShown(const Form& f);
// The level of Text8, Text9 or Text10 (n = 8, 9, 10) as the detector holds
// it: the box's value, or the level the detector reported when the box shows
// it capped at 100. A detector holding 200 shows 100.
double LevelHeld(const Form& f, int n);
// ParametersShown with each level as the detector holds it.
DetectorParameters ParametersHeld(const Form& f);
// A send of parameters that stops early puts back the choices and levels it
// saved when it began, and enables every parameter control again.
void RestoreParameterControls(Form& f);

// The name of the choice a group shows, by its index in window order
// ("2min", "L1+L3"); empty when the index stands for none.
std::string ChoiceName(const ParameterRow& row, const std::optional<int>& index);

} // namespace quelm
