// FTDI adapters and their latency on Linux, through sysfs and the tty ioctls.
#include "platform/linux_sysfs.h"
#include "platform/usb_ports.h"

#include <algorithm>
#include <fstream>
#include <linux/serial.h>
#include <sys/ioctl.h>
#include <system_error>

namespace quelm::platform {

namespace fs = std::filesystem;

namespace {

std::string firstWord(const fs::path& file) {
    std::ifstream in(file);
    std::string word;
    in >> word;
    return word;
}

// The USB vendor id of the device a tty belongs to: the first idVendor file
// up the device's path; empty for a tty with no USB device.
std::string usbVendorOf(const fs::path& ttyDir) {
    std::error_code ec;
    fs::path dir = fs::canonical(ttyDir / "device", ec);
    for (int depth = 0; !ec && depth < 4 && dir.has_relative_path(); ++depth, dir = dir.parent_path()) {
        if (fs::exists(dir / "idVendor", ec)) return firstWord(dir / "idVendor");
    }
    return {};
}

// The adapter's latency timer in ms, set to 1 when it may be written; -1
// when the port has none.
int latencyTimer(const fs::path& file, bool& written) {
    written = false;
    std::error_code ec;
    if (!fs::exists(file, ec)) return -1;
    const std::string before = firstWord(file);
    if (before == "1") return 1;
    {
        std::ofstream out(file);
        out << "1\n";
        written = static_cast<bool>(out.flush());
    }
    const std::string after = firstWord(file);
    written = written && after == "1";
    try {
        return std::stoi(after);
    } catch (...) {
        return -1;
    }
}

// The latency timer the adapter reports, without changing it; -1 for none.
int latencyRead(const fs::path& file) {
    const std::string ms = firstWord(file);
    if (ms.empty() || ms.size() > 4 || ms.find_first_not_of("0123456789") != std::string::npos) return -1;
    return std::stoi(ms);
}

} // namespace

std::vector<SerialPortEntry> SerialPorts(const fs::path& sysClassTty) {
    std::vector<SerialPortEntry> ports;
    std::error_code ec;
    for (const fs::directory_entry& entry : fs::directory_iterator(sysClassTty, ec)) {
        const fs::path tty = entry.path();
        std::error_code missing;
        if (!fs::exists(tty / "device", missing) ||
            (fs::exists(tty / "type", missing) && firstWord(tty / "type") == "0"))
            continue;
        ports.push_back(
            {"/dev/" + tty.filename().string(), usbVendorOf(tty), latencyRead(tty / "device" / "latency_timer")});
    }
    std::sort(ports.begin(), ports.end(), [](const auto& a, const auto& b) { return a.name < b.name; });
    return ports;
}

std::vector<SerialPortEntry> SerialPorts() { return SerialPorts("/sys/class/tty"); }

std::vector<std::string> UsbSerialPorts(const std::string& vendorId, const fs::path& sysClassTty) {
    std::vector<std::string> paths;
    std::error_code ec;
    for (const fs::directory_entry& entry : fs::directory_iterator(sysClassTty, ec)) {
        if (usbVendorOf(entry.path()) == vendorId) paths.push_back("/dev/" + entry.path().filename().string());
    }
    std::sort(paths.begin(), paths.end());
    return paths;
}

std::vector<std::string> UsbSerialPorts(const std::string& vendorId) {
    return UsbSerialPorts(vendorId, "/sys/class/tty");
}

std::string RequestLowLatency(int fd, const std::string& path, const fs::path& sysClassTty) {
    std::string got;
    serial_struct serial{};
    if (::ioctl(fd, TIOCGSERIAL, &serial) == 0) {
        serial.flags |= ASYNC_LOW_LATENCY;
        got =
            ::ioctl(fd, TIOCSSERIAL, &serial) == 0 ? "kernel low-latency flag set" : "kernel low-latency flag refused";
    }
    std::error_code ec;
    const fs::path device = fs::canonical(path, ec);
    bool written = false;
    const int timer = ec ? -1 : latencyTimer(sysClassTty / device.filename() / "device" / "latency_timer", written);
    if (timer > 0) {
        if (!got.empty()) got += ", ";
        got += "latency timer " + std::to_string(timer) + " ms";
        if (written)
            got += " (set by the tool)";
        else if (timer > 1)
            got += " (not writable: replies may wait for it)";
    }
    if (got.empty()) return "low latency: nothing to set on " + path;
    return "low latency on " + path + ": " + got;
}

} // namespace quelm::platform
