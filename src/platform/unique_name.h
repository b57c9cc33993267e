#pragma once
// Shared by the two sides of the platform layer: names for new files.
#include <filesystem>

namespace quelm::platform {

// How many names a new file tries before it gives up.
inline constexpr int kNameTries = 100;

// ".quelm-" and eight random letters and digits, in `folder`.
std::filesystem::path UniqueNameIn(const std::filesystem::path& folder);

} // namespace quelm::platform
