// What the platform layer works out without the system, on every system:
// the USB vendor id in Windows' hardware ids, the order of COM ports; and the
// command line's scheduler on the steady clock.
#include "drivers/serial/steady_scheduler.h"
#include "platform/usb_ports.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

using namespace quelm;
using namespace std::string_literals;

TEST(HardwareIds, TheVendorIdOfAUsbOrFtdiBusDevice) {
    using platform::UsbVendorOfHardwareIds;
    EXPECT_EQ(UsbVendorOfHardwareIds("USB\\VID_0403&PID_6001&REV_0600\0USB\\VID_0403&PID_6001\0"s), "0403");
    EXPECT_EQ(UsbVendorOfHardwareIds("FTDIBUS\\COMPORT&VID_0403&PID_6015"), "0403");
    EXPECT_EQ(UsbVendorOfHardwareIds("usb\\vid_10C4&pid_ea60"), "10c4");
    // A port with no USB device, then one whose second id names it.
    EXPECT_EQ(UsbVendorOfHardwareIds("ACPI\\PNP0501"), "");
    EXPECT_EQ(UsbVendorOfHardwareIds("ACPI\\PNP0501\0*PNP0501\0"s), "");
    EXPECT_EQ(UsbVendorOfHardwareIds("ROOT\\PORTS\0USB\\VID_0403&PID_6001\0"s), "0403");
    // Only four hex digits that stand as a part of the id.
    for (const char* bad : {"USB\\VID_040&PID_6001", "USB\\VID_04031&PID_6001", "USB\\VID_04G3", "USB\\XVID_0403",
                            "USB\\VID0403", "", "VID_"})
        EXPECT_EQ(UsbVendorOfHardwareIds(bad), "") << bad;
}

TEST(HardwareIds, PortsSortByTheirNumber) {
    std::vector<std::string> ports{"COM10", "COM3", "COM2", "COM12", "COM1"};
    std::sort(ports.begin(), ports.end(), platform::PortNameLess);
    EXPECT_EQ(ports, (std::vector<std::string>{"COM1", "COM2", "COM3", "COM10", "COM12"}));
}

// Timers due together tick in the order they fell due; one stopped by
// another's tick, or by its own, ticks no more; one started in a tick waits
// for its own interval, even of 0 ms.
TEST(SteadyScheduler, TicksInTheOrderTheyFallDue) {
    SteadyScheduler s;
    std::vector<std::string> ticks;
    Scheduler::TimerId self = 0, victim = 0;
    s.startTimer(30, [&] { ticks.push_back("thirty"); });
    victim = s.startTimer(60, [&] { ticks.push_back("victim"); });
    self = s.startTimer(10, [&] {
        ticks.push_back("once");
        s.stopTimer(self);
        s.startTimer(0, [&] { ticks.push_back("late"); });
    });
    s.startTimer(40, [&] {
        ticks.push_back("forty");
        s.stopTimer(victim);
    });
    ASSERT_TRUE(s.runUntil([&] { return std::count(ticks.begin(), ticks.end(), "forty") == 2; }, 5000));
    ASSERT_GE(ticks.size(), 4u);
    EXPECT_EQ(std::vector<std::string>(ticks.begin(), ticks.begin() + 2), (std::vector<std::string>{"once", "late"}));
    EXPECT_EQ(std::count(ticks.begin(), ticks.end(), "once"), 1);
    EXPECT_EQ(std::count(ticks.begin(), ticks.end(), "victim"), 0);
    const auto thirty = std::find(ticks.begin(), ticks.end(), "thirty");
    EXPECT_LT(thirty, std::find(ticks.begin(), ticks.end(), "forty"));
    EXPECT_EQ(s.runningTimers(), 3u);
}

// With nothing to run it waits for the limit, then says `done` never held;
// a pause never runs a tick.
TEST(SteadyScheduler, WaitsOutTheLimitAndPausesWithoutTicks) {
    SteadyScheduler s;
    const std::int64_t start = s.nowUs();
    EXPECT_FALSE(s.runUntil([] { return false; }, 30));
    EXPECT_GE(s.nowUs() - start, 30'000);
    int ticks = 0;
    s.startTimer(1, [&] { ++ticks; });
    s.pauseMs(5);
    EXPECT_EQ(ticks, 0);
    EXPECT_TRUE(s.runUntil([&] { return ticks == 3; }, 5000));
}
