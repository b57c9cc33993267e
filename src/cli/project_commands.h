#pragma once
// The project-file commands of the front end: a read saved to a file, and a
// file shown as the window would load it.
#include "form/form.h"

#include <cstdio>
#include <string>
#include <vector>

namespace quelm::cli {

// A line of a project file that no parameter set takes: an option line
// (11 to 16) that matches no option of its group, a level line (17 to 19)
// that is not a number from 0 to 100.
struct UnusedLine {
    int line;
    std::string value;
    std::string reason;
};
// Those lines among a file's 19 values.
std::vector<UnusedLine> UnusedParameterLines(const std::vector<std::string>& values);

// Writes the file the window would save after the read that `form` holds;
// the address lines are left empty (the front end reads no addresses).
bool SaveReadParameters(const Form& form, const std::string& file, bool withAddresses, std::FILE* err);
// Prints the 19 values of `file` as the window would load them, and the
// lines it could not use. 0 when the window would open the file.
int ShowFile(const std::string& file, bool json, std::FILE* out, std::FILE* err);

} // namespace quelm::cli
