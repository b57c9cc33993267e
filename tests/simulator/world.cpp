#include "simulator/world.h"

#include "form/form_ops.h"
#include "shell/bind_handlers.h"
#include "simulator/site_operations.h"
#include "support/test_rig.h"

#include <algorithm>
#include <optional>

namespace quelm::simulator {

std::uint64_t Random::next() {
    std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

sim::BoxConfig SimulatedBox() {
    sim::BoxConfig c = test::SampleBox();
    sim::Detector top;
    top.number = 1048574;
    top.outputPower = 2;
    top.dynamicTime = 3; // a code no option stands for: the window shows no choice
    top.riseTime = 6;
    top.fallTime = 6;
    top.levelOnPlus = 0;
    top.levelDynPlus = 200; // shown as 100
    top.levelDynMinus = 0;
    c.detectors.push_back(top);
    AddSiteDetectors(c);
    AddSparseDetectors(c);
    return c;
}

World::World(std::uint64_t seed, sim::BoxConfig config, const std::filesystem::path& workDir, bool traced)
    : rng(seed), box(std::move(config), seed ^ 0x5EEDu), driver(box, clock),
      trace(driver, clock, [this](const std::string& line) { steps.push_back(line); }),
      form(clock, traced ? static_cast<BoxDriver&>(trace) : driver) {
    bindHandlers(form);
    form.workDir = workDir;
}

void World::note(const std::string& step) {
    char head[32];
    std::snprintf(head, sizeof head, "%10lld ms  ", static_cast<long long>(nowMs()));
    steps.push_back(head + step);
}

void World::fail(const std::string& why) {
    if (failure.empty()) failure = why;
    note("FAILED: " + why);
}

bool World::buttonsEnabled() const {
    for (int n : {3, 4, 5, 6, 7, 8, 9, 13})
        if (!form.ui.Command[static_cast<std::size_t>(n)]->enabled()) return false;
    return true;
}

std::string World::runningTimers() const {
    std::string names;
    for (const ModelTimer* t : form.ui.timers())
        if (t->enabled()) names += (names.empty() ? "" : " ") + t->name();
    return names;
}

bool World::quiet() const { return !ExchangeRunning(form) && !ConnectionTestRunning(form); }

DetectorParameters ShownFor(const sim::Detector& d) {
    // A code no option stands for (a damaged write can leave one in the
    // detector) shows no option; a level over 100 shows 100.
    static constexpr int kDynamicIndex[] = {0, 1, 2, -1, 3, -1, 4, 5};
    const auto index = [](int code, int options) { return code < options ? std::optional<int>(code) : std::nullopt; };
    const auto level = [](int value) { return std::to_string(std::min(value, 100)); };
    DetectorParameters p;
    p.channel = index(d.channel, 2);
    if (d.dynamicTime < 8 && kDynamicIndex[d.dynamicTime] >= 0) p.dynamicTime = kDynamicIndex[d.dynamicTime];
    if (d.outputPower < 3) p.outputPower = 2 - d.outputPower; // the window lists min, med, max
    p.riseTime = index(d.riseTime, 7);
    p.fallTime = index(d.fallTime, 7);
    p.commandType = index(d.commandType, 2);
    p.levelOnPlus = level(d.levelOnPlus);
    p.levelDynPlus = level(d.levelDynPlus);
    p.levelDynMinus = level(d.levelDynMinus);
    return p;
}

DetectorParameters HeldFor(const sim::Detector& d) {
    DetectorParameters p = ShownFor(d);
    p.levelOnPlus = std::to_string(d.levelOnPlus);
    p.levelDynPlus = std::to_string(d.levelDynPlus);
    p.levelDynMinus = std::to_string(d.levelDynMinus);
    return p;
}

} // namespace quelm::simulator
