#include "cli/port_commands.h"

#include "cli/cli_language.h"
#include "cli/exit_codes.h"
#include "cli/json.h"
#include "core/printable.h"

namespace quelm::cli {

namespace {

constexpr const char* kFtdiVendor = "0403";

std::string Filled(const char* english, const std::string& value) {
    char s[512];
    std::snprintf(s, sizeof s, Tr(english), value.c_str());
    return s;
}

// How to give an adapter's latency timer 1 ms on the system the port is of.
std::string HowToSetLatency(const std::string& port) {
    if (port.rfind("/dev/", 0) == 0)
        return Filled("  to set it to 1 ms: echo 1 | sudo tee /sys/class/tty/%s/device/latency_timer\n",
                      port.substr(5));
    return Filled("  to set it to 1 ms: Device Manager, %s, Properties, Port Settings, Advanced, "
                  "Latency Timer (msec): 1\n",
                  port);
}

std::string Line(const platform::SerialPortEntry& p) {
    std::string s = Printable(p.name);
    s += std::string(s.size() < 14 ? 14 - s.size() : 1, ' ');
    if (p.vendorId != kFtdiVendor)
        return s +
               (p.vendorId.empty() ? Tr("not an FTDI adapter")
                                   : Filled("not an FTDI adapter (USB vendor %s)", p.vendorId)) +
               "\n";
    s += Tr("FTDI adapter (USB vendor 0403)");
    if (p.latencyMs < 0) return s + ", " + Tr("latency timer not readable here") + "\n";
    s += ", " + Filled("latency timer %s ms", std::to_string(p.latencyMs)) + "\n";
    return p.latencyMs == 1 ? s : s + HowToSetLatency(p.name);
}

std::string Json(const platform::SerialPortEntry& p) {
    return "{\"port\": " + JsonString(p.name) + ", \"ftdi\": " + (p.vendorId == kFtdiVendor ? "true" : "false") +
           ", \"vendorId\": " + (p.vendorId.empty() ? "null" : JsonString(p.vendorId)) +
           ", \"latencyTimerMs\": " + (p.latencyMs < 0 ? "null" : std::to_string(p.latencyMs)) + "}";
}

} // namespace

std::string FormatPorts(const std::vector<platform::SerialPortEntry>& ports, bool json) {
    std::string s;
    if (json) {
        for (const platform::SerialPortEntry& p : ports) s += (s.empty() ? "" : ", ") + Json(p);
        return "{\"ports\": [" + s + "]}\n";
    }
    for (const platform::SerialPortEntry& p : ports) s += Line(p);
    return s.empty() ? std::string(Tr("no serial port found\n")) : s;
}

int ListPorts(bool json, std::FILE* out) {
    std::fputs(FormatPorts(platform::SerialPorts(), json).c_str(), out);
    return kSuccess;
}

} // namespace quelm::cli
