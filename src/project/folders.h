#pragma once
// What the disk manager's lists show, from the file system: a folder with
// its parents and its subfolders, and the files of a folder that match a
// pattern; paths are UTF-8 and written with the system's separator. The
// drives come from the system (platform/drives.h). Listings are capped so a
// huge folder cannot stall the window.
#include <string>
#include <string_view>
#include <vector>

namespace quelm {

inline constexpr std::size_t kListingLimit = 5000;

// The drive a folder lies on: the longest drive that contains it, else the
// root of the folder's own drive.
std::string DriveOf(const std::string& folder, const std::vector<std::string>& drives);
// Whether `inner` is `outer` or lies inside it, by whole path components.
bool IsWithin(const std::string& inner, const std::string& outer);

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
