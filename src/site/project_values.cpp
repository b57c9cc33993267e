#include "site/project_values.h"

#include "platform/path_text.h"
#include "project/project_file.h"
#include "protocol/frame.h"
#include "site/parameter_fields.h"

namespace quelm {

namespace {

std::string LineSays(int line, const std::string& value) {
    return "line " + std::to_string(line) + " \"" + value + "\": ";
}

bool Addresses(const std::vector<std::string>& values, std::optional<AddressList>& addresses, std::string& error) {
    std::size_t empty = 0;
    for (std::size_t i = 0; i < 10; ++i) empty += values[i].empty() ? 1 : 0;
    if (empty == 10) return true;
    AddressList list;
    for (std::size_t i = 0; i < 10; ++i) {
        if (!PlainNumber(values[i], list[i])) {
            error = LineSays(static_cast<int>(i) + 1, values[i]) +
                    "address lines are all empty or all whole numbers from 0 to 1048574";
            return false;
        }
    }
    addresses = list;
    return true;
}

} // namespace

bool PlainNumber(const std::string& text, std::string& plain) {
    if (text.empty() || text.size() > 7 || text.find_first_not_of("0123456789") != std::string::npos) return false;
    const long value = std::stol(text);
    if (value > kMaxDetectorNumber) return false;
    plain = std::to_string(value);
    return true;
}

bool SettingsFromProjectValues(const std::vector<std::string>& values, FileSettings& settings, std::string& error) {
    if (values.size() < kProjectValues) {
        error = "fewer than 19 values, not a project file";
        return false;
    }
    FileSettings s;
    for (const ParameterRow* row : RowsInFileOrder()) {
        const int line = row->projectLine;
        const std::string& value = values[static_cast<std::size_t>(line - 1)];
        const auto field = static_cast<std::size_t>(row->parameter);
        WantedParameter wanted;
        if (!row->isLevel()) {
            const auto option = MatchProjectOption(line, value);
            if (!option) {
                error = LineSays(line, value) + "no option of " + ParameterFields()[field].key;
                return false;
            }
            wanted.option = *option;
        } else {
            // A save writes a level as the window shows it, in whole percent
            // unless someone typed a fraction, which a detector cannot take;
            // a survey writes it as the detector holds it, up to 255.
            const std::size_t point = value.find('.');
            const std::string whole = value.substr(0, point);
            const bool zeros =
                point == std::string::npos || value.find_first_not_of('0', point + 1) == std::string::npos;
            if (!zeros || !ParseParameterValue(field, whole, wanted, error, kMostLevelHeld)) {
                error = LineSays(line, value) + "not a whole percent from 0 to " + std::to_string(kMostLevelHeld) +
                        " for " + ParameterFields()[field].key;
                return false;
            }
        }
        s.parameters.push_back(wanted);
    }
    if (!Addresses(values, s.addresses, error)) return false;
    settings = s;
    return true;
}

bool ReadSettingsFile(const std::filesystem::path& file, FileSettings& settings, std::string& error) {
    std::vector<std::string> values;
    if (!ReadProjectFile(file, values, error)) return false;
    if (SettingsFromProjectValues(values, settings, error)) return true;
    error = platform::Utf8OfPath(file) + ": " + error;
    return false;
}

} // namespace quelm
