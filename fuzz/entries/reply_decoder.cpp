// The reply decoder fed a byte stream during each operation: a window model
// with its handlers on the virtual clock, over a driver double whose
// receive queue is the fuzz input. The window is started once and brought
// back to its started state for each input.
#include "../entries.h"

#include "core/roles.h"
#include "core/virtual_clock.h"
#include "core/window_snapshot.h"
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
#include <optional>
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
    explicit StreamDriver(const Scheduler& clock) : clock_(clock) {}
    // A new stream, not started, the box open or not as given.
    void restart(std::vector<std::uint8_t> bytes, bool open) {
        bytes_ = std::move(bytes);
        sent_.clear();
        taken_ = 0;
        startUs_ = -1;
        open_ = open;
    }
    bool isOpen() const { return open_; }
    const std::vector<std::uint8_t>& sent() const { return sent_; }
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
    std::uint32_t writeByte(DeviceHandle, std::uint8_t byte, std::uint32_t& written) override {
        written = open_ ? 1 : 0;
        if (open_) sent_.push_back(byte);
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
    // Every byte has arrived, taken or not (a reader takes whole frames).
    bool streamOver() const { return startUs_ >= 0 && arrived() == bytes_.size(); }
    // Bytes come in and not yet taken.
    std::size_t unread() const { return arrived() - taken_; }

private:
    std::uint32_t ready() const { return open_ ? kOk : kInvalidHandle; }
    std::size_t arrived() const {
        if (startUs_ < 0) return 0;
        return std::min(bytes_.size(), static_cast<std::size_t>((clock_.nowUs() - startUs_) / kByteUs));
    }
    const Scheduler& clock_;
    std::vector<std::uint8_t> bytes_;
    std::vector<std::uint8_t> sent_;
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

// Quiet, asked after every tick: two timers running on the clock are never
// quiet (an enabled timer is the only kind that runs, and the stop watch is
// the one a quiet window may keep), which spares the look at every timer.
bool Quiet(const Form& f, const VirtualClock& clock) { return clock.timersRunning() < 2 && Quiet(f); }

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

// The window started once per process, with its clock and box, and brought
// back for each input to one of two moments: just started, its connection
// test running, or that test since stopped by a key. A start-up costs more
// than an input.
class StartedWindow {
public:
    StartedWindow() : driver_(clock_), form_(clock_, driver_) {
        bindHandlers(form_);
        form_.workDir = SettingsFolder();
        std::string error;
        if (!StartUp(form_, error)) std::abort();
        started_.emplace(keep());
        Form_KeyDown(form_, 27);
        clock_.advanceMs(100);
        stopped_.emplace(keep());
    }
    // What an input added is let go at its end, so that the fuzzer's leak
    // check sees as many frees as allocations; the window is left at the
    // moment most inputs start from, which the next one need not bring back.
    void release() { reset({}, true); }
    Form& reset(std::vector<std::uint8_t> bytes, bool testStopped) {
        const Moment& m = testStopped ? *stopped_ : *started_;
        if (at_ != &m) {
            clock_ = m.clock;
            m.ui.restore(form_.ui);
            form_.link = m.link;
            form_.x = m.x;
        }
        driver_.restart(std::move(bytes), m.open);
        at_ = &m;
        return form_;
    }
    // An input is running: the window is at no kept moment.
    void leave() { at_ = nullptr; }
    VirtualClock& clock() { return clock_; }
    StreamDriver& driver() { return driver_; }
    const Form& form() const { return form_; }

private:
    struct Moment {
        VirtualClock clock;
        WindowSnapshot ui;
        LinkVariables link;
        ExchangeState x;
        bool open;
    };
    Moment keep() const { return {clock_, WindowSnapshot(form_.ui), form_.link, form_.x, driver_.isOpen()}; }

    VirtualClock clock_;
    StreamDriver driver_;
    Form form_;
    std::optional<Moment> started_, stopped_;
    const Moment* at_ = nullptr; // the moment the window is at, untouched since
};

constexpr int kPollMs = 10; // the reply poll's and the connection test's interval

// Once every byte is in and taken as far as it can be, a poll finds nothing
// each time, and does what it did the time before: the window is only
// waiting for a slow timer (a watchdog, the test number's second). Not while
// a probe counts its own short wait, nor once a key was pressed (the stop
// watch then acts), nor while another timer works.
bool OnlyIdlePolls(const Form& f, const StreamDriver& driver) {
    if (!driver.streamOver() || f.x.keyPressed || f.x.operation == kProbeNewNumber) return false;
    const auto on = [&f](std::size_t n) { return f.ui.Timer[n]->enabled(); };
    // A poll's first tick starts its watchdog; a frame whole in the queue is
    // taken, bytes short of one only by the connection test.
    if (on(timer::replyPoll) && !on(timer::replyWatchdog)) return false;
    if (on(timer::connectionListen) && (!on(timer::connectionResend) || driver.unread() > 0)) return false;
    if (driver.unread() >= 5) return false;
    for (const ModelTimer* t : f.ui.timers()) {
        const bool poll = t == f.ui.Timer[timer::replyPoll] || t == f.ui.Timer[timer::connectionListen] ||
                          t == f.ui.Timer[timer::stopWatch];
        if (t->enabled() && !poll && t->interval() < 1000) return false;
    }
    return true;
}

// Jumps over the idle polls up to the last one before the next slow timer
// (or before `untilUs`), which ticks as usual: the waits for a watchdog cost
// a few ticks instead of four hundred.
void SkipIdlePolls(StartedWindow& window, std::int64_t untilUs) {
    if (!OnlyIdlePolls(window.form(), window.driver())) return;
    VirtualClock& clock = window.clock();
    const std::int64_t to = std::min(clock.nextDueUs(1000), untilUs) - kPollMs * 1000;
    if (to > clock.nowUs() + kPollMs * 1000) clock.skipTo(to);
}

// After the last byte, most inputs end as soon as the line has settled; an
// input whose first byte says so waits out the reply watchdog, its resends
// and give-ups, as a patient user does. The test number holds the window for
// its fixed second whatever comes.
std::int64_t SettleMs(std::uint8_t first) {
    if (first / 6 % 32 == 31) return 4100;
    return first % 6 == 2 ? 1100 : 50;
}

// What the window shows and what went to the box, for a comparison.
std::string Outcome(StartedWindow& window) {
    const Form& f = window.form();
    std::string out = std::to_string(window.clock().nowUs()) + "|" + f.ui.Text3->text() + "|" + f.ui.Text4->text() +
                      "|" + f.ui.Text5->text() + "|";
    for (const std::string& line : f.ui.LoggerList->items()) out += line + "\n";
    for (std::uint8_t b : window.driver().sent()) out += std::to_string(b) + ",";
    return out;
}

int Play(StartedWindow& window, const std::uint8_t* data, std::size_t size, bool fixCheckByte,
         std::string* outcome = nullptr) {
    if (size == 0) return 0;
    std::vector<std::uint8_t> bytes(data + 1, data + size);
    if (fixCheckByte)
        for (std::size_t i = 0; i + 5 <= bytes.size(); i += 5)
            bytes[i + 4] = bytes[i] ^ bytes[i + 1] ^ bytes[i + 2] ^ bytes[i + 3];
    // Every operation but the start-up's own test starts once a key stopped
    // that test, as a user stops it.
    Form& f = window.reset(std::move(bytes), data[0] % 6 != 5);
    VirtualClock& clock = window.clock();
    window.leave();
    StartOperation(f, data[0]);
    window.driver().startStream();
    // Until the bytes have all come and the line has settled; then, whatever
    // came, a key ends any exchange within 100 ms.
    const std::int64_t limitMs = 5000 + static_cast<std::int64_t>(size) * kByteUs / 1000 * 4;
    clock.runUntil([&] { return window.driver().streamOver() || Quiet(f, clock); }, limitMs);
    const std::int64_t settleMs = SettleMs(data[0]);
    const std::int64_t untilUs = clock.nowUs() + settleMs * 1000;
    clock.runUntil(
        [&] {
            if (Quiet(f, clock)) return true;
            SkipIdlePolls(window, untilUs);
            return false;
        },
        settleMs);
    Form_KeyDown(f, 27);
    clock.advanceMs(100);
    if (!Quiet(f)) std::abort();
    if (outcome) *outcome = Outcome(window);
    window.release();
    return 0;
}

int Run(const std::uint8_t* data, std::size_t size, bool fixCheckByte) {
    // Started in the first input that counts: the fuzzer's first call, with
    // no bytes, adds nothing to the coverage it sees.
    if (size == 0) return 0;
    static StartedWindow window;
    return Play(window, data, size, fixCheckByte);
}

} // namespace

int ReplyDecoderRaw(const std::uint8_t* data, std::size_t size) { return Run(data, size, false); }
int ReplyDecoderChecked(const std::uint8_t* data, std::size_t size) { return Run(data, size, true); }

std::string ReplyDecoderOutcome(const std::uint8_t* data, std::size_t size, bool reusedWindow) {
    static StartedWindow reused;
    std::string outcome;
    if (reusedWindow) {
        Play(reused, data, size, false, &outcome);
    } else {
        StartedWindow fresh;
        Play(fresh, data, size, false, &outcome);
    }
    return outcome;
}

} // namespace quelm::fuzz
