#pragma once
// The scheduler of the real application: periodic timers on the Qt event
// loop (precise timers, ticks always run from the loop), the steady clock
// for "now", and a real sleep for the pauses inside a handler. Needs a
// QCoreApplication (or QApplication) on the thread that uses it.
#include "core/scheduler.h"

#include <QObject>

#include <functional>
#include <map>
#include <memory>

class QTimer;

namespace quelm {

class QtScheduler final : public Scheduler {
public:
    QtScheduler() = default;
    ~QtScheduler() override;
    QtScheduler(const QtScheduler&) = delete;
    QtScheduler& operator=(const QtScheduler&) = delete;

    std::int64_t nowUs() const override;
    // Sleeps the thread; no event and no timer tick runs meanwhile.
    void sleepUs(std::int64_t us) override;
    TimerId startTimer(int intervalMs, std::function<void()> tick) override;
    // Safe from anywhere, the timer's own tick included: that tick finishes,
    // and no further tick of the timer runs.
    void stopTimer(TimerId id) override;

    // Runs the event loop of the calling thread, waiting for events rather
    // than polling, until `done()` holds or the limit has passed.
    bool runUntil(const std::function<bool()>& done, std::int64_t limitMs) override;

    std::size_t runningTimers() const { return timers_.size(); }

private:
    struct Entry {
        QTimer* timer; // child of owner_
        std::shared_ptr<std::function<void()>> tick;
    };
    void dispatch(TimerId id);

    QObject owner_; // parent of every timer, so none outlives the scheduler
    TimerId nextId_ = 1;
    std::map<TimerId, Entry> timers_;
};

} // namespace quelm
