// Parsing of what Windows reports about a device, kept apart from the system
// calls so that it is tested on every system.
#include "platform/usb_ports.h"

#include <cctype>
#include <tuple>

namespace quelm::platform {
namespace {

char lower(char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); }

bool isHex(char c) { return std::isxdigit(static_cast<unsigned char>(c)) != 0; }

// The vendor id of one hardware id: the four hex digits after "VID_" where
// that starts a part of the id (after "\" or "&", or at its start).
std::string vendorOfOne(std::string_view id) {
    for (std::size_t at = 0; at + 8 <= id.size(); ++at) {
        const bool startsPart = at == 0 || id[at - 1] == '\\' || id[at - 1] == '&';
        if (!startsPart || lower(id[at]) != 'v' || lower(id[at + 1]) != 'i' || lower(id[at + 2]) != 'd' ||
            id[at + 3] != '_')
            continue;
        const std::string_view digits = id.substr(at + 4, 4);
        const bool endsThere = at + 8 == id.size() || id[at + 8] == '&' || id[at + 8] == '\\';
        bool hex = endsThere;
        for (char c : digits) hex = hex && isHex(c);
        if (!hex) continue;
        std::string out;
        for (char c : digits) out += lower(c);
        return out;
    }
    return {};
}

// The number at the end of a port name, -1 when there is none.
long trailingNumber(const std::string& name) {
    std::size_t at = name.size();
    while (at > 0 && std::isdigit(static_cast<unsigned char>(name[at - 1]))) --at;
    if (at == name.size() || name.size() - at > 9) return -1;
    return std::stol(name.substr(at));
}

} // namespace

std::string UsbVendorOfHardwareIds(std::string_view hardwareIds) {
    std::size_t at = 0;
    while (at < hardwareIds.size()) {
        std::size_t end = hardwareIds.find('\0', at);
        if (end == std::string_view::npos) end = hardwareIds.size();
        if (std::string vendor = vendorOfOne(hardwareIds.substr(at, end - at)); !vendor.empty()) return vendor;
        at = end + 1;
    }
    return {};
}

bool PortNameLess(const std::string& a, const std::string& b) {
    return std::tuple(trailingNumber(a), a) < std::tuple(trailingNumber(b), b);
}

} // namespace quelm::platform
