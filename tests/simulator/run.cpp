#include "simulator/run.h"

#include "form/form_ops.h"
#include "shell/keyboard.h"
#include "shell/language_files.h"
#include "shell/startup.h"
#include "simulator/operations.h"
#include "simulator/site_operations.h"

#include <algorithm>
#include <fstream>
#include <limits>

namespace quelm::simulator {

namespace {

constexpr int kEscape = 27;
constexpr std::int64_t kStopMs = 100;      // a key stops any exchange within this
constexpr std::int64_t kWatchdogMs = 4000; // the reply watchdog's period

sim::Faults LineFaults(Random& r, bool toBox) {
    sim::Faults f;
    const double most = toBox ? 0.01 : 0.03;
    f.drop = r.uniform() * most;
    f.corrupt = r.uniform() * most;
    f.delay = r.uniform() * most;
    f.duplicate = r.uniform() * most;
    f.cut = r.uniform() * most;
    f.junk = r.uniform() * most;
    // Now and then a delay past the 4 s reply watchdog.
    f.maxDelayMs = r.chance(0.2) ? 5000 : 40;
    return f;
}

void DrawLine(World& w) {
    const double roll = w.rng.uniform();
    if (roll < 0.4) return;
    w.box.setFaults(LineFaults(w.rng, false));
    if (roll < 0.8) return;
    w.hostFaults = true;
    w.box.setHostFaults(LineFaults(w.rng, true));
}

// Watches the frames the decoder and the connection test take: one the
// detector never sent (made by the line and passing the check byte) excuses
// what the window then shows.
void WatchTakenFrames(World& w) {
    for (ModelTimer* t : {w.form.ui.Timer[17], w.form.ui.Timer[1]}) {
        auto tick = t->onTick;
        t->onTick = [&w, tick] {
            const Frame before = w.form.link.rxFrame;
            tick();
            const Frame& taken = w.form.link.rxFrame;
            if (taken == before) return;
            const ReplyKind kind = ClassifyReply(taken);
            if (kind == ReplyKind::blank || kind == ReplyKind::acknowledgement || kind == ReplyKind::other) return;
            const auto& sent = w.box.recentReplies();
            // A reply counts only when it answers a request the host wrote:
            // one the line pieced together from parts of others (passing
            // its check byte) was answered for a detector nobody asked, and
            // one the line held back answers an earlier operation.
            const auto sentSince = [&](std::int64_t fromUs) {
                return std::any_of(sent.begin(), sent.end(), [&](const sim::ReceivedFrame& r) {
                    return r.tUs >= fromUs && FromWire(r.bytes) == taken && w.box.hostWrote(r.request, fromUs);
                });
            };
            if (!sentSince(0))
                w.forgedFrameTaken = true;
            else if (!sentSince(w.operationStartUs))
                w.staleFrameTaken = true;
        };
    }
}

// A key at `atMs`: within 100 ms nothing runs, the buttons are back, and
// after that no frame goes out and " STOP" stays until the user acts.
void PressKey(World& w, bool mustStop) {
    w.note("key pressed");
    Form_KeyDown(w.form, kEscape);
    w.clock.advanceMs(kStopMs);
    if (!mustStop) return;
    if (!w.quiet()) return w.fail("a key did not stop the exchange within 100 ms (" + w.runningTimers() + ")");
    if (!w.buttonsEnabled()) return w.fail("a key did not give the buttons back");
    const std::uint64_t frames = w.box.framesReceivedTotal();
    const std::string message = w.message();
    w.clock.advanceMs(1000);
    if (w.box.framesReceivedTotal() != frames) w.fail("a frame went out after the stop");
    if (message == " STOP" && w.message() != message) w.fail("\" STOP\" was replaced with \"" + w.message() + "\"");
}

// Times in simulated ms; kNever for what does not happen.
constexpr std::int64_t kNever = std::numeric_limits<std::int64_t>::max();
struct Perturbation {
    std::int64_t keyMs = kNever, unplugMs = kNever, plugMs = kNever;
    std::int64_t noticeMs = kNever; // by when a pulled box must have ended the exchange
};

Perturbation Draw(World& w) {
    Perturbation p;
    const std::int64_t now = w.nowMs();
    if (w.rng.chance(0.3)) p.keyMs = now + w.rng.between(0, 6000);
    if (w.rng.chance(0.08)) {
        p.unplugMs = now + w.rng.between(0, 3000);
        p.plugMs = p.unplugMs + w.rng.between(0, 8000);
    }
    return p;
}

// Runs the clock until nothing runs or `untilMs`; true when nothing runs.
bool RunUntilQuiet(World& w, std::int64_t untilMs) {
    const std::int64_t left = untilMs - w.nowMs();
    if (left <= 0) return w.quiet();
    return w.clock.runUntil([&w] { return w.quiet(); }, left) || w.quiet();
}

// One operation with what may happen during it.
void Step(World& w, Operation& op) {
    w.forgedFrameTaken = w.staleFrameTaken = false;
    w.operationStartUs = w.clock.nowUs();
    w.note(op.start(w));
    Perturbation p = Draw(w);
    // Most users press a key within seconds of a silent box; a few wait for
    // the connection test to give up on its own.
    const std::int64_t giveUpMs = w.nowMs() + (w.rng.chance(0.05) ? 250000 : w.rng.between(2000, 20000));
    bool keyed = false, pulled = false;
    while (!w.failed()) {
        const std::int64_t next = std::min({p.keyMs, p.unplugMs, p.plugMs, p.noticeMs, giveUpMs});
        if (RunUntilQuiet(w, next)) break;
        if (w.nowMs() >= p.noticeMs) {
            // A box pulled out for good ends the exchange as "no box" within
            // one watchdog period.
            if (!w.box.plugged()) w.fail("the pulled box was not noticed within the watchdog period");
            p.noticeMs = kNever;
            continue;
        }
        if (w.nowMs() >= p.unplugMs) {
            w.note("box pulled out");
            w.box.unplug();
            pulled = true;
            p.noticeMs = w.nowMs() + kWatchdogMs + kStopMs;
            p.unplugMs = kNever;
        } else if (w.nowMs() >= p.plugMs) {
            w.note("box put back");
            w.box.plugIn();
            p.plugMs = kNever;
        } else {
            keyed = true;
            PressKey(w, op.stoppable());
            if (op.stoppable()) break;
            p.keyMs = kNever;
        }
    }
    if (!w.box.plugged() && w.rng.chance(0.7)) {
        w.note("box put back");
        w.box.plugIn();
    }
    if (w.failed()) return;
    // The connection test ends on its last silence with the buttons held
    // until a key; a send never does.
    if (!w.buttonsEnabled() && !keyed) {
        if (w.form.x.paramSendActive == 1) return w.fail("a send stands still, the window held, nothing running");
        keyed = true;
        PressKey(w, true);
    }
    if (!keyed && !pulled && !w.failed()) op.verify(w);
}

// The operation the workload draws next, by the weights of the table.
std::unique_ptr<Operation> PickOperation(World& w) {
    const auto& kinds = Operations();
    int total = 0;
    for (const auto& k : kinds) total += k.weight;
    auto pick = static_cast<int>(w.rng.below(static_cast<std::uint64_t>(total)));
    for (const auto& k : kinds) {
        if (pick < k.weight) return k.make();
        pick -= k.weight;
    }
    return kinds.front().make();
}

// The start-up, whose connection test the user may wait for.
void StartTool(World& w) {
    DrawLine(w);
    WatchTakenFrames(w);
    std::string error;
    w.note("start-up");
    if (!StartUp(w.form, error)) w.fail("start-up: " + error);
    if (!w.failed() && !RunUntilQuiet(w, w.nowMs() + w.rng.between(0, 8000))) PressKey(w, true);
}

void CopyResult(const World& w, RunResult& result) {
    result.failure = w.failure;
    result.steps = w.steps;
    result.forgedFrameTaken = w.forgedFrameTaken;
    result.staleFrameTaken = w.staleFrameTaken;
    result.simulatedMs = w.nowMs();
}

void WriteFrenchSettings(const std::filesystem::path& workDir) {
    std::ofstream(workDir / kSettingsFile, std::ios::binary | std::ios::trunc) << " 1 \r\n";
}

// The memory bounds of a long run (docs/measurements.md, A day of use). Lists other than
// the log show a folder, the drives or the log-like message lists.
constexpr std::size_t kMaxLogLines = 1000;
constexpr std::size_t kMaxListItems = 1000;
constexpr std::size_t kMaxTextBytes = 4096;
constexpr std::size_t kMaxTimers = 40;
constexpr std::size_t kStepsKept = 2000;

void CheckBounds(World& w, Peaks& peaks) {
    const auto peak = [&w](std::size_t& most, std::size_t now, std::size_t bound, const char* what) {
        most = std::max(most, now);
        if (now > bound)
            w.fail(std::string(what) + " holds " + std::to_string(now) + ", over its bound " + std::to_string(bound));
    };
    for (const Control* c : w.form.ui.controls()) {
        if (const auto* list = dynamic_cast<const ListBox*>(c))
            c == w.form.ui.LoggerList ? peak(peaks.logLines, list->items().size(), kMaxLogLines, "the log")
                                      : peak(peaks.listItems, list->items().size(), kMaxListItems, c->name().c_str());
        if (const auto* text = dynamic_cast<const TextBox*>(c))
            peak(peaks.textBytes, text->text().size(), kMaxTextBytes, c->name().c_str());
    }
    peak(peaks.boxRecords, std::max(w.box.framesReceived().size(), w.box.bytesFromHost().size()), sim::kRecordLimit,
         "the box's record");
    peak(peaks.boxQueue, w.box.queuedToHost(), sim::kReceiveQueueLimit, "the queue to the tool");
    peak(peaks.timers, w.clock.timersRunning(), kMaxTimers, "the clock's timers");
    if (w.steps.size() > kStepsKept) w.steps.erase(w.steps.begin(), w.steps.end() - kStepsKept / 2);
}

// The user away: the tool sits idle, and now and then the box is pulled
// out and put back meanwhile.
std::int64_t Pause(World& w) {
    const std::int64_t ms = w.rng.chance(0.01) ? w.rng.between(60'000, 900'000) : w.rng.between(0, 20'000);
    const std::int64_t end = w.nowMs() + ms;
    if (w.rng.chance(0.05)) {
        w.clock.advanceMs(ms / 2);
        w.note(w.box.plugged() ? "box pulled out while idle" : "box put back while idle");
        w.box.plugged() ? w.box.unplug() : w.box.plugIn();
    }
    w.clock.advanceMs(end - w.nowMs());
    return ms;
}

} // namespace

RunResult RunSeed(std::uint64_t seed, const std::filesystem::path& workDir, bool traced) {
    WriteFrenchSettings(workDir);
    Random draw(seed);
    sim::BoxConfig box = SimulatedBox();
    if (draw.chance(0.3)) {
        box.reportNumber = 300;
        box.reportAfterTests = static_cast<int>(draw.between(1, 5));
    }
    World w(draw.next(), std::move(box), workDir, traced);
    StartTool(w);
    const int count = static_cast<int>(w.rng.between(1, 5));
    RunResult result;
    for (int i = 0; i < count && !w.failed(); ++i) {
        auto op = PickOperation(w);
        Step(w, *op);
        ++result.operations;
    }
    // Now and then a survey of a sparse range last, drawn apart from the
    // run's own draws so that the operations before it stay as they were.
    if (!w.failed() && Random(seed ^ 0x5BA75Eu).chance(0.1)) {
        auto op = MakeSparseSurvey();
        Step(w, *op);
        ++result.operations;
    }
    CopyResult(w, result);
    return result;
}

DayResult RunDay(std::uint64_t seed, const std::filesystem::path& workDir, double hours) {
    WriteFrenchSettings(workDir);
    Random draw(seed);
    sim::BoxConfig box = SimulatedBox();
    box.reportNumber = 300;
    box.reportAfterTests = static_cast<int>(draw.between(1, 5));
    World w(draw.next(), std::move(box), workDir, false);
    StartTool(w);
    DayResult result;
    const auto endMs = static_cast<std::int64_t>(hours * 3.6e6);
    std::int64_t nextLineMs = 3'600'000;
    bool forged = false, stale = false;
    while (!w.failed() && w.nowMs() < endMs) {
        if (w.nowMs() >= nextLineMs) {
            // Another cable, another room: the line's faults drawn again.
            w.box.setFaults({});
            w.box.setHostFaults({});
            w.hostFaults = false;
            DrawLine(w);
            nextLineMs += 3'600'000;
        }
        auto op = PickOperation(w);
        Step(w, *op);
        ++result.operations;
        forged = forged || w.forgedFrameTaken;
        stale = stale || w.staleFrameTaken;
        CheckBounds(w, result.peaks);
        if (!w.failed()) result.idleMs += Pause(w);
        CheckBounds(w, result.peaks);
    }
    CopyResult(w, result);
    result.forgedFrameTaken = forged;
    result.staleFrameTaken = stale;
    return result;
}

} // namespace quelm::simulator
