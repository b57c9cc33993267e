#pragma once
// The drives the disk manager offers, and whether a folder can be listed.
#include <string>
#include <string_view>
#include <vector>

namespace quelm::platform {

// The drives in the system's own notation. Linux: "/", then `home` when it
// can be listed, then the mount points of removable media that can be
// listed. Windows: the system's drives, "C:\", "D:\", ...
std::vector<std::string> SystemDrives(const std::string& home);

// Whether `folder` can be listed (and, on Linux, entered).
bool CanListFolder(const std::string& folder);

// Linux's choice from a mount table (the text of /proc/self/mounts): "/",
// then `home`, then the mount points that stand under one of `mountBases`;
// each only when it can be listed, and once.
std::vector<std::string> ListDrives(const std::string& home, std::string_view mountTable,
                                    const std::vector<std::string>& mountBases);
// The mount points of removable media looked for: /media, /mnt, /run/media.
const std::vector<std::string>& RemovableMountBases();

} // namespace quelm::platform
