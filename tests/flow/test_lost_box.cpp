// A box pulled out in the middle of an exchange ends it as "no box" does,
// and the next read after it is plugged back in works.
#include "box/connection_test.h"
#include "form/form_ops.h"
#include "link/exchange_end.h"
#include "support/test_rig.h"

#include <gtest/gtest.h>

using namespace quelm;
using namespace quelm::test;

namespace {

// Time of a whole read of detector 300 on a clean line, in microseconds.
std::int64_t CleanReadUs() {
    Rig r;
    r.ready();
    r.form.ui.Command[7]->userClick();
    EXPECT_TRUE(r.runUntilOperationEnds(1000));
    return r.clock.nowUs();
}

} // namespace

TEST(LostBox, PulledAtAnyMomentOfAReadEndsItWithinTheWatchdogAndTheNextReadWorks) {
    const std::int64_t readUs = CleanReadUs();
    ASSERT_GT(readUs, 50'000);
    // Every 250 us covers every byte boundary: a byte takes 521 us on the line.
    for (std::int64_t pullUs = 0; pullUs <= readUs; pullUs += 250) {
        Rig r;
        r.ready();
        Form& f = r.form;
        f.ui.Command[7]->userClick();
        r.clock.runUntil([&] { return r.clock.nowUs() >= pullUs; }, 1000);
        const bool endedBefore = !ExchangeRunning(f);
        r.box.unplug();
        ASSERT_TRUE(r.clock.runUntil([&] { return !ExchangeRunning(f); }, 4100)) << "pulled at " << pullUs << " us";
        EXPECT_TRUE(r.buttonsEnabled()) << "pulled at " << pullUs << " us";
        if (!endedBefore && r.message() != r.line(17)) {
            EXPECT_EQ(r.message(), r.line(1)) << "pulled at " << pullUs << " us";
            EXPECT_EQ(f.x.operation, kIdle);
        }
        for (ModelTimer* t : f.ui.timers()) {
            if (t == f.ui.Timer[3]) continue;
            EXPECT_FALSE(t->enabled()) << t->name() << ", pulled at " << pullUs << " us";
        }
        // Idle means idle: the clock has nothing left to run but the stop watch.
        r.clock.advanceMs(10'000);
        EXPECT_FALSE(ExchangeRunning(f));

        r.box.plugIn();
        f.ui.Command[7]->userClick();
        ASSERT_TRUE(r.runUntilOperationEnds(1000));
        EXPECT_EQ(r.message(), r.line(17)) << "after a pull at " << pullUs << " us";
        EXPECT_EQ(ParametersShown(f), Detector300Shown());
    }
}

TEST(LostBox, PulledDuringTheConnectionTestEndsItWithNoBox) {
    Rig r;
    r.numberMessageTable();
    Form& f = r.form;
    StartConnectionTest(f);
    r.clock.advanceMs(55);
    r.box.unplug();
    ASSERT_TRUE(r.clock.runUntil([&] { return !ConnectionTestRunning(f); }, 100));
    EXPECT_EQ(r.message(), r.line(1));
    EXPECT_TRUE(r.buttonsEnabled());
    EXPECT_FALSE(r.driver.isOpen());
}
