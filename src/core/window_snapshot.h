#pragma once
// What the handlers can change in a window's controls and timers, kept to
// bring the same window back to that moment: a harness that starts the
// window once and reuses it for every input. No handler runs and the view is
// not told. The scheduler's own timers are the caller's to bring back with
// it (a VirtualClock is copied): a timer comes back with its id, armed as it
// was.
#include "core/window_model.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace quelm {

class WindowSnapshot {
public:
    explicit WindowSnapshot(const WindowModel& window);
    void restore(WindowModel& window) const;

private:
    struct ControlState {
        std::string caption, text, path, pattern;
        bool enabled = true, visible = true, value = false, checked = false;
        Geometry geometry;
        double fontPoints = 0;
        std::vector<std::string> items, paths;
        int listIndex = -1;
        std::size_t limit = 0;
        std::uint64_t removed = 0;
    };
    struct TimerState {
        bool enabled = false;
        int interval = 0;
        Scheduler::TimerId id = 0;
    };
    static ControlState save(const Control& c);
    static void load(Control& c, const ControlState& state);

    std::vector<ControlState> controls_; // the controls, then the menus
    std::vector<TimerState> timers_;
    WindowFrame frame_;
    ScreenSize screen_;
    Control* focus_ = nullptr;
    Control* focusHeld_ = nullptr;
    bool keyPreview_ = false;
    std::string caption_;
    std::array<std::string, 2> linkNote_;
};

} // namespace quelm
