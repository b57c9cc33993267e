#pragma once
// A whole tool on the virtual clock: window model with its handlers, a
// simulated box, and helpers to drive it as a user would.
#include "core/virtual_clock.h"
#include "driver_api/box_driver.h"
#include "drivers/sim/sim_box.h"
#include "drivers/sim/sim_driver.h"
#include "form/form.h"
#include "form/parameters.h"

#include <array>
#include <cstdint>
#include <initializer_list>
#include <vector>

namespace quelm::test {

using Frame5 = std::array<std::uint8_t, 5>;

// Detector 300 with parameters that are not the start-up defaults, and 12.
sim::BoxConfig SampleBox();
// A box whose detectors have these numbers and the factory parameters.
sim::BoxConfig BoxOf(std::initializer_list<std::uint32_t> numbers);
// What the window shows after reading detector 300 of SampleBox().
DetectorParameters Detector300Shown();
// Every message table line k holds "<k>", so that a test can tell lines apart.
void NumberMessageTable(LanguageTables& tables);

struct Rig {
    explicit Rig(sim::BoxConfig config = SampleBox(), std::uint64_t seed = 0);

    VirtualClock clock;
    sim::SimBox box;
    sim::SimDriver driver;
    Form form;

    void numberMessageTable() { NumberMessageTable(form.tables); }
    // The start-up's parameter defaults and the box channel A, without I/O.
    void selectDefaults();
    // Numbered message lines, the defaults and `number` in the number box: the
    // window as a read or a send of that detector finds it.
    void ready(const char* number = "300");
    // 0 unplugs the box; otherwise it is plugged in with `boxes` attached.
    void attach(std::uint32_t boxes);
    // The frames the box took from the line, in order.
    std::vector<Frame5> framesToBox() const;
    // Runs the clock until the operation is over (operation 0 and no timer
    // left but the stop watch), at most limitMs.
    bool runUntilOperationEnds(std::int64_t limitMs);
    bool buttonsEnabled() const;
    bool exchangeTimersOff() const;
    const std::string& message() const { return form.ui.Text5->text(); }
    const std::string& line(int k) const { return form.tables.messageLine(k); }
};

// A driver whose calls are recorded and whose reads serve queued bytes; for
// transport tests that need exact call sequences.
struct RecordingDriver : BoxDriver {
    struct Call {
        std::string name;
        std::int64_t tUs;
        int value;
    };
    explicit RecordingDriver(const Scheduler& clock) : clock(clock) {}
    const Scheduler& clock;
    std::vector<Call> calls;
    std::vector<std::uint8_t> rx;
    bool opened = false;
    std::uint32_t devices = 1;

    std::uint32_t open(int, DeviceHandle& h) override;
    std::uint32_t close(DeviceHandle) override;
    std::uint32_t setBaudRate(DeviceHandle, std::uint32_t baud) override;
    std::uint32_t setDataCharacteristics(DeviceHandle, int bits, int, int) override;
    std::uint32_t setTimeouts(DeviceHandle, int readMs, int) override;
    std::uint32_t writeByte(DeviceHandle, std::uint8_t byte, std::uint32_t& written) override;
    std::uint32_t readByte(DeviceHandle, std::uint8_t& byte, std::uint32_t& count) override;
    std::uint32_t getStatus(DeviceHandle, std::uint32_t& rxq, std::uint32_t& txq, std::uint32_t& ev) override;
    std::uint32_t countDevices(std::uint32_t& count) override;
    std::vector<Call> named(const std::string& name) const;
};

} // namespace quelm::test
