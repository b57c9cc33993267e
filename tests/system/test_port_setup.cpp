// The serial driver's look at sysfs: FTDI adapters found by their USB vendor
// id without a full port enumeration, and low latency asked for on open and
// reported once in the trace.
#include "core/virtual_clock.h"
#include "drivers/serial/serial_driver.h"
#include "platform/linux_sysfs.h"
#include "support/pty_bridge.h"
#include "trace/trace_driver.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace quelm {
namespace {

namespace fs = std::filesystem;
using platform::RequestLowLatency;
using platform::UsbSerialPorts;

// A /sys/class/tty of ttys whose device links lead into a tree of devices.
class FakeSys : public ::testing::Test {
protected:
    FakeSys() {
        root = fs::path(::testing::TempDir()) / ("quelm_sys_" + std::to_string(::getpid()));
        fs::remove_all(root);
        fs::create_directories(root / "class/tty");
    }
    ~FakeSys() override { fs::remove_all(root); }

    // A USB device with vendor `vendor` and one interface holding tty `name`.
    void usbTty(const std::string& name, const std::string& vendor, const std::string& latency = {}) {
        const fs::path usb = root / "devices/usb1" / ("1-" + name);
        const fs::path port = usb / (name + "-if") / name;
        fs::create_directories(port);
        std::ofstream(usb / "idVendor") << vendor << "\n";
        if (!latency.empty()) std::ofstream(port / "latency_timer") << latency << "\n";
        tty(name, port);
    }
    void tty(const std::string& name, const fs::path& device) {
        fs::create_directories(root / "class/tty" / name);
        if (!device.empty()) fs::create_directory_symlink(device, root / "class/tty" / name / "device");
    }
    fs::path classTty() const { return root / "class/tty"; }
    fs::path root;
};

TEST_F(FakeSys, OnlyTtysOfTheVendorAreFoundInOrder) {
    usbTty("ttyUSB1", "0403");
    usbTty("ttyUSB0", "0403");
    usbTty("ttyACM0", "2341"); // another maker's adapter
    fs::create_directories(root / "devices/platform/serial8250/ttyS0");
    tty("ttyS0", root / "devices/platform/serial8250/ttyS0"); // no USB device above it
    tty("tty1", {});                                          // a virtual console: no device at all
    EXPECT_EQ(UsbSerialPorts("0403", classTty()), (std::vector<std::string>{"/dev/ttyUSB0", "/dev/ttyUSB1"}));
    EXPECT_TRUE(UsbSerialPorts("0403", root / "missing").empty());
}

// Every port with a device behind it, whoever made it, but no empty UART
// slot; the latency timer is read, never changed.
TEST_F(FakeSys, EveryPortIsListedWithItsVendorAndLatencyTimer) {
    usbTty("ttyUSB0", "0403", "16");
    usbTty("ttyACM0", "2341");
    for (const char* uart : {"ttyS0", "ttyS1"}) {
        fs::create_directories(root / "devices/platform/serial8250" / uart);
        tty(uart, root / "devices/platform/serial8250" / uart);
    }
    std::ofstream(classTty() / "ttyS0/type") << "0\n"; // no chip in that slot
    std::ofstream(classTty() / "ttyS1/type") << "4\n";
    tty("tty1", {});
    const auto ports = platform::SerialPorts(classTty());
    ASSERT_EQ(ports.size(), 3u);
    const auto is = [](const platform::SerialPortEntry& p, const char* name, const char* vendor, int ms) {
        return p.name == name && p.vendorId == vendor && p.latencyMs == ms;
    };
    EXPECT_TRUE(is(ports[0], "/dev/ttyACM0", "2341", -1));
    EXPECT_TRUE(is(ports[1], "/dev/ttyS1", "", -1));
    EXPECT_TRUE(is(ports[2], "/dev/ttyUSB0", "0403", 16));
    std::ifstream timer(classTty() / "ttyUSB0/device/latency_timer");
    int ms = 0;
    timer >> ms;
    EXPECT_EQ(ms, 16);
}

TEST_F(FakeSys, LatencyTimerIsSetToOneMillisecondOnAPortWithoutTheKernelFlag) {
    PtyBridge bridge{sim::SimBox(sim::BoxConfig{})};
    const int fd = ::open(bridge.slavePath().c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    ASSERT_GE(fd, 0);
    const std::string name = fs::path(bridge.slavePath()).filename().string();
    EXPECT_EQ(RequestLowLatency(fd, bridge.slavePath(), classTty()),
              "low latency: nothing to set on " + bridge.slavePath());

    // A pseudo-terminal has no serial flags: the adapter's timer is what counts.
    usbTty(name, "0403", "16");
    const std::string got = RequestLowLatency(fd, bridge.slavePath(), classTty());
    EXPECT_NE(got.find("latency timer 1 ms (set by the tool)"), std::string::npos) << got;
    std::ifstream timer(classTty() / name / "device/latency_timer");
    int ms = 0;
    timer >> ms;
    EXPECT_EQ(ms, 1);
    EXPECT_EQ(RequestLowLatency(fd, bridge.slavePath(), classTty()),
              "low latency on " + bridge.slavePath() + ": latency timer 1 ms");
    ::close(fd);
}

TEST(PortSetupTrace, WhatTheOpenGotIsTracedOnceUntilItChanges) {
    PtyBridge bridge{sim::SimBox(sim::BoxConfig{})};
    SerialDriver serial(bridge.slavePath());
    VirtualClock clock;
    std::vector<std::string> lines;
    TraceDriver trace(serial, clock, [&lines](const std::string& line) { lines.push_back(line); });
    for (int i = 0; i < 3; ++i) {
        DeviceHandle handle = 0;
        ASSERT_EQ(trace.open(0, handle), kOk);
        EXPECT_EQ(trace.close(handle), kOk);
    }
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_NE(lines[0].find("low latency"), std::string::npos) << lines[0];
}

} // namespace
} // namespace quelm
