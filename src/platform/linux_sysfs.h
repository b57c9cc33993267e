#pragma once
// What the Linux serial port learns from sysfs and asks of the kernel:
// which ttys are FTDI adapters, and low latency for the replies. The folder
// of sysfs's ttys is a parameter so that the tests can give their own.
#include "platform/usb_ports.h"

#include <filesystem>
#include <string>
#include <vector>

namespace quelm::platform {

// Device paths (/dev/ttyUSB0, ...) of the ttys whose USB device has vendor id
// `vendorId` (four hex digits, "0403"), sorted; read from `sysClassTty`
// (/sys/class/tty) directly, which costs far less than a full enumeration of
// the serial ports.
std::vector<std::string> UsbSerialPorts(const std::string& vendorId, const std::filesystem::path& sysClassTty);

// Every tty of `sysClassTty` that is a serial port: one with a device behind
// it, but not a legacy UART slot with no chip ("type" 0); sorted by path.
std::vector<SerialPortEntry> SerialPorts(const std::filesystem::path& sysClassTty);

// An FTDI adapter holds received bytes up to its latency timer (16 ms by
// default) before it passes them on, so a reply can miss a 10 ms polling
// tick. Asks for low latency on the open port `fd` (`path` names it): the
// kernel's low-latency flag (which the FTDI driver turns into a 1 ms latency
// timer), else the adapter's latency timer at 1 ms through sysfs when it may
// be written. Returns what it got, in words, for the trace.
std::string RequestLowLatency(int fd, const std::string& path,
                              const std::filesystem::path& sysClassTty = "/sys/class/tty");

} // namespace quelm::platform
