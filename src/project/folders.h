#pragma once
// What the disk manager's three lists show, from the file system: the
// drives (the root, the home folder, the mount points of removable media),
// a folder with its parents and its subfolders, and the files of a folder
// that match a pattern. Listings are capped so a huge folder cannot stall
// the window.
#include <string>
#include <string_view>
#include <vector>

namespace quelm {

inline constexpr std::size_t kListingLimit = 5000;

// The drive list: "/", then `home` when it is a readable folder, then the
// readable mount points of `mountTable` (the text of /proc/self/mounts)
// that stand under one of `mountBases`.
std::vector<std::string> ListDrives(const std::string& home, std::string_view mountTable,
                                    const std::vector<std::string>& mountBases);
// The mount points of removable media looked for: /media, /mnt, /run/media.
const std::vector<std::string>& RemovableMountBases();

// The drive a folder lies on: the longest drive that contains it.
std::string DriveOf(const std::string& folder, const std::vector<std::string>& drives);
// Whether `inner` is `outer` or lies inside it, by whole path components.
bool IsWithin(const std::string& inner, const std::string& outer);
// Whether the folder can be listed.
bool IsReadableFolder(const std::string& folder);

// A folder list: the folder's parents from the drive down, the folder, then
// its subfolders (hidden ones left out), each line indented by its depth.
struct FolderListing {
    std::vector<std::string> lines;
    std::vector<std::string> paths;
    int current = -1; // the line of the folder itself
};
// False when the folder cannot be read.
bool ListFolder(const std::string& folder, const std::string& drive, FolderListing& listing);

// The names of the regular files in `folder` that match `pattern`: "*" and
// "?" as wildcards, letter case ignored, several patterns separated by ";".
std::vector<std::string> ListFiles(const std::string& folder, const std::string& pattern);
bool MatchesPattern(std::string_view name, std::string_view pattern);

} // namespace quelm
