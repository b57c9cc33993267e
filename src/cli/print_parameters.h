#pragma once
// The nine parameters of a detector, for people or as JSON.
#include "detector/parameters.h"

#include <cstdio>
#include <string>

namespace quelm::cli {

void PrintParameters(std::FILE* out, const std::string& number, const DetectorParameters& p, bool json);

} // namespace quelm::cli
