#include "project/folders.h"

#include "platform/path_text.h"

#include <algorithm>
#include <cctype>
#include <filesystem>

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

constexpr char kSeparator = static_cast<char>(fs::path::preferred_separator);

// Whether the path is a root: "/", or a drive's "C:\".
bool IsRoot(const std::string& path) {
    const fs::path p = platform::PathFromUtf8(path);
    return p.has_root_directory() && p.relative_path().empty();
}

// The root of the path's drive ("/" on Linux).
std::string RootOf(const std::string& path) {
    const std::string root = platform::Utf8OfPath(platform::PathFromUtf8(path).root_path());
    return root.empty() ? std::string(1, kSeparator) : root;
}

// Path text without a trailing separator, except for a root itself.
std::string Normal(std::string path) {
    while (path.size() > 1 && path.back() == kSeparator && !IsRoot(path)) path.pop_back();
    return path;
}

} // namespace

bool IsWithin(const std::string& inner, const std::string& outer) {
    const std::string o = Normal(outer);
    if (IsRoot(o)) return inner.compare(0, o.size(), o) == 0;
    return inner.compare(0, o.size(), o) == 0 && (inner.size() == o.size() || inner[o.size()] == kSeparator);
}

std::string DriveOf(const std::string& folder, const std::vector<std::string>& drives) {
    std::string best = RootOf(folder);
    for (const std::string& d : drives)
        if (IsWithin(folder, d) && Normal(d).size() > best.size()) best = Normal(d);
    return best;
}

bool ListFolder(const std::string& folder, const std::string& drive, FolderListing& listing) {
    std::error_code ec;
    fs::directory_iterator it(platform::PathFromUtf8(folder), ec);
    if (ec) return false;
    std::vector<std::string> subfolders;
    for (; it != fs::directory_iterator() && subfolders.size() < kListingLimit; it.increment(ec)) {
        const std::string name = platform::Utf8OfPath(it->path().filename());
        std::error_code typeError;
        if (name.empty() || name.front() == '.' || !it->is_directory(typeError)) continue;
        subfolders.push_back(name);
    }
    if (ec) return false;
    std::sort(subfolders.begin(), subfolders.end(), LessIgnoringCase);

    listing = {};
    // The drive first, then each folder down to the one shown.
    const std::string top = IsWithin(folder, drive) ? Normal(drive) : RootOf(folder);
    std::vector<std::string> chain = {top};
    const fs::path rest = platform::PathFromUtf8(Normal(folder)).lexically_relative(platform::PathFromUtf8(top));
    fs::path walk = platform::PathFromUtf8(top);
    for (const fs::path& part : rest) {
        if (part.empty() || part == ".") continue;
        walk /= part;
        chain.push_back(platform::Utf8OfPath(walk));
    }
    for (std::size_t depth = 0; depth < chain.size(); ++depth) {
        const std::string label =
            depth == 0 ? chain[0] : platform::Utf8OfPath(platform::PathFromUtf8(chain[depth]).filename());
        listing.lines.push_back(std::string(2 * depth, ' ') + label);
        listing.paths.push_back(chain[depth]);
    }
    listing.current = static_cast<int>(chain.size()) - 1;
    for (const std::string& name : subfolders) {
        listing.lines.push_back(std::string(2 * chain.size(), ' ') + name);
        listing.paths.push_back(
            platform::Utf8OfPath(platform::PathFromUtf8(chain.back()) / platform::PathFromUtf8(name)));
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
    fs::directory_iterator it(platform::PathFromUtf8(folder), ec);
    for (; !ec && it != fs::directory_iterator() && names.size() < kListingLimit; it.increment(ec)) {
        const std::string name = platform::Utf8OfPath(it->path().filename());
        std::error_code typeError;
        if (it->is_regular_file(typeError) && MatchesPattern(name, pattern)) names.push_back(name);
    }
    std::sort(names.begin(), names.end(), LessIgnoringCase);
    return names;
}

} // namespace quelm
