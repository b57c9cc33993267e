#pragma once
// Detector numbers as a technician types a site: "300-320,400".
#include <string>
#include <vector>

namespace quelm {

// Most detectors one run takes: a typing slip such as "0-1048574" would
// otherwise start a run of days.
inline constexpr std::size_t kMostDetectorsPerRun = 5000;

// Numbers and inclusive ranges separated by commas (blanks allowed), each
// 0 to 1048574; a number given twice is taken once, in its first place.
// Nothing, with the reason in `error`, on anything else.
bool ParseDetectorList(const std::string& text, std::vector<std::string>& numbers, std::string& error,
                       int language = 2);

} // namespace quelm
