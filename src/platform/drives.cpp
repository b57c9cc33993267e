// The Linux drive list from a mount table: plain text work, kept apart from
// the reading of the table so that it is tested on its own.
#include "platform/drives.h"

#include <algorithm>
#include <cctype>

namespace quelm::platform {
namespace {

// The mount table's escapes (a blank is written \040).
std::string unescape(std::string_view field) {
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

std::vector<std::string> mountPoints(std::string_view table) {
    std::vector<std::string> points;
    std::size_t at = 0;
    while (at < table.size()) {
        std::size_t end = table.find('\n', at);
        if (end == std::string_view::npos) end = table.size();
        const std::string_view line = table.substr(at, end - at);
        const std::size_t first = line.find(' ');
        if (first != std::string_view::npos) {
            const std::size_t second = line.find(' ', first + 1);
            points.push_back(unescape(line.substr(first + 1, second == std::string_view::npos ? std::string_view::npos
                                                                                              : second - first - 1)));
        }
        at = end + 1;
    }
    return points;
}

// Without a trailing "/", except for the root itself.
std::string normal(std::string path) {
    while (path.size() > 1 && path.back() == '/') path.pop_back();
    return path;
}

bool isUnder(const std::string& inner, const std::string& outer) {
    const std::string o = normal(outer);
    return inner.size() > o.size() && inner.compare(0, o.size(), o) == 0 && inner[o.size()] == '/';
}

} // namespace

const std::vector<std::string>& RemovableMountBases() {
    static const std::vector<std::string> bases = {"/media", "/mnt", "/run/media"};
    return bases;
}

std::vector<std::string> ListDrives(const std::string& home, std::string_view mountTable,
                                    const std::vector<std::string>& mountBases) {
    std::vector<std::string> drives = {"/"};
    auto add = [&drives](const std::string& path) {
        const std::string p = normal(path);
        if (std::find(drives.begin(), drives.end(), p) == drives.end() && CanListFolder(p)) drives.push_back(p);
    };
    if (!home.empty()) add(home);
    for (const std::string& point : mountPoints(mountTable))
        for (const std::string& base : mountBases)
            if (isUnder(point, base)) add(point);
    return drives;
}

} // namespace quelm::platform
