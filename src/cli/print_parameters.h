#pragma once
// The nine parameters of a detector, for people or as JSON.
#include "form/parameters.h"

#include <cstdio>
#include <string>
#include <utility>
#include <vector>

namespace quelm::cli {

// `extra` numbers follow the detector number in JSON ("passes": 2).
void PrintParameters(std::FILE* out, const std::string& number, const DetectorParameters& p, bool json,
                     const std::vector<std::pair<std::string, long long>>& extra = {});

} // namespace quelm::cli
