// The event rules of the window model and the virtual clock it runs on.
#include "core/virtual_clock.h"
#include "core/window_model.h"

#include <gtest/gtest.h>

using namespace quelm;

TEST(WindowModel, ChangeHandlerRunsOnlyOnChangeAndMayRewriteTheText) {
    VirtualClock clock;
    WindowModel w(clock);
    int runs = 0;
    w.Text8->onChange = [&] {
        ++runs;
        if (w.Text8->text() == "150") w.Text8->setText("100"); // re-entrant
    };
    w.Text8->setText("150");
    EXPECT_EQ(w.Text8->text(), "100");
    EXPECT_EQ(runs, 2);
    w.Text8->setText("100");
    EXPECT_EQ(runs, 2);
}

TEST(WindowModel, OptionClickOnlyOnANewSelectionAndGroupsAreExclusive) {
    VirtualClock clock;
    WindowModel w(clock);
    int clicks = 0;
    w.Option[2]->onClick = [&] { ++clicks; };
    w.Option[1]->select();
    w.Option[2]->select();
    EXPECT_EQ(clicks, 1);
    EXPECT_FALSE(w.Option[1]->value());
    w.Option[2]->select();
    EXPECT_EQ(clicks, 1);
    // Another group is left alone.
    w.Option[3]->select();
    EXPECT_TRUE(w.Option[2]->value());
    // Setting quietly never clicks.
    w.Option[1]->setValue(true);
    w.Option[2]->setValue(true);
    EXPECT_EQ(clicks, 1);
}

TEST(WindowModel, TimersTickFromTheLoopOnlyAndReEnablingChangesNothing) {
    VirtualClock clock;
    WindowModel w(clock);
    std::vector<std::int64_t> ticks;
    w.Timer[17]->onTick = [&] { ticks.push_back(clock.nowUs()); };
    w.Timer[17]->enable();
    EXPECT_TRUE(ticks.empty()); // never at once
    clock.advanceMs(5);
    w.Timer[17]->enable(); // already enabled: the count goes on
    clock.advanceMs(5);
    ASSERT_EQ(ticks.size(), 1u);
    EXPECT_EQ(ticks[0], 10'000);
    w.Timer[17]->disable();
    clock.advanceMs(100);
    EXPECT_EQ(ticks.size(), 1u);
}

TEST(WindowModel, NoTickRunsInsideAHandler) {
    VirtualClock clock;
    WindowModel w(clock);
    bool inside = false, nested = false;
    w.Timer[1]->onTick = [&] { nested = nested || inside; };
    w.Timer[23]->onTick = [&] {
        inside = true;
        w.Timer[23]->disable();
        w.Timer[1]->enable();
        clock.pauseMs(50); // a blocking step: time passes, nothing else runs
        inside = false;
    };
    w.Timer[23]->enable();
    clock.advanceMs(100);
    EXPECT_FALSE(nested);
}

TEST(WindowModel, IntervalChangeRestartsARunningTimerAndZeroStopsIt) {
    VirtualClock clock;
    WindowModel w(clock);
    int ticks = 0;
    w.Timer[28]->onTick = [&] { ++ticks; };
    w.Timer[28]->enable(); // design interval 0: enabled, never ticks
    clock.advanceMs(50);
    EXPECT_EQ(ticks, 0);
    w.Timer[28]->setInterval(30);
    clock.advanceMs(29);
    EXPECT_EQ(ticks, 0);
    clock.advanceMs(1);
    EXPECT_EQ(ticks, 1);
}

TEST(WindowModel, TheClockSkipsTicksKeepingEachTimersPhaseAndRunsTiesInStartOrder) {
    VirtualClock clock;
    std::vector<std::pair<char, std::int64_t>> ticks;
    const auto fast = clock.startTimer(10, [&] { ticks.push_back({'f', clock.nowUs()}); });
    clock.advanceMs(3);
    clock.startTimer(4000, [&] { ticks.push_back({'s', clock.nowUs()}); });
    clock.startTimer(7, [&] { ticks.push_back({'t', clock.nowUs()}); }); // due with the fast one at 10 ms
    EXPECT_EQ(clock.nextDueUs(1000), 4'003'000);
    clock.advanceMs(7);
    clock.skipTo(3'995'000); // each keeps its phase: both next at 4000 ms, the slow one at 4003 ms
    clock.advanceMs(8);
    const std::vector<std::pair<char, std::int64_t>> expected = {
        {'f', 10'000}, {'t', 10'000}, {'f', 4'000'000}, {'t', 4'000'000}, {'s', 4'003'000}};
    EXPECT_EQ(ticks, expected);
    clock.stopTimer(fast);
    EXPECT_EQ(clock.timersRunning(), 2u);
}

TEST(WindowModel, ControlsStandWhereTheWindowPutsThem) {
    VirtualClock clock;
    WindowModel w(clock);
    EXPECT_EQ(w.caption, "BOX de programmation pour Quelm V4.2");
    EXPECT_EQ(w.find("Text1(9)")->windowPosition().top, 1560 + 360 + 480 * 9);
    EXPECT_EQ(w.find("Text1(0)")->container(), w.Frame[1]);
    EXPECT_EQ(w.Option[9]->windowPosition().top, 1200 + 1200 + 480 + 360 * 4);
    EXPECT_EQ(w.Text3->text(), "Text3");
    EXPECT_TRUE(w.Text8->text().empty());
    EXPECT_FALSE(w.Frame[10]->visible());
    EXPECT_FALSE(w.LoggerList->visible());
    EXPECT_EQ(w.GetNumDevices->caption(), "FTID_Number_Devices");
    EXPECT_EQ(w.English->menuParent(), w.Language);
    for (ModelTimer* t : w.timers()) EXPECT_FALSE(t->enabled()) << t->name();
    EXPECT_EQ(w.findTimer("Timer25")->interval(), 1000);
    EXPECT_EQ(w.findTimer("Timer12")->interval(), 1);
}

TEST(WindowModel, AListWithALimitKeepsItsNewestItemsAndCountsThoseRemoved) {
    VirtualClock clock;
    WindowModel w(clock);
    ASSERT_EQ(w.LoggerList->limit(), WindowModel::kLogLines);
    EXPECT_EQ(w.File1->limit(), 0u); // the file panel's lists hold whatever the folder has
    ListBox& log = *w.LoggerList;
    int mirrored = 0;
    log.onAdded = [&](const std::string&) { ++mirrored; };
    const std::size_t limit = WindowModel::kLogLines;
    for (std::size_t i = 0; i < limit; ++i) log.addItem(std::to_string(i));
    EXPECT_EQ(log.items().size(), limit);
    EXPECT_EQ(log.removed(), 0u);
    // One more: the oldest tenth goes, the order stays.
    log.addItem(std::to_string(limit));
    EXPECT_EQ(log.items().size(), limit - limit / 10 + 1);
    EXPECT_EQ(log.items().front(), std::to_string(limit / 10));
    EXPECT_EQ(log.items().back(), std::to_string(limit));
    EXPECT_EQ(log.removed(), limit / 10);
    for (std::size_t i = 0; i < 10 * limit; ++i) {
        log.addItem("x");
        ASSERT_LE(log.items().size(), limit);
    }
    EXPECT_EQ(log.removed() + log.items().size(), 11 * limit + 1);
    EXPECT_EQ(mirrored, static_cast<int>(11 * limit + 1)); // the mirror still sees every line
    log.setLimit(2);
    EXPECT_EQ(log.items().size(), 2u);
    log.clear();
    EXPECT_EQ(log.removed(), 11 * limit + 1);
}
