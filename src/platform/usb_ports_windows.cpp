// The COM ports of USB adapters on Windows, found through SetupAPI: every
// present device of the ports class, its hardware ids for the USB vendor id,
// and its "PortName" for the COM port.
#include "platform/usb_ports.h"

#include "platform/wide_text.h"

#include <windows.h>

#include <devguid.h>
#include <setupapi.h>

#include <algorithm>

namespace quelm::platform {
namespace {

// A device's hardware ids, NUL-separated, in UTF-8.
std::string hardwareIds(HDEVINFO set, SP_DEVINFO_DATA& device) {
    wchar_t buffer[2048] = {};
    DWORD size = 0;
    if (!::SetupDiGetDeviceRegistryPropertyW(set, &device, SPDRP_HARDWAREID, nullptr, reinterpret_cast<BYTE*>(buffer),
                                             sizeof buffer - sizeof(wchar_t), &size))
        return {};
    return Utf8Of(std::wstring_view(buffer, size / sizeof(wchar_t)));
}

// The device's COM port name, empty when it has none, and the latency
// timer its driver keeps beside it (the FTDI driver's "LatencyTimer"), -1
// when there is none.
std::string portName(HDEVINFO set, SP_DEVINFO_DATA& device, int* latencyMs = nullptr) {
    const HKEY key = ::SetupDiOpenDevRegKey(set, &device, DICS_FLAG_GLOBAL, 0, DIREG_DEV, KEY_READ);
    if (key == INVALID_HANDLE_VALUE) return {};
    wchar_t name[64] = {};
    DWORD size = sizeof name - sizeof(wchar_t);
    DWORD type = 0;
    const LONG got = ::RegQueryValueExW(key, L"PortName", nullptr, &type, reinterpret_cast<BYTE*>(name), &size);
    DWORD latency = 0;
    DWORD latencySize = sizeof latency;
    DWORD latencyType = 0;
    if (latencyMs != nullptr &&
        ::RegQueryValueExW(key, L"LatencyTimer", nullptr, &latencyType, reinterpret_cast<BYTE*>(&latency),
                           &latencySize) == ERROR_SUCCESS &&
        latencyType == REG_DWORD && latency < 256)
        *latencyMs = static_cast<int>(latency);
    ::RegCloseKey(key);
    if (got != ERROR_SUCCESS || type != REG_SZ) return {};
    return Utf8Of(name);
}

// Calls `each` for every present device of the ports class.
template <typename Each>
void ForEachPortDevice(Each each) {
    const HDEVINFO set = ::SetupDiGetClassDevsW(&GUID_DEVCLASS_PORTS, nullptr, nullptr, DIGCF_PRESENT);
    if (set == INVALID_HANDLE_VALUE) return;
    SP_DEVINFO_DATA device{};
    device.cbSize = sizeof device;
    for (DWORD i = 0; ::SetupDiEnumDeviceInfo(set, i, &device); ++i) each(set, device);
    ::SetupDiDestroyDeviceInfoList(set);
}

} // namespace

std::vector<std::string> UsbSerialPorts(const std::string& vendorId) {
    std::vector<std::string> ports;
    ForEachPortDevice([&](HDEVINFO set, SP_DEVINFO_DATA& device) {
        if (UsbVendorOfHardwareIds(hardwareIds(set, device)) != vendorId) return;
        if (std::string name = portName(set, device); name.rfind("COM", 0) == 0) ports.push_back(std::move(name));
    });
    std::sort(ports.begin(), ports.end(), PortNameLess);
    return ports;
}

std::vector<SerialPortEntry> SerialPorts() {
    std::vector<SerialPortEntry> ports;
    ForEachPortDevice([&](HDEVINFO set, SP_DEVINFO_DATA& device) {
        SerialPortEntry entry;
        entry.name = portName(set, device, &entry.latencyMs);
        entry.vendorId = UsbVendorOfHardwareIds(hardwareIds(set, device));
        if (entry.name.rfind("COM", 0) == 0) ports.push_back(std::move(entry));
    });
    std::sort(ports.begin(), ports.end(), [](const auto& a, const auto& b) { return PortNameLess(a.name, b.name); });
    return ports;
}

} // namespace quelm::platform
