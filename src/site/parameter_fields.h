#pragma once
// The nine parameters by name: the names the command line's send-params and
// the simulated box file use ("power", "dyn+") and the names of the JSON
// output and the site report ("outputPower", "levelDynPlus"), with the value
// names each field takes, and the window's options and level boxes they
// stand for.
#include "form/form.h"
#include "form/parameter_table.h"
#include "form/parameters.h"

#include <array>
#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace quelm {

// One wanted parameter: the option to select (Option3 .. Option29), or the
// level box (8, 9, 10 for Text8 .. Text10) and its whole percent.
struct WantedParameter {
    int option = 0;
    int levelText = 0;
    int level = 0;
    bool operator==(const WantedParameter&) const = default;
};

// A field is a row of the parameter table: `key` its JSON and report column
// name, `cliName` its send-params and box file name.
using ParameterField = ParameterRow;

// The nine fields in report order.
std::span<const ParameterField, kParameterCount> ParameterFields();

// The field a name stands for, either name, case not minded.
std::optional<std::size_t> FindParameterField(const std::string& name);
// The field a wanted parameter sets.
std::size_t FieldOf(const WantedParameter& wanted);

// The value names `field` takes, as messages list them ("max|med|min"); empty
// for a level.
std::string ChoiceNames(std::size_t field);

// The highest level a send can write (what the level box takes), and the
// highest a detector can hold and a survey can record (one byte).
constexpr int kMostLevelSent = 100;
constexpr int kMostLevelHeld = 255;

// Reads the value of `field`: a value name, case and blanks not minded ("5s",
// "5 s", "L1+L3", "l1 + l3"), or a level as a whole percent from 0 to
// `mostLevel`. False with the reason in `error`, naming the values the field
// takes.
bool ParseParameterValue(std::size_t field, const std::string& value, WantedParameter& wanted, std::string& error,
                         int mostLevel = kMostLevelSent);

// A value as the report shows it: the option's name ("5 s", "L1 + L3"), a
// level in whole percent ("80"), or "" for a group with no option selected.
std::string ShownValue(const DetectorParameters& p, std::size_t field);
std::string WantedValue(const WantedParameter& wanted);

// Puts a wanted value into the window, as a click or typing would.
void SelectWanted(Form& f, const WantedParameter& wanted);

// The levels ON+, DYN+ and DYN- as the detector holds them (LevelHeld).
using HeldLevels = std::array<double, 3>;
HeldLevels LevelsHeld(const Form& f);
// The window's send saves the levels its boxes show, at most 100: a
// detector holding 200 would get 100 in a level nobody gave. Called right
// after the click that started a send, this saves each level not in
// `wanted` as `held` (taken before the click), so that the send finds it
// equal and leaves it.
void KeepLevelsNotGiven(Form& f, const std::vector<WantedParameter>& wanted, const HeldLevels& held);

// The wanted values that differ from what the window shows.
struct FieldDifference {
    std::string field; // report column name, or "address4", "number"
    std::string detector;
    std::string wanted;
    bool operator==(const FieldDifference&) const = default;
};
std::vector<FieldDifference> ParameterDifferences(const DetectorParameters& shown,
                                                  const std::vector<WantedParameter>& wanted);

} // namespace quelm
