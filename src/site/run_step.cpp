#include "site/run_step.h"

#include "form/form_ops.h"
#include "shell/keyboard.h"

#include <algorithm>

namespace quelm {

namespace {

constexpr int kEscape = 27;
// The stop watch acts within 100 ms; should nothing be watching, the run is
// not kept waiting either.
constexpr std::int64_t kStopGraceMs = 1000;
// A run keeps at most this many message lines of one operation.
constexpr std::size_t kMessagesKept = 200;

// Sees every message of the line while the operation runs, after whatever
// else watches the window (the view), which gets its notice first.
class MessageWatch {
public:
    explicit MessageWatch(Form& f) : f_(f), previous_(f.ui.observer) {
        f_.ui.observer = [this](Control& c, Change change) {
            if (previous_) previous_(c, change);
            if (&c != f_.ui.Text5 || change != Change::Text) return;
            if (lines.empty() || lines.back() != f_.x.shownLine) lines.push_back(f_.x.shownLine);
            if (lines.size() > kMessagesKept) lines.erase(lines.begin() + 1);
        };
    }
    ~MessageWatch() { f_.ui.observer = previous_; }
    MessageWatch(const MessageWatch&) = delete;
    MessageWatch& operator=(const MessageWatch&) = delete;
    std::vector<MessageLine> lines;

private:
    Form& f_;
    std::function<void(Control&, Change)> previous_;
};

} // namespace

bool StepRun::saw(MessageLine line) const { return std::find(lines.begin(), lines.end(), line) != lines.end(); }

void PressStopKey(Form& f) {
    Form_KeyDown(f, kEscape);
    f.clock.runUntil([&f] { return !ExchangeRunning(f) && !ConnectionTestRunning(f); }, kStopGraceMs);
}

StepRun RunStep(Form& f, const std::function<void()>& start, std::int64_t limitMs,
                const std::function<bool()>& stopAsked) {
    StepRun run;
    if (stopAsked()) {
        run.cut = Cut::stop;
        return run;
    }
    MessageWatch watch(f);
    SetMessage(f, noLine, "");
    start();
    const auto over = [&f] { return !ExchangeRunning(f); };
    bool asked = false;
    const bool ended =
        f.clock.runUntil([&] { return over() || (asked = stopAsked()); }, std::max<std::int64_t>(limitMs, 1));
    if (!ended || !over()) {
        run.cut = asked ? Cut::stop : Cut::limit;
        PressStopKey(f);
    }
    run.lines = watch.lines;
    return run;
}

StepEnd JudgeStep(const Form& f, const StepRun& run, MessageLine doneLine, bool answered) {
    if (run.cut == Cut::none && f.x.shownLine == doneLine) return StepEnd::done;
    if (SaysNoBox(f)) return StepEnd::noBox;
    if (run.cut == Cut::stop) return StepEnd::stopped;
    return answered ? StepEnd::failed : StepEnd::noAnswer;
}

} // namespace quelm
