#include "support/test_rig.h"

#include "form/form_ops.h"
#include "shell/bind_handlers.h"

#include <cstdio>

namespace quelm::test {

sim::BoxConfig SampleBox() {
    sim::BoxConfig c;
    sim::Detector d;
    d.number = 300;
    d.outputPower = 1; // med
    d.channel = 1;     // B
    d.dynamicTime = 4; // 2 min
    d.riseTime = 3;    // 1.5 s
    d.fallTime = 3;    // 45 s
    d.levelOnPlus = 80;
    d.levelDynPlus = 60;
    d.levelDynMinus = 25;
    d.commandType = 1; // L1
    d.addresses = {11, 22, 33, 44, 55, 66, 77, 88, 99, 1048574};
    c.detectors.push_back(d);
    sim::Detector e;
    e.number = 12;
    c.detectors.push_back(e);
    return c;
}

sim::BoxConfig BoxOf(std::initializer_list<std::uint32_t> numbers) {
    sim::BoxConfig c;
    for (std::uint32_t n : numbers) c.detectors.push_back(sim::Detector{.number = n});
    return c;
}

Rig::Rig(sim::BoxConfig config, std::uint64_t seed)
    : box(std::move(config), seed), driver(box, clock), form(clock, driver) {
    bindHandlers(form);
}

DetectorParameters Detector300Shown() {
    DetectorParameters p;
    p.channel = 1;     // B
    p.dynamicTime = 3; // 2 min
    p.outputPower = 1; // med
    p.riseTime = 3;    // 1.5 s
    p.fallTime = 3;    // 45 s
    p.commandType = 1; // L1
    p.levelOnPlus = "80";
    p.levelDynPlus = "60";
    p.levelDynMinus = "25";
    return p;
}

void NumberMessageTable(LanguageTables& tables) {
    for (int k = 1; k <= LanguageTables::kMessageLines; ++k) {
        char line[16];
        std::snprintf(line, sizeof line, "<%d>", k);
        tables.messages[static_cast<std::size_t>(k)] = std::string(line);
    }
}

void Rig::selectDefaults() {
    WindowModel& ui = form.ui;
    ui.Option[1]->setValue(true);
    for (int n : {3, 5, 14, 21, 28, 13}) ui.Option[static_cast<std::size_t>(n)]->setValue(true);
    ui.Text8->setText("100");
    ui.Text9->setText("100");
    ui.Text10->setText("10");
}

void Rig::ready(const char* number) {
    numberMessageTable();
    selectDefaults();
    form.ui.Text3->setText(number);
}

void Rig::attach(std::uint32_t boxes) {
    if (boxes == 0) return box.unplug();
    box.plugIn();
    box.setBoxesAttached(boxes);
}

std::vector<Frame5> Rig::framesToBox() const {
    std::vector<Frame5> out;
    for (const auto& f : box.framesReceived()) out.push_back(f.bytes);
    return out;
}

bool Rig::runUntilOperationEnds(std::int64_t limitMs) {
    return clock.runUntil(
        [this] { return form.x.operation == kIdle && !ExchangeRunning(form) && !ConnectionTestRunning(form); },
        limitMs);
}

bool Rig::buttonsEnabled() const {
    for (int n : {3, 4, 5, 6, 7, 8, 9, 13})
        if (!form.ui.Command[static_cast<std::size_t>(n)]->enabled()) return false;
    return true;
}

bool Rig::exchangeTimersOff() const {
    for (ModelTimer* t : form.ui.timers())
        if (t->enabled() && t != form.ui.Timer[3]) return false;
    return true;
}

std::uint32_t RecordingDriver::open(int, DeviceHandle& h) {
    calls.push_back({"open", clock.nowUs(), 0});
    if (opened || devices == 0) return devices == 0 ? kDeviceNotFound : kDeviceNotOpened;
    opened = true;
    h = 77;
    return kOk;
}
std::uint32_t RecordingDriver::close(DeviceHandle) {
    calls.push_back({"close", clock.nowUs(), 0});
    const bool was = opened;
    opened = false;
    return was ? kOk : kInvalidHandle;
}
std::uint32_t RecordingDriver::setBaudRate(DeviceHandle, std::uint32_t baud) {
    calls.push_back({"baud", clock.nowUs(), static_cast<int>(baud)});
    return kOk;
}
std::uint32_t RecordingDriver::setDataCharacteristics(DeviceHandle, int bits, int, int) {
    calls.push_back({"data", clock.nowUs(), bits});
    return kOk;
}
std::uint32_t RecordingDriver::setTimeouts(DeviceHandle, int readMs, int) {
    calls.push_back({"timeouts", clock.nowUs(), readMs});
    return kOk;
}
std::uint32_t RecordingDriver::writeByte(DeviceHandle, std::uint8_t byte, std::uint32_t& written) {
    calls.push_back({"write", clock.nowUs(), byte});
    written = 1;
    return kOk;
}
std::uint32_t RecordingDriver::readByte(DeviceHandle, std::uint8_t& byte, std::uint32_t& count) {
    count = 0;
    if (rx.empty()) return kOk;
    byte = rx.front();
    rx.erase(rx.begin());
    count = 1;
    calls.push_back({"read", clock.nowUs(), byte});
    return kOk;
}
std::uint32_t RecordingDriver::getStatus(DeviceHandle, std::uint32_t& rxq, std::uint32_t& txq, std::uint32_t& ev) {
    rxq = static_cast<std::uint32_t>(rx.size());
    txq = 0;
    ev = 0;
    return kOk;
}
std::uint32_t RecordingDriver::countDevices(std::uint32_t& count) {
    count = devices;
    return kOk;
}
std::vector<RecordingDriver::Call> RecordingDriver::named(const std::string& name) const {
    std::vector<Call> out;
    for (const auto& c : calls)
        if (c.name == name) out.push_back(c);
    return out;
}

} // namespace quelm::test
