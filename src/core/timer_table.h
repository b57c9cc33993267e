#pragma once
// The periodic timers of a scheduler that runs on a real clock, apart from
// the clock and the wait: the command line's steady scheduler and the
// Windows window's message-loop scheduler keep their timers here. Timers due
// together tick in the order they fell due (in the order they were started,
// when that is the same), each at most once per pass, and one that falls
// behind skips the ticks it missed instead of running them in a burst.
#include "core/scheduler.h"

#include <cstdint>
#include <functional>
#include <map>
#include <memory>

namespace quelm {

class TimerTable {
public:
    Scheduler::TimerId start(std::int64_t nowUs, int intervalMs, std::function<void()> tick);
    // Safe from a tick, its own included: that tick finishes, no other runs.
    void stop(Scheduler::TimerId id) { timers_.erase(id); }
    // When the next timer falls due; `otherwise` when there is none.
    std::int64_t nextDueUs(std::int64_t otherwise) const;
    // How long to wait from `nowUs` for the next timer, at most until
    // `deadlineUs`; 0 when one is due already.
    std::int64_t waitUs(std::int64_t nowUs, std::int64_t deadlineUs) const;
    // Ticks once every timer that was due at `nowUs`, earliest first;
    // returns how many ticked.
    int runDue(std::int64_t nowUs);
    std::size_t size() const { return timers_.size(); }

private:
    struct Timer {
        std::int64_t intervalUs;
        std::int64_t dueUs;
        std::uint64_t order; // among timers due at the same time, the earlier first
        std::shared_ptr<std::function<void()>> tick;
    };
    Scheduler::TimerId nextId_ = 1;
    std::uint64_t nextOrder_ = 0;
    std::map<Scheduler::TimerId, Timer> timers_;
};

} // namespace quelm
