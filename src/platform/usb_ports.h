#pragma once
// The serial ports of USB adapters attached to this computer, found by the
// adapter maker's USB vendor id: through sysfs on Linux, through the
// system's device set-up interface on Windows.
#include <string>
#include <string_view>
#include <vector>

namespace quelm::platform {

// The ports ("/dev/ttyUSB0", "COM5") of the adapters with USB vendor id
// `vendorId` (four hex digits, "0403"), in a stable order: by device path on
// Linux, by port number on Windows.
std::vector<std::string> UsbSerialPorts(const std::string& vendorId);

// A serial port of this computer, as `quelmbox-cli ports` lists it.
struct SerialPortEntry {
    std::string name;     // what --port takes: "/dev/ttyUSB0", "COM5"
    std::string vendorId; // its USB adapter's vendor id ("0403"), empty when not USB
    int latencyMs = -1;   // the adapter's latency timer, -1 where it cannot be read
};
// Every serial port present, in the order of UsbSerialPorts.
std::vector<SerialPortEntry> SerialPorts();

// The USB vendor id, four lower-case hex digits, named by a device's
// hardware ids ("USB\VID_0403&PID_6001&REV_0600", "FTDIBUS\COMPORT&VID_0403&PID_6001",
// several separated by NUL characters); empty when none names one.
std::string UsbVendorOfHardwareIds(std::string_view hardwareIds);

// Whether port name `a` comes before `b`: "COM2" before "COM10", by the
// number after the letters, then by the whole name.
bool PortNameLess(const std::string& a, const std::string& b);

} // namespace quelm::platform
