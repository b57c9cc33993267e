// The serial driver against the kernel's tty: a simulated box sits behind a
// pseudo-terminal and the real driver talks to its slave side. Also the
// scheduler on the Qt event loop and the command-line choice of backend.
#include "app/backend.h"
#include "drivers/qt/qt_scheduler.h"
#include "drivers/serial/serial_driver.h"
#include "support/pty_bridge.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <thread>
#include <unistd.h>

namespace quelm {
namespace {

using namespace std::chrono_literals;
using Frame = std::array<std::uint8_t, 5>;

constexpr Frame kCall300{96, 0, 1, 44, 77}; // call detector 300; it answers with the same frame

sim::BoxConfig boxWithDetector300() {
    sim::BoxConfig config;
    sim::Detector detector;
    detector.number = 300;
    config.detectors.push_back(detector);
    return config;
}

// Polls `done` on the wall clock; generous, since the machine may be loaded.
bool waitUntil(const std::function<bool()>& done, std::chrono::milliseconds limit = 10s) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!done()) {
        if (std::chrono::steady_clock::now() > end) return false;
        std::this_thread::sleep_for(1ms);
    }
    return true;
}

class PtyLink : public ::testing::Test {
protected:
    void SetUp() override {
        bridge.start();
        ASSERT_EQ(driver.open(0, handle), kOk);
        ASSERT_EQ(driver.setBaudRate(handle, 19200), kOk);
        ASSERT_EQ(driver.setDataCharacteristics(handle, 8, 0, 0), kOk);
        ASSERT_EQ(driver.setTimeouts(handle, 5, 10), kOk);
    }

    void send(const Frame& frame) {
        for (std::uint8_t byte : frame) {
            std::uint32_t written = 0;
            ASSERT_EQ(driver.writeByte(handle, byte, written), kOk);
            ASSERT_EQ(written, 1u);
        }
    }

    std::uint32_t rxQueue() {
        std::uint32_t rx = 0, tx = 0, events = 0;
        EXPECT_EQ(driver.getStatus(handle, rx, tx, events), kOk);
        return rx;
    }

    std::size_t bytesAtBox() {
        return bridge.withBox([](sim::SimBox& box) { return box.bytesFromHost().size(); });
    }

    PtyBridge bridge{sim::SimBox{boxWithDetector300()}};
    SerialDriver driver{bridge.slavePath()};
    DeviceHandle handle = 0;
};

TEST_F(PtyLink, SingleByteWritesReachTheBoxInOrderAsOneFrame) {
    for (std::uint8_t byte : kCall300) {
        std::uint32_t written = 0;
        ASSERT_EQ(driver.writeByte(handle, byte, written), kOk);
        std::this_thread::sleep_for(1ms);
    }
    ASSERT_TRUE(waitUntil([&] { return bytesAtBox() >= 5; }));
    bridge.withBox([](sim::SimBox& box) {
        ASSERT_EQ(box.bytesFromHost().size(), 5u);
        for (std::size_t i = 0; i < 5; ++i) EXPECT_EQ(box.bytesFromHost()[i].byte, kCall300[i]) << "byte " << i;
        ASSERT_EQ(box.framesReceived().size(), 1u);
        EXPECT_EQ(box.framesReceived()[0].bytes, kCall300);
    });
}

TEST_F(PtyLink, ReplyIsQueuedWholeThenReadByteByByte) {
    send(kCall300);
    ASSERT_TRUE(waitUntil([&] { return rxQueue() >= 5; })) << "no reply from the box";
    EXPECT_EQ(rxQueue(), 5u);
    Frame reply{};
    for (std::uint8_t& byte : reply) {
        std::uint32_t count = 0;
        ASSERT_EQ(driver.readByte(handle, byte, count), kOk);
        ASSERT_EQ(count, 1u);
    }
    EXPECT_EQ(reply, kCall300);
    EXPECT_EQ(rxQueue(), 0u);
}

TEST_F(PtyLink, ReadWithNothingQueuedWaitsForTheTimeoutAndLeavesTheByte) {
    std::uint8_t byte = 0xAB;
    std::uint32_t count = 7;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(driver.readByte(handle, byte, count), kOk);
    EXPECT_GE(std::chrono::steady_clock::now() - start, 4ms);
    EXPECT_EQ(count, 0u);
    EXPECT_EQ(byte, 0xAB);
}

TEST_F(PtyLink, SecondOpenFailsAndTheSessionGoesOn) {
    DeviceHandle other = 12345;
    EXPECT_EQ(driver.open(0, other), kDeviceNotOpened);
    EXPECT_EQ(other, 12345u);
    send(kCall300);
    EXPECT_TRUE(waitUntil([&] { return bytesAtBox() == 5; }));
}

TEST_F(PtyLink, ClosedOrForeignHandlesAreInvalid) {
    std::uint8_t byte = 0;
    std::uint32_t n = 0, tx = 0, events = 0;
    EXPECT_EQ(driver.readByte(handle + 1, byte, n), kInvalidHandle);
    ASSERT_EQ(driver.close(handle), kOk);
    EXPECT_EQ(driver.close(handle), kInvalidHandle);
    EXPECT_EQ(driver.writeByte(handle, 1, n), kInvalidHandle);
    EXPECT_EQ(driver.readByte(handle, byte, n), kInvalidHandle);
    EXPECT_EQ(driver.getStatus(handle, n, tx, events), kInvalidHandle);
    EXPECT_EQ(driver.setBaudRate(handle, 19200), kInvalidHandle);
    DeviceHandle again = 0;
    ASSERT_EQ(driver.open(0, again), kOk);
    EXPECT_NE(again, handle);
    EXPECT_EQ(driver.readByte(handle, byte, n), kInvalidHandle);
}

TEST_F(PtyLink, UnsupportedLineSettingsAreRefused) {
    EXPECT_EQ(driver.setBaudRate(handle, 12345), kOtherError);
    EXPECT_EQ(driver.setDataCharacteristics(handle, 9, 0, 0), kOtherError);
    EXPECT_EQ(driver.setDataCharacteristics(handle, 8, 1, 0), kOtherError);
}

TEST(SerialDriver, LineThatHangsUpGivesIoErrorsUntilClosed) {
    auto bridge = std::make_unique<PtyBridge>(sim::SimBox{boxWithDetector300()});
    SerialDriver driver{bridge->slavePath()};
    DeviceHandle handle = 0;
    ASSERT_EQ(driver.open(0, handle), kOk);
    ASSERT_EQ(driver.setTimeouts(handle, 5, 10), kOk);
    bridge.reset(); // closing the master hangs the line up, as an unplugged adapter does
    std::uint8_t byte = 0;
    std::uint32_t n = 0, tx = 0, events = 0;
    EXPECT_EQ(driver.readByte(handle, byte, n), kIoError);
    EXPECT_EQ(driver.writeByte(handle, 1, n), kIoError);
    EXPECT_EQ(driver.getStatus(handle, n, tx, events), kIoError);
    EXPECT_EQ(driver.close(handle), kOk);
}

TEST(SerialDriver, NamedPortIsCountedOnlyWhenItIsACharacterDevice) {
    std::uint32_t count = 9;
    SerialDriver missing{"/dev/quelm-no-such-port"};
    EXPECT_EQ(missing.countDevices(count), kOk);
    EXPECT_EQ(count, 0u);
    DeviceHandle handle = 77;
    EXPECT_EQ(missing.open(0, handle), kDeviceNotFound);
    EXPECT_EQ(handle, 77u);

    SerialDriver notADevice{"/proc/self/exe"};
    EXPECT_EQ(notADevice.countDevices(count), kOk);
    EXPECT_EQ(count, 0u);

    PtyBridge bridge{sim::SimBox{boxWithDetector300()}};
    SerialDriver pty{bridge.slavePath()};
    EXPECT_EQ(pty.countDevices(count), kOk);
    EXPECT_EQ(count, 1u);
    EXPECT_EQ(pty.open(1, handle), kDeviceNotFound);
}

// --- the scheduler on the Qt event loop

QCoreApplication& application() {
    static int argc = 1;
    static char name[] = "test_serial_driver";
    static char* argv[] = {name, nullptr};
    static QCoreApplication app(argc, argv);
    return app;
}

// Runs a local event loop until `quit` is called or the guard time passes;
// returns false when the guard fired.
bool runLoop(const std::function<void(std::function<void()>)>& setUp, int guardMs = 10000) {
    application();
    QEventLoop loop;
    bool guarded = false;
    QTimer::singleShot(guardMs, &loop, [&] {
        guarded = true;
        loop.quit();
    });
    setUp([&loop] { loop.quit(); });
    loop.exec();
    return !guarded;
}

TEST(QtScheduler, PeriodicTimerTicksAgainAndAgain) {
    QtScheduler scheduler;
    int ticks = 0;
    const bool finished = runLoop([&](std::function<void()> quit) {
        scheduler.startTimer(5, [&, quit] {
            if (++ticks == 3) quit();
        });
    });
    EXPECT_TRUE(finished);
    EXPECT_EQ(ticks, 3);
}

TEST(QtScheduler, TimerStoppedInItsOwnTickNeverTicksAgain) {
    QtScheduler scheduler;
    int selfStopping = 0;
    int other = 0;
    Scheduler::TimerId self = 0;
    const bool finished = runLoop([&](std::function<void()> quit) {
        self = scheduler.startTimer(1, [&] {
            ++selfStopping;
            scheduler.stopTimer(self);
        });
        scheduler.startTimer(2, [&, quit] {
            if (++other == 20) quit();
        });
    });
    EXPECT_TRUE(finished);
    EXPECT_EQ(selfStopping, 1);
    EXPECT_EQ(scheduler.runningTimers(), 1u);
}

TEST(QtScheduler, SleepWaitsWithoutRunningTicks) {
    application();
    QtScheduler scheduler;
    int ticks = 0;
    scheduler.startTimer(1, [&] { ++ticks; });
    const std::int64_t before = scheduler.nowUs();
    scheduler.sleepUs(20'000);
    EXPECT_GE(scheduler.nowUs() - before, 20'000);
    EXPECT_EQ(ticks, 0);
}

// --- the command-line choice of backend

struct Parsed {
    bool ok;
    std::size_t i; // where the parser left the index
    BackendOptions options;
    std::string error;
};

Parsed parse(const std::vector<std::string>& args) {
    Parsed p{false, 0, {}, {}};
    p.ok = parseBackendOption(args, p.i, p.options, p.error);
    return p;
}

TEST(Backend, ParsesEachOptionForm) {
    Parsed p = parse({"--port", "/dev/ttyUSB3", "--seed"});
    EXPECT_TRUE(p.ok);
    EXPECT_EQ(p.i, 1u);
    EXPECT_EQ(p.options.port, "/dev/ttyUSB3");
    EXPECT_EQ(parse({"--port=/dev/ttyS0"}).options.port, "/dev/ttyS0");
    p = parse({"--simulate=box.txt"});
    EXPECT_TRUE(p.ok && p.options.simulate);
    EXPECT_EQ(p.options.simFile, "box.txt");
    p = parse({"--simulate", "--port"});
    EXPECT_TRUE(p.ok && p.options.simulate);
    EXPECT_EQ(p.i, 0u);
    EXPECT_EQ(parse({"--seed", "42"}).options.seed, 42u);
    EXPECT_EQ(parse({"--seed=18446744073709551615"}).options.seed, 18446744073709551615u);
}

TEST(Backend, RefusesMissingOrBadValuesAndLeavesOtherArguments) {
    const std::vector<std::vector<std::string>> bad{{"--port"},       {"--port="},   {"--simulate="},
                                                    {"--seed", "4x"}, {"--seed=-1"}, {"--seed", ""}};
    for (const auto& args : bad) {
        const Parsed p = parse(args);
        EXPECT_FALSE(p.ok) << args[0];
        EXPECT_FALSE(p.error.empty()) << args[0];
    }
    EXPECT_NE(parse({"--seed", "4x"}).error.find("4x"), std::string::npos);
    const Parsed other = parse({"--verbose", "--port", "x"});
    EXPECT_FALSE(other.ok);
    EXPECT_TRUE(other.error.empty());
    EXPECT_EQ(other.i, 0u);
    EXPECT_TRUE(other.options.port.empty());
}

TEST(Backend, BuildsTheDriverTheOptionsAskFor) {
    QtScheduler scheduler;
    std::string error;
    auto serial = makeBackend(BackendOptions{}, scheduler, error);
    ASSERT_TRUE(serial);
    EXPECT_EQ(serial->box, nullptr);
    EXPECT_NE(dynamic_cast<SerialDriver*>(serial->driver.get()), nullptr);

    const auto dir = std::filesystem::temp_directory_path();
    const std::string good = (dir / ("quelm-box-" + std::to_string(::getpid()) + ".txt")).string();
    std::ofstream(good) << "boxes 2\ndetector 7\n";
    BackendOptions options{true, good, "", 5};
    auto simulated = makeBackend(options, scheduler, error);
    std::filesystem::remove(good);
    ASSERT_TRUE(simulated) << error;
    ASSERT_NE(simulated->box, nullptr);
    EXPECT_NE(simulated->box->detector(7), nullptr);
    std::uint32_t count = 0;
    EXPECT_EQ(simulated->driver->countDevices(count), kOk);
    EXPECT_EQ(count, 2u);

    options.simFile = good; // now gone
    EXPECT_FALSE(makeBackend(options, scheduler, error));
    EXPECT_NE(error.find(good), std::string::npos);
    options.port = "/dev/ttyUSB0";
    EXPECT_FALSE(makeBackend(options, scheduler, error));
    EXPECT_NE(error.find("--port"), std::string::npos);
}

} // namespace
} // namespace quelm
