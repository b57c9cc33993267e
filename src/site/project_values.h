#pragma once
// What a project file gives a detector: its parameter set, and its ten
// addresses when the file holds them (a file saved without them has ten
// empty address lines).
#include "site/parameter_fields.h"

#include <array>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace quelm {

using AddressList = std::array<std::string, 10>;

struct FileSettings {
    std::vector<WantedParameter> parameters; // all nine
    std::optional<AddressList> addresses;
};

// A detector number or an address: plain digits, 0 to 1048574, written back
// without leading zeros.
bool PlainNumber(const std::string& text, std::string& plain);

// The settings of a file's values. Refused, with the line and the reason in
// `error`: fewer than 19 values, an option line no option takes, a level that
// is not a whole percent from 0 to 255, or address lines neither all empty
// nor all numbers from 0 to 1048574.
bool SettingsFromProjectValues(const std::vector<std::string>& values, FileSettings& settings, std::string& error);
// The same from the file itself, whose name then starts the reason.
bool ReadSettingsFile(const std::filesystem::path& file, FileSettings& settings, std::string& error);

} // namespace quelm
