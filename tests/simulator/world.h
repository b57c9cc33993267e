#pragma once
// The whole tool on the virtual clock, for the seeded simulator: the window
// model with its handlers and real language files, a simulated box with
// faults on both lines, and a random source drawn from the run's seed.
#include "core/virtual_clock.h"
#include "drivers/sim/sim_box.h"
#include "drivers/sim/sim_driver.h"
#include "form/form.h"
#include "form/parameters.h"
#include "project/project_file.h"
#include "trace/trace_driver.h"

#include <cstdint>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace quelm::simulator {

// splitmix64, the same sequence on every platform.
class Random {
public:
    explicit Random(std::uint64_t seed) : state_(seed) {}
    std::uint64_t next();
    std::uint64_t below(std::uint64_t n) { return n == 0 ? 0 : next() % n; }
    std::int64_t between(std::int64_t lo, std::int64_t hi) {
        return lo + static_cast<std::int64_t>(below(static_cast<std::uint64_t>(hi - lo + 1)));
    }
    double uniform() { return static_cast<double>(next() >> 11) * 0x1.0p-53; }
    bool chance(double p) { return uniform() < p; }

private:
    std::uint64_t state_;
};

struct World {
    // With `traced`, every frame goes into the steps as the trace prints it.
    World(std::uint64_t seed, sim::BoxConfig config, const std::filesystem::path& workDir, bool traced);

    Random rng;
    VirtualClock clock;
    sim::SimBox box;
    sim::SimDriver driver;
    TraceDriver trace;
    Form form;
    bool hostFaults = false; // frames to the box may be lost or damaged
    // A frame the detector never sent (made by the line, and passing the
    // check byte) was taken by the decoder in the running operation.
    bool forgedFrameTaken = false;
    // A genuine reply to a request of an earlier operation, delayed past the
    // watchdog, was taken: parameter replies carry no detector number, so
    // nothing can tell it from the awaited one.
    bool staleFrameTaken = false;
    std::int64_t operationStartUs = 0;
    // The project files saved in the run, by name, with what they hold.
    std::map<std::string, ProjectRecord> savedFiles;
    std::vector<std::string> steps; // what happened, for a replay
    std::string failure;            // the first broken invariant

    void note(const std::string& step);
    void fail(const std::string& why);
    bool failed() const { return !failure.empty(); }
    std::int64_t nowMs() const { return clock.nowUs() / 1000; }

    bool buttonsEnabled() const;
    // The names of the timers running, for a failure message.
    std::string runningTimers() const;
    // Nothing runs: no exchange, no connection test.
    bool quiet() const;
    const std::string& message() const { return form.ui.Text5->text(); }
    const std::string& line(int k) const { return form.tables.messageLine(k); }
};

// What the window must show after reading `d`.
DetectorParameters ShownFor(const sim::Detector& d);
// The same with each level as the detector holds it, over 100 too: what a
// report and a survey's file must say.
DetectorParameters HeldFor(const sim::Detector& d);

// The box every run starts from: 300 and 12 as the tests know them, and
// 1048574 at the top of the number range, holding a dynamic time and a
// level the window cannot show.
sim::BoxConfig SimulatedBox();

} // namespace quelm::simulator
