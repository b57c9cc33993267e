#pragma once
// What the site runs of the seeded simulator share: the site's detectors,
// the disturbances drawn for a run, and the invariants every run keeps.
#include "simulator/operations.h"

#include "project/project_file.h"
#include "site/plan.h"
#include "site/site_runner.h"

#include <algorithm>
#include <filesystem>
#include <iterator>
#include <optional>
#include <system_error>

namespace quelm::simulator {

inline constexpr std::uint32_t kFirstSite = 600;
inline constexpr std::uint32_t kSiteCount = 40;
inline bool Absent(std::uint32_t n) { return n % 7 == 3; }

inline bool Same(const sim::Detector& a, const sim::Detector& b) {
    return a.number == b.number && a.outputPower == b.outputPower && a.channel == b.channel &&
           a.dynamicTime == b.dynamicTime && a.riseTime == b.riseTime && a.fallTime == b.fallTime &&
           a.levelOnPlus == b.levelOnPlus && a.levelDynPlus == b.levelDynPlus && a.levelDynMinus == b.levelDynMinus &&
           a.commandType == b.commandType && a.addresses == b.addresses;
}

// A field's value in the detector, by the report's field order.
inline int Code(const sim::Detector& d, std::size_t field) {
    const std::uint8_t codes[] = {d.channel,     d.dynamicTime,  d.outputPower,   d.riseTime,   d.fallTime,
                                  d.levelOnPlus, d.levelDynPlus, d.levelDynMinus, d.commandType};
    return codes[field];
}

inline const sim::Detector* Find(const World& w, const std::string& number) {
    for (const sim::Detector& d : w.box.config().detectors)
        if (std::to_string(d.number) == number) return &d;
    return nullptr;
}

inline AddressList Addresses(const sim::Detector& d) {
    AddressList list;
    for (std::size_t k = 0; k < 10; ++k) list[k] = std::to_string(d.addresses[k]);
    return list;
}

// What a run does around the runner: a stop or a pulled box, drawn from the
// seed, at a moment of the run.
struct Disturbance {
    std::optional<std::int64_t> stopMs, unplugMs;
    bool pulled = false;
};

inline SiteSettings Settings(World& w, Disturbance& d) {
    if (w.rng.chance(0.2)) d.stopMs = w.nowMs() + w.rng.between(0, 20000);
    if (w.rng.chance(0.05)) d.unplugMs = w.nowMs() + w.rng.between(0, 20000);
    SiteSettings s;
    s.perDetectorSeconds = static_cast<double>(w.rng.between(2, 12));
    s.stopAsked = [&w, &d] {
        if (d.unplugMs && w.nowMs() >= *d.unplugMs && !d.pulled) {
            w.box.unplug();
            d.pulled = true;
        }
        return d.stopMs && w.nowMs() >= *d.stopMs;
    };
    return s;
}

inline void PlugBack(World& w, const Disturbance& d) {
    if (d.pulled) w.box.plugIn();
}

// A few site detectors far apart across the number range: a survey of the
// numbers around one of them is mostly of absent detectors.
inline constexpr std::uint32_t kSparseSite[] = {4093, 4101, 65536, 300017, 999983, 1048561};
inline constexpr std::uint32_t kSparseWidth = 12;

inline std::vector<std::string> PickSparseDetectors(World& w) {
    const std::uint32_t around = kSparseSite[w.rng.below(std::size(kSparseSite))];
    const std::uint32_t first = around - static_cast<std::uint32_t>(w.rng.below(kSparseWidth));
    std::vector<std::string> picked;
    for (std::uint32_t n = first; n < first + kSparseWidth && n <= 1048574; ++n) picked.push_back(std::to_string(n));
    return picked;
}

inline std::vector<std::string> PickDetectors(World& w, std::size_t most) {
    std::vector<std::string> picked;
    const auto count = static_cast<std::size_t>(w.rng.between(1, static_cast<std::int64_t>(most)));
    while (picked.size() < count) {
        const std::string n = std::to_string(kFirstSite + w.rng.below(kSiteCount));
        if (std::find(picked.begin(), picked.end(), n) == picked.end()) picked.push_back(n);
    }
    return picked;
}

// The invariants every run keeps, whatever it is.
class SiteOperation : public Operation {
public:
    // A long run makes thousands of them: each takes its files along.
    ~SiteOperation() override {
        std::error_code ec;
        for (const auto& dir : folders_) std::filesystem::remove_all(dir, ec);
    }

protected:
    // Whatever its state, a row that does not say its values are uncertain
    // gives what the detector holds, a level over 100 included.
    std::string checkRow(World& w, const DetectorReport& r) const {
        const sim::Detector* d = Find(w, r.newNumber.empty() ? r.detector : r.newNumber);
        const bool clean = !w.box.faults().any() && !w.hostFaults;
        if (clean && (r.state == DetectorState::noAnswer || r.state == DetectorState::absent) && d)
            return "present detector " + r.detector + " said absent (" + StateName(r.state) + ")";
        const bool ended = r.state == DetectorState::done || r.state == DetectorState::differs;
        if (ended && !d) return "absent detector " + r.detector + " said reached";
        if (r.uncertain && ended) return "detector " + r.detector + " " + StateName(r.state) + " and uncertain";
        const bool cut = r.state == DetectorState::stopped || r.state == DetectorState::noBox;
        for (const CutWrite& c : r.cutWrites)
            for (const FieldDifference& f : r.differences)
                if (cut && c.reached == "confirmed" && f.field == c.field && f.wanted == c.value)
                    return "confirmed differs";
        if (r.uncertain || !d) return {};
        if (r.read && *r.read != HeldFor(*d)) return "the report's values of " + r.detector + " are not the detector's";
        if (r.addresses && *r.addresses != Addresses(*d))
            return "the report's addresses of " + r.detector + " are not the detector's";
        return {};
    }
    bool trusted(const World& w) const { return !w.hostFaults && !w.forgedFrameTaken && !w.staleFrameTaken; }
    std::string verifyRun(World& w) {
        if (!trusted(w)) return {};
        for (const DetectorReport& r : run_.rows)
            if (const std::string wrong = checkRow(w, r); !wrong.empty()) return wrong;
        return {};
    }
    std::string untouched(World& w, const std::vector<std::string>& mayChange) const {
        if (!trusted(w)) return {};
        for (std::size_t i = 0; i < before_.size(); ++i) {
            const std::string n = std::to_string(before_[i].number);
            const bool planned = std::find(mayChange.begin(), mayChange.end(), n) != mayChange.end();
            if (!planned && !Same(before_[i], w.box.config().detectors[i])) return "detector " + n + " written";
        }
        return {};
    }
    std::filesystem::path folder(World& w, const char* what) {
        const auto dir = w.form.workDir / (std::string(what) + std::to_string(w.rng.next() % 1000000));
        std::filesystem::create_directories(dir);
        folders_.push_back(dir);
        return dir;
    }

    SiteRun run_;
    Disturbance disturbance_;
    std::vector<sim::Detector> before_;
    std::vector<std::filesystem::path> folders_;
};

} // namespace quelm::simulator
