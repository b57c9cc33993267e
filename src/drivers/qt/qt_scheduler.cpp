#include "drivers/qt/qt_scheduler.h"

#include "platform/clock.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

#include <algorithm>
#include <utility>

namespace quelm {

QtScheduler::~QtScheduler() {
    for (auto& [id, entry] : timers_) entry.timer->stop();
    // owner_ deletes the timers, those waiting for deleteLater included.
}

std::int64_t QtScheduler::nowUs() const { return platform::monotonicNowUs(); }

void QtScheduler::sleepUs(std::int64_t us) { platform::SleepForUs(us); }

Scheduler::TimerId QtScheduler::startTimer(int intervalMs, std::function<void()> tick) {
    const TimerId id = nextId_++;
    auto* timer = new QTimer(&owner_);
    timer->setTimerType(Qt::PreciseTimer);
    timer->setSingleShot(false);
    timer->setInterval(intervalMs < 0 ? 0 : intervalMs);
    QObject::connect(timer, &QTimer::timeout, &owner_, [this, id] { dispatch(id); });
    timers_.emplace(id, Entry{timer, std::make_shared<std::function<void()>>(std::move(tick))});
    timer->start();
    return id;
}

void QtScheduler::stopTimer(TimerId id) {
    const auto it = timers_.find(id);
    if (it == timers_.end()) return;
    QTimer* timer = it->second.timer;
    timer->stop();
    timer->disconnect();
    // Not deleted here: this may run inside the timer's own timeout signal.
    timer->deleteLater();
    timers_.erase(it);
}

void QtScheduler::dispatch(TimerId id) {
    const auto it = timers_.find(id);
    if (it == timers_.end()) return;
    // Holds the tick alive while it runs, even when it stops its own timer.
    const std::shared_ptr<std::function<void()>> tick = it->second.tick;
    (*tick)();
}

bool QtScheduler::runUntil(const std::function<bool()>& done, std::int64_t limitMs) {
    const std::int64_t deadlineUs = nowUs() + limitMs * 1000;
    // One timer at the limit wakes the loop should nothing else come.
    QTimer wake;
    wake.setSingleShot(true);
    wake.setTimerType(Qt::PreciseTimer);
    wake.start(static_cast<int>(std::min<std::int64_t>(limitMs, 24LL * 3600 * 1000)));
    while (!done()) {
        if (nowUs() >= deadlineUs) return false;
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    return true;
}

} // namespace quelm
