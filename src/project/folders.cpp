#include "project/folders.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <unistd.h>

namespace quelm {

namespace fs = std::filesystem;

namespace {

char Lower(char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); }

bool LessIgnoringCase(const std::string& a, const std::string& b) {
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                        [](char x, char y) { return Lower(x) < Lower(y); });
}

bool MatchOne(std::string_view name, std::string_view pattern) {
    // Iterative wildcard match with one backtracking point for the last "*".
    std::size_t n = 0, p = 0, starP = std::string_view::npos, starN = 0;
    while (n < name.size()) {
        if (p < pattern.size() && (pattern[p] == '?' || Lower(pattern[p]) == Lower(name[n]))) {
            ++n, ++p;
        } else if (p < pattern.size() && pattern[p] == '*') {
            starP = p++;
            starN = n;
        } else if (starP != std::string_view::npos) {
            p = starP + 1;
            n = ++starN;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*') ++p;
    return p == pattern.size();
}

// The mount table's escapes (a blank is written \040).
std::string Unescape(std::string_view field) {
    std::string out;
    for (std::size_t i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size() && std::isdigit(static_cast<unsigned char>(field[i + 1]))) {
            out += static_cast<char>(std::stoi(std::string(field.substr(i + 1, 3)), nullptr, 8));
            i += 3;
        } else {
            out += field[i];
        }
    }
    return out;
}

std::vector<std::string> MountPoints(std::string_view table) {
    std::vector<std::string> points;
    std::size_t at = 0;
    while (at < table.size()) {
        std::size_t end = table.find('\n', at);
        if (end == std::string_view::npos) end = table.size();
        const std::string_view line = table.substr(at, end - at);
        const std::size_t first = line.find(' ');
        if (first != std::string_view::npos) {
            const std::size_t second = line.find(' ', first + 1);
            points.push_back(Unescape(line.substr(first + 1, second == std::string_view::npos ? std::string_view::npos
                                                                                              : second - first - 1)));
        }
        at = end + 1;
    }
    return points;
}

// Path text without a trailing separator, except for the root itself.
std::string Normal(std::string path) {
    while (path.size() > 1 && path.back() == '/') path.pop_back();
    return path;
}

} // namespace

const std::vector<std::string>& RemovableMountBases() {
    static const std::vector<std::string> bases = {"/media", "/mnt", "/run/media"};
    return bases;
}

bool IsWithin(const std::string& inner, const std::string& outer) {
    const std::string o = Normal(outer);
    if (o == "/") return !inner.empty() && inner.front() == '/';
    return inner.compare(0, o.size(), o) == 0 && (inner.size() == o.size() || inner[o.size()] == '/');
}

bool IsReadableFolder(const std::string& folder) {
    std::error_code ec;
    fs::directory_iterator it(folder, ec);
    return !ec && ::access(folder.c_str(), R_OK | X_OK) == 0;
}

std::vector<std::string> ListDrives(const std::string& home, std::string_view mountTable,
                                    const std::vector<std::string>& mountBases) {
    std::vector<std::string> drives = {"/"};
    auto add = [&drives](const std::string& path) {
        const std::string p = Normal(path);
        if (std::find(drives.begin(), drives.end(), p) == drives.end() && IsReadableFolder(p)) drives.push_back(p);
    };
    if (!home.empty()) add(home);
    for (const std::string& point : MountPoints(mountTable))
        for (const std::string& base : mountBases)
            if (point != Normal(base) && IsWithin(point, base)) add(point);
    return drives;
}

std::string DriveOf(const std::string& folder, const std::vector<std::string>& drives) {
    std::string best = "/";
    for (const std::string& d : drives)
        if (IsWithin(folder, d) && Normal(d).size() > best.size()) best = Normal(d);
    return best;
}

bool ListFolder(const std::string& folder, const std::string& drive, FolderListing& listing) {
    std::error_code ec;
    fs::directory_iterator it(folder, ec);
    if (ec) return false;
    std::vector<std::string> subfolders;
    for (; it != fs::directory_iterator() && subfolders.size() < kListingLimit; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        std::error_code typeError;
        if (name.empty() || name.front() == '.' || !it->is_directory(typeError)) continue;
        subfolders.push_back(name);
    }
    if (ec) return false;
    std::sort(subfolders.begin(), subfolders.end(), LessIgnoringCase);

    listing = {};
    // The drive first, then each folder down to the one shown.
    const std::string top = IsWithin(folder, drive) ? Normal(drive) : "/";
    std::vector<std::string> chain = {top};
    const fs::path rest = fs::path(Normal(folder)).lexically_relative(top);
    fs::path walk = top;
    for (const fs::path& part : rest) {
        if (part.empty() || part == ".") continue;
        walk /= part;
        chain.push_back(walk.string());
    }
    for (std::size_t depth = 0; depth < chain.size(); ++depth) {
        const std::string label = depth == 0 ? chain[0] : fs::path(chain[depth]).filename().string();
        listing.lines.push_back(std::string(2 * depth, ' ') + label);
        listing.paths.push_back(chain[depth]);
    }
    listing.current = static_cast<int>(chain.size()) - 1;
    for (const std::string& name : subfolders) {
        listing.lines.push_back(std::string(2 * chain.size(), ' ') + name);
        listing.paths.push_back((fs::path(chain.back()) / name).string());
    }
    return true;
}

bool MatchesPattern(std::string_view name, std::string_view pattern) {
    std::size_t at = 0;
    while (at <= pattern.size()) {
        std::size_t end = pattern.find(';', at);
        if (end == std::string_view::npos) end = pattern.size();
        std::string_view one = pattern.substr(at, end - at);
        while (!one.empty() && one.front() == ' ') one.remove_prefix(1);
        while (!one.empty() && one.back() == ' ') one.remove_suffix(1);
        if (!one.empty() && MatchOne(name, one)) return true;
        at = end + 1;
    }
    return false;
}

std::vector<std::string> ListFiles(const std::string& folder, const std::string& pattern) {
    std::vector<std::string> names;
    std::error_code ec;
    fs::directory_iterator it(folder, ec);
    for (; !ec && it != fs::directory_iterator() && names.size() < kListingLimit; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        std::error_code typeError;
        if (it->is_regular_file(typeError) && MatchesPattern(name, pattern)) names.push_back(name);
    }
    std::sort(names.begin(), names.end(), LessIgnoringCase);
    return names;
}

} // namespace quelm
