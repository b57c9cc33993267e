// The reply decoder fed a byte stream during each operation: a window model
// with its handlers on the virtual clock, over a driver double whose
// receive queue is the fuzz input.
#include "../entries.h"

#include "core/virtual_clock.h"
#include "driver_api/box_driver.h"
#include "files/text_file.h"
#include "form/form.h"
#include "form/form_ops.h"
#include "shell/bind_handlers.h"
#include "shell/keyboard.h"
#include "shell/language_files.h"
#include "shell/startup.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>
#include <utility>
#include <vector>

namespace quelm::fuzz {

namespace {

constexpr std::int64_t kByteUs = 521; // one byte at 19200 baud

// One box that accepts every write and whose bytes arrive at line speed
// from the moment the stream starts.
class StreamDriver final : public BoxDriver {
public:
    StreamDriver(const Scheduler& clock, std::vector<std::uint8_t> bytes) : clock_(clock), bytes_(std::move(bytes)) {}
    std::uint32_t open(int, DeviceHandle& h) override {
        if (open_) return kDeviceNotOpened;
        open_ = true;
        h = 1;
        return kOk;
    }
    std::uint32_t close(DeviceHandle) override { return std::exchange(open_, false) ? kOk : kInvalidHandle; }
    std::uint32_t setBaudRate(DeviceHandle, std::uint32_t) override { return ready(); }
    std::uint32_t setDataCharacteristics(DeviceHandle, int, int, int) override { return ready(); }
    std::uint32_t setTimeouts(DeviceHandle, int, int) override { return ready(); }
    std::uint32_t writeByte(DeviceHandle, std::uint8_t, std::uint32_t& written) override {
        written = open_ ? 1 : 0;
        return ready();
    }
    std::uint32_t readByte(DeviceHandle, std::uint8_t& byte, std::uint32_t& count) override {
        count = 0;
        if (!open_) return kInvalidHandle;
        if (taken_ < arrived()) {
            byte = bytes_[taken_++];
            count = 1;
        }
        return kOk;
    }
    std::uint32_t getStatus(DeviceHandle, std::uint32_t& rx, std::uint32_t& tx, std::uint32_t& events) override {
        rx = open_ ? static_cast<std::uint32_t>(arrived() - taken_) : 0;
        tx = events = 0;
        return ready();
    }
    std::uint32_t countDevices(std::uint32_t& count) override {
        count = 1;
        return kOk;
    }

    void startStream() { startUs_ = clock_.nowUs(); }
    // Every byte has arrived and been taken.
    bool drained() const { return startUs_ >= 0 && taken_ == bytes_.size(); }

private:
    std::uint32_t ready() const { return open_ ? kOk : kInvalidHandle; }
    std::size_t arrived() const {
        if (startUs_ < 0) return 0;
        return std::min(bytes_.size(), static_cast<std::size_t>((clock_.nowUs() - startUs_) / kByteUs));
    }
    const Scheduler& clock_;
    std::vector<std::uint8_t> bytes_;
    std::size_t taken_ = 0;
    std::int64_t startUs_ = -1;
    bool open_ = false;
};

// A folder with a settings file and no language files, the same for every
// run of this user: the start-up runs, with empty captions. Fuzzers and the
// regression test may run at once, so the file is only ever replaced whole.
const std::filesystem::path& SettingsFolder() {
    static const std::filesystem::path folder = [] {
        const auto dir = std::filesystem::temp_directory_path() / ("quelm-fuzz-" + std::to_string(::getuid()));
        std::error_code ec;
        std::filesystem::create_directories(dir, ec);
        std::string error;
        if (!WriteFileAtomically(dir / kSettingsFile, " 1 \r\n", error)) std::abort();
        return dir;
    }();
    return folder;
}

bool Quiet(const Form& f) { return !ExchangeRunning(f) && !ConnectionTestRunning(f); }

// The operation the first byte chooses, started as the user starts it.
void StartOperation(Form& f, std::uint8_t choice) {
    switch (choice % 6) {
    case 0:
        f.ui.Text3->setText("300");
        f.ui.Command[7]->click();
        break; // read parameters
    case 1:
        f.ui.Text3->setText("1048574");
        f.ui.Command[7]->click();
        break;
    case 2:
        f.ui.Text7->setText("300");
        f.ui.Command[13]->click();
        break;                               // test number
    case 3: f.ui.Option[2]->select(); break; // box channel B
    case 4: f.ui.Command[9]->click(); break; // wait for a number
    default: break;                          // the start-up's own test
    }
}

int Run(const std::uint8_t* data, std::size_t size, bool fixCheckByte) {
    if (size == 0) return 0;
    std::vector<std::uint8_t> bytes(data + 1, data + size);
    if (fixCheckByte)
        for (std::size_t i = 0; i + 5 <= bytes.size(); i += 5)
            bytes[i + 4] = bytes[i] ^ bytes[i + 1] ^ bytes[i + 2] ^ bytes[i + 3];
    VirtualClock clock;
    StreamDriver driver(clock, std::move(bytes));
    Form f(clock, driver);
    bindHandlers(f);
    f.workDir = SettingsFolder();
    std::string error;
    if (!StartUp(f, error)) std::abort();
    if (data[0] % 6 != 5) {
        // The start-up's connection test stopped, as a user stops it.
        Form_KeyDown(f, 27);
        clock.advanceMs(100);
    }
    StartOperation(f, data[0]);
    driver.startStream();
    // Until the bytes are all taken and one reply watchdog period after;
    // then, whatever came, a key ends any exchange within 100 ms.
    const std::int64_t limitMs = 5000 + static_cast<std::int64_t>(size) * kByteUs / 1000 * 4;
    clock.runUntil([&] { return Quiet(f) || driver.drained(); }, limitMs);
    clock.runUntil([&] { return Quiet(f); }, 4100);
    Form_KeyDown(f, 27);
    clock.advanceMs(100);
    if (!Quiet(f)) std::abort();
    return 0;
}

} // namespace

int ReplyDecoderRaw(const std::uint8_t* data, std::size_t size) { return Run(data, size, false); }
int ReplyDecoderChecked(const std::uint8_t* data, std::size_t size) { return Run(data, size, true); }

} // namespace quelm::fuzz
