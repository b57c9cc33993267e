// The serial driver on ports it cannot use: each failure is refused at once
// with a status and a reason naming the port, and the trace prints failed
// calls with their status in words.
#include "core/virtual_clock.h"
#include "drivers/qt/qt_scheduler.h"
#include "drivers/serial/serial_driver.h"
#include "form/form_ops.h"
#include "shell/bind_handlers.h"
#include "support/pty_bridge.h"
#include "support/test_rig.h"
#include "trace/trace_driver.h"

#include <gtest/gtest.h>

#include <QCoreApplication>

#include <chrono>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

namespace quelm {
namespace {

namespace fs = std::filesystem;

bool contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

sim::SimBox quietBox() { return sim::SimBox{sim::BoxConfig{}}; }

TEST(SerialFaults, PathsThatAreNotSerialPortsAreRefusedAtOnce) {
    const fs::path dir = fs::path(::testing::TempDir()) / "quelm_not_ports";
    fs::create_directories(dir);
    const std::string file = (dir / "plain.txt").string();
    std::ofstream(file) << "not a tty\n";
    const std::string fifo = (dir / "pipe").string();
    fs::remove(fifo);
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    for (const std::string& path : {std::string("/dev/null"), dir.string(), file, fifo}) {
        SerialDriver driver{path};
        DeviceHandle handle = 77;
        const auto start = std::chrono::steady_clock::now();
        EXPECT_EQ(driver.open(0, handle), kDeviceNotOpened) << path;
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2)) << path;
        EXPECT_EQ(handle, 77u) << path;
        EXPECT_FALSE(driver.isOpen()) << path;
        EXPECT_EQ(driver.lastError(), path + ": not a serial port");
    }
    // The count of a named port that is no device says why it found none.
    SerialDriver folder{dir.string()};
    std::uint32_t count = 9;
    EXPECT_EQ(folder.countDevices(count), kOk);
    EXPECT_EQ(count, 0u);
    EXPECT_EQ(folder.lastError(), dir.string() + ": not a serial port");
}

TEST(SerialFaults, AMissingPortIsNotFoundAndSaysSo) {
    SerialDriver driver{"/dev/quelm-no-such-port"};
    DeviceHandle handle = 0;
    EXPECT_EQ(driver.open(0, handle), kDeviceNotFound);
    EXPECT_TRUE(contains(driver.lastError(), "/dev/quelm-no-such-port: no such device")) << driver.lastError();
    std::uint32_t count = 3;
    EXPECT_EQ(driver.countDevices(count), kOk);
    EXPECT_EQ(count, 0u);
    EXPECT_TRUE(contains(driver.lastError(), "no such device")) << driver.lastError();
}

TEST(SerialFaults, ThePortIsHeldExclusivelyWhileTheSessionLasts) {
    PtyBridge bridge{quietBox()};
    SerialDriver first{bridge.slavePath()};
    SerialDriver second{bridge.slavePath()};
    DeviceHandle a = 0, b = 0;
    ASSERT_EQ(first.open(0, a), kOk);
    EXPECT_EQ(first.lastError(), "");
    EXPECT_EQ(second.open(0, b), kDeviceNotOpened);
    EXPECT_EQ(second.lastError(), bridge.slavePath() + ": busy, another program holds it");
    if (::geteuid() != 0) {
        // TIOCEXCL: a plain open by any other program fails too (root passes it).
        const int fd = ::open(bridge.slavePath().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        EXPECT_LT(fd, 0);
        EXPECT_EQ(errno, EBUSY);
        if (fd >= 0) ::close(fd);
    }
    ASSERT_EQ(first.close(a), kOk);
    ASSERT_EQ(second.open(0, b), kOk) << second.lastError();
    ASSERT_EQ(second.close(b), kOk);

    // Another program that locked the port first keeps it.
    const int other = ::open(bridge.slavePath().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    ASSERT_GE(other, 0);
    ASSERT_EQ(::flock(other, LOCK_EX | LOCK_NB), 0);
    EXPECT_EQ(first.open(0, a), kDeviceNotOpened);
    EXPECT_TRUE(contains(first.lastError(), "busy")) << first.lastError();
    ::close(other);
    EXPECT_EQ(first.open(0, a), kOk) << first.lastError();
}

TEST(SerialFaults, AUserWithoutAccessIsToldToJoinTheDialoutGroup) {
    if (::geteuid() != 0) GTEST_SKIP() << "needs root, to try the port as another user";
    PtyBridge bridge{quietBox()}; // not started: no thread while the child is forked
    ASSERT_EQ(::chmod(bridge.slavePath().c_str(), 0600), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        // As an ordinary user who has no right on root's port.
        if (::setgid(65534) != 0 || ::setuid(65534) != 0) ::_exit(3);
        SerialDriver driver{bridge.slavePath()};
        DeviceHandle handle = 0;
        const bool refused = driver.open(0, handle) == kDeviceNotOpened;
        const bool named = driver.lastError() == bridge.slavePath() +
                                                     ": permission denied (add your user to the dialout "
                                                     "group, then log in again)";
        ::_exit(refused && named ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    if (WEXITSTATUS(status) == 3) GTEST_SKIP() << "cannot become another user here";
    EXPECT_EQ(WEXITSTATUS(status), 0);
}

TEST(SerialFaults, AnAdapterThatGoesAwayIsNamedAsGoneAndASuccessClearsTheReason) {
    auto bridge = std::make_unique<PtyBridge>(quietBox());
    const std::string path = bridge->slavePath();
    SerialDriver driver{path};
    DeviceHandle handle = 0;
    ASSERT_EQ(driver.open(0, handle), kOk);
    ASSERT_EQ(driver.setBaudRate(handle, 12345), kOtherError);
    EXPECT_FALSE(driver.lastError().empty());
    ASSERT_EQ(driver.setTimeouts(handle, 5, 10), kOk);
    EXPECT_EQ(driver.lastError(), "");
    bridge.reset(); // the master closes: the line hangs up as when the adapter is pulled
    std::uint8_t byte = 0;
    std::uint32_t n = 0;
    EXPECT_EQ(driver.readByte(handle, byte, n), kIoError);
    EXPECT_EQ(driver.lastError(), path + ": the adapter is gone");
    EXPECT_EQ(driver.writeByte(handle, 1, n), kIoError);
    EXPECT_EQ(driver.lastError(), path + ": the adapter is gone");
    EXPECT_EQ(driver.close(handle), kOk);
    EXPECT_EQ(driver.readByte(handle, byte, n), kInvalidHandle);
    EXPECT_EQ(driver.lastError(), path + ": not open");
}

TEST(SerialFaults, TheTracePrintsFailedCallsWithTheirStatusInWordsAndTheReason) {
    VirtualClock clock;
    std::vector<std::string> lines;
    SerialDriver serial{"/dev/null"};
    TraceDriver trace{serial, clock, [&](const std::string& line) { lines.push_back(line); }};
    DeviceHandle handle = 0;
    EXPECT_EQ(trace.open(0, handle), kDeviceNotOpened);
    EXPECT_EQ(trace.lastError(), "/dev/null: not a serial port");
    std::uint8_t byte = 0;
    std::uint32_t n = 0;
    EXPECT_EQ(trace.readByte(handle, byte, n), kInvalidHandle);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_TRUE(contains(lines[0], "open failed, status 3 (device not opened): /dev/null: not a serial port"))
        << lines[0];
    EXPECT_TRUE(contains(lines[1], "read failed, status 1 (invalid handle): /dev/null: not open")) << lines[1];
}

// The window's side: a port the driver cannot use ends the operation before
// anything is sent, with line 43 and the driver's reason on the message line.
TEST(SerialFaults, TheMessageLineSaysWhyAPortCannotBeUsed) {
    PtyBridge bridge{quietBox()};
    const int other = ::open(bridge.slavePath().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    ASSERT_GE(other, 0);
    ASSERT_EQ(::flock(other, LOCK_EX | LOCK_NB), 0);
    struct Case {
        std::string port, reason;
    };
    for (const Case& c : {Case{"/dev/null", "/dev/null: not a serial port"},
                          Case{bridge.slavePath(), bridge.slavePath() + ": busy, another program holds it"},
                          Case{"/dev/quelm-no-such-port", "/dev/quelm-no-such-port: no such device"}}) {
        VirtualClock clock;
        SerialDriver driver{c.port};
        Form f(clock, driver);
        bindHandlers(f);
        test::NumberMessageTable(f.tables);
        f.ui.Text3->setText("300");
        f.ui.Command[7]->click();
        EXPECT_EQ(f.ui.Text5->text().rfind("<43> " + c.reason, 0), 0u) << f.ui.Text5->text();
        EXPECT_FALSE(ExchangeRunning(f));
        EXPECT_TRUE(f.ui.Command[7]->enabled());
        f.ui.Text4->setText("301");
        f.ui.Command[6]->click(); // "Programmer" as well
        EXPECT_TRUE(f.ui.Text5->text().rfind("<43> " + c.reason, 0) == 0 && !ExchangeRunning(f) &&
                    f.ui.Command[6]->enabled());
    }
    ::close(other);
}

// A box pulled out in the middle of a read, behind a pseudo-terminal whose
// other end closes: the read ends with no box, and nothing keeps running.
TEST(SerialFaults, APulledAdapterEndsTheReadAndNothingKeepsRunning) {
    static int argc = 1;
    static char name[] = "test_serial_faults";
    static char* argv[] = {name, nullptr};
    static QCoreApplication app(argc, argv);
    sim::BoxConfig config = test::SampleBox();
    auto bridge = std::make_unique<PtyBridge>(sim::SimBox{config});
    bridge->start();
    QtScheduler scheduler;
    SerialDriver driver{bridge->slavePath()};
    Form f(scheduler, driver);
    bindHandlers(f);
    test::NumberMessageTable(f.tables);
    f.ui.Text3->setText("300");
    f.ui.Command[7]->click();
    ASSERT_TRUE(scheduler.runUntil([&] { return f.ui.Timer[23]->enabled(); }, 2000)) << f.ui.Text5->text();
    bridge.reset();
    ASSERT_TRUE(scheduler.runUntil([&] { return !ExchangeRunning(f); }, 4500)) << f.ui.Text5->text();
    const std::string& message = f.ui.Text5->text();
    EXPECT_TRUE(message == "<1>" || message.rfind("<43> ", 0) == 0) << message;
    EXPECT_TRUE(f.ui.Command[7]->enabled());
    EXPECT_EQ(f.x.operation, kIdle);
    for (ModelTimer* t : f.ui.timers()) {
        if (t == f.ui.Timer[3]) continue;
        EXPECT_FALSE(t->enabled()) << t->name();
    }
}

} // namespace
} // namespace quelm
