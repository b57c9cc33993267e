#pragma once
// The project-file commands of the front end: a read saved to a file, and a
// file shown as the window would load it.
#include "exchange/form.h"

#include <cstdio>
#include <string>

namespace quelm::cli {

// Writes the file the window would save after the read that `form` holds;
// the address lines are left empty (the front end reads no addresses).
bool SaveReadParameters(const Form& form, const std::string& file, bool withAddresses, std::FILE* err);
// Prints the 19 values of `file` as the window would load them, and the
// lines it could not use. 0 when the window would open the file.
int ShowFile(const std::string& file, bool json, std::FILE* out, std::FILE* err);

} // namespace quelm::cli
