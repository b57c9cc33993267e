// The operation runner's typed result when an operation does not end on its
// own: a stop asked before or during it, its time limit, on the virtual
// clock with the simulated box.
#include "protocol/frame.h"
#include "site/operation_runner.h"
#include "support/test_rig.h"

#include <gtest/gtest.h>

using namespace quelm;

namespace {

// A box slow to answer: a stop or a limit comes while a reply is awaited.
sim::BoxConfig SlowBox() {
    sim::BoxConfig slow = test::SampleBox();
    slow.turnaroundUs = 400'000;
    return slow;
}

struct Runner : ::testing::Test {
    test::Rig rig{SlowBox()};
    bool stop = false;
    OperationRunner runner{rig.form, [this] { return stop; }};
    Runner() { rig.ready(); }
};

} // namespace

TEST_F(Runner, AStopAskedBeforeTheStartSendsNothingAndSaysStopped) {
    stop = true;
    const OperationResult r = runner.readParameters("300", 10'000);
    EXPECT_FALSE(r.started);
    EXPECT_EQ(r.end, OperationEnd::stopped);
    EXPECT_EQ(r.cut, Cut::stop);
    EXPECT_FALSE(r.parameters);
    EXPECT_TRUE(rig.framesToBox().empty());
}

TEST_F(Runner, AStopDuringAReadPressesTheStopKeyAndGivesNoValues) {
    OperationRunner stopping(rig.form, [this] { return !rig.framesToBox().empty(); });
    const OperationResult r = stopping.readParameters("300", 10'000);
    EXPECT_TRUE(r.started);
    EXPECT_EQ(r.end, OperationEnd::stopped);
    EXPECT_EQ(r.line, stopShown);
    EXPECT_FALSE(r.parameters);
    EXPECT_TRUE(rig.exchangeTimersOff());
    // The window is given back: the next read ends done, with its values.
    const OperationResult next = runner.readParameters("300", 10'000);
    EXPECT_EQ(next.end, OperationEnd::done);
    EXPECT_EQ(next.parameters, test::Detector300Shown());
}

TEST_F(Runner, ASilentNumberPastItsLimitTimesOutUnanswered) {
    // A read waits for a silent detector until a key stops it, saying so
    // after the reply watchdog's 4 s.
    const OperationResult r = runner.readParameters("4242", 5'000);
    EXPECT_EQ(r.end, OperationEnd::timedOut);
    EXPECT_EQ(r.cut, Cut::limit);
    EXPECT_FALSE(r.answered);
    EXPECT_TRUE(r.saw(detectorSilent));
    EXPECT_EQ(r.line, stopShown);
    EXPECT_TRUE(rig.exchangeTimersOff());
}

TEST_F(Runner, ASendOfAddressesCutByItsLimitListsTheWritesThatWentOut) {
    AddressList wanted;
    for (std::size_t k = 0; k < wanted.size(); ++k) wanted[k] = std::to_string(1000 + k);
    // Long enough for a few writes, far too short for ten written and read back.
    const OperationResult r = runner.sendAddresses(wanted, 2'000);
    EXPECT_EQ(r.end, OperationEnd::timedOut);
    ASSERT_FALSE(r.writes.empty());
    EXPECT_EQ(r.writes.front().target, 10);
    EXPECT_EQ(r.writes.front().value, "1000");
    EXPECT_FALSE(r.addresses);
    const OperationResult again = runner.sendAddresses(wanted, 60'000);
    EXPECT_EQ(again.end, OperationEnd::done);
    EXPECT_EQ(again.addresses, wanted);
    EXPECT_TRUE(again.notRead.empty());
}

TEST_F(Runner, ANumberTheWindowRefusesIsAFailureThatSaysSoNotAMissingAnswer) {
    EXPECT_EQ(runner.readParameters("12,5", 10'000).end, OperationEnd::failed);
}
