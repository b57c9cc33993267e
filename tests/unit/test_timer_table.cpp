// The timers of the real-clock schedulers (command line, Windows window) and
// the pixel geometry both views place the window's controls with.
#include "core/timer_table.h"
#include "core/view_geometry.h"
#include "core/virtual_clock.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace quelm {
namespace {

TEST(TimerTable, WaitsForTheNextTimerAndTicksDueTimersInTheOrderTheyFellDue) {
    TimerTable timers;
    std::vector<std::string> ticks;
    EXPECT_EQ(timers.waitUs(0, 50'000), 50'000); // no timer: the deadline
    Scheduler::TimerId last = 0;
    timers.start(0, 10, [&] { ticks.push_back("ten"); });
    timers.start(2'000, 5, [&] {
        ticks.push_back("five");
        timers.stop(last); // due in the same pass, it no longer ticks
    });
    last = timers.start(0, 10, [&] { ticks.push_back("last"); });
    EXPECT_EQ(timers.waitUs(3'000, 50'000), 4'000);
    EXPECT_EQ(timers.waitUs(3'000, 5'000), 2'000); // the deadline comes first
    EXPECT_EQ(timers.waitUs(12'000, 50'000), 0);
    EXPECT_EQ(timers.runDue(13'000), 2); // five (due at 7 ms), then ten (10 ms); last was stopped
    EXPECT_EQ(ticks, std::vector<std::string>({"five", "ten"}));
    EXPECT_EQ(timers.size(), 2U);
    EXPECT_EQ(timers.waitUs(13'000, 50'000), 5'000); // five late: next at 18 ms, not 17
}

TEST(TimerTable, ATimerThatFellBehindTicksOnceAndSkipsWhatItMissed) {
    TimerTable timers;
    int ticks = 0;
    timers.start(0, 10, [&] { ++ticks; });
    EXPECT_EQ(timers.runDue(95'000), 1); // nine intervals late: one tick, no burst
    EXPECT_EQ(timers.waitUs(95'000, 1'000'000), 10'000);
    EXPECT_EQ(timers.runDue(104'000), 0);
    EXPECT_EQ(timers.runDue(105'000), 1);
    EXPECT_EQ(ticks, 2);
}

TEST(ViewGeometry, TwipsBecomePixelsAtTheScreensDotsPerInchAndMenusKnowTheirItems) {
    EXPECT_EQ(TwipsToPixels(1935), 129);
    EXPECT_EQ(TwipsToPixels(1935, 144), 194); // 150 %: 193.5 rounds up
    EXPECT_EQ(TwipsToPixels(-7.5), -1);       // halves away from zero, both ways
    const PixelRect r = PixelsOf({120, 240, 3855, 855}, 192);
    EXPECT_EQ(r.x, 16);
    EXPECT_EQ(r.width, 514);
    const ScreenSize screen = ScreenTwips(2880, 1560, 144); // 1920 x 1040 logical pixels
    EXPECT_DOUBLE_EQ(screen.width, 28800);
    EXPECT_DOUBLE_EQ(screen.height, 15600);
    EXPECT_DOUBLE_EQ(ScreenTwips(0, 900).width, ScreenSize{}.width); // no area: the reference screen
    EXPECT_EQ(FontPixels(8.25, 96), 11);
    EXPECT_EQ(FontPixels(8, 144), 16);
    VirtualClock clock;
    WindowModel ui(clock);
    EXPECT_TRUE(OpensMenu(ui, *ui.File));
    EXPECT_TRUE(OpensMenu(ui, *ui.Language));
    EXPECT_FALSE(OpensMenu(ui, *ui.openfile));
    EXPECT_FALSE(OpensMenu(ui, *ui.English));
}

} // namespace
} // namespace quelm
