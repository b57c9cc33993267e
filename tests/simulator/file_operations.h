#pragma once
// Project files in the seeded simulator: saves and opens through the disk
// manager panel, as a user makes them.
#include "simulator/operations.h"

namespace quelm::simulator {

std::unique_ptr<Operation> MakeSaveFile();
std::unique_ptr<Operation> MakeOpenFile();

} // namespace quelm::simulator
