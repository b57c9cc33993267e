#pragma once
// `quelmbox-cli ports`: the serial ports of this computer, to find the one
// the programming box is on.
#include "platform/usb_ports.h"

#include <cstdio>
#include <string>
#include <vector>

namespace quelm::cli {

// What `ports` prints for `ports`: one line per port with the name --port
// takes, whether it is an FTDI adapter, its latency timer and, when that is
// not 1 ms, how to set it (a Windows COM port in Device Manager, a Linux tty
// through sysfs); or a JSON object.
std::string FormatPorts(const std::vector<platform::SerialPortEntry>& ports, bool json);

// Lists the ports present on `out`.
int ListPorts(bool json, std::FILE* out);

} // namespace quelm::cli
