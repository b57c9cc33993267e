// Site runs in the seeded simulator: surveys, plans (dry or applied, some
// rows refused by the detectors) and audits over the forty site detectors of
// the simulated box, absent ones among them, with a stop or a pulled box now
// and then. What the report says must be what the detectors hold.
#include "simulator/site_operations.h"

#include "simulator/site_common.h"

namespace quelm::simulator {

namespace {

// For the sparse survey that ends a run, a busy machine and a slow box:
// replies up to 35 ms late, one sparse detector 70 to 150 ms late, the clock
// now and then jumping up to 60 ms with nothing run. No present detector may
// be recorded absent.
struct Busy {
    Busy(World& w, bool on) : w(w) {
        if (!on) return;
        w.box.setJitterUs(35'000);
        w.box.detector(kSparseSite[w.rng.below(std::size(kSparseSite))])->slownessUs = w.rng.between(70, 150) * 1000;
        timer = w.clock.startTimer(static_cast<int>(w.rng.between(3, 17)), [&w] {
            if (w.rng.chance(0.3)) w.clock.sleepUs(w.rng.between(1, 60'000));
        });
    }
    ~Busy() { w.clock.stopTimer(timer); }
    World& w;
    Scheduler::TimerId timer = 0;
};

class Survey final : public SiteOperation {
public:
    explicit Survey(bool sparse = false) : sparse_(sparse) {}
    std::string start(World& w) override {
        before_ = w.box.config().detectors;
        dir_ = folder(w, "survey");
        SiteRunner runner(w.form, Settings(w, disturbance_));
        const bool withAddresses = w.rng.chance(0.5);
        const Busy busy(w, sparse_ && w.rng.chance(0.5));
        run_ = runner.survey({sparse_ ? PickSparseDetectors(w) : PickDetectors(w, 15), withAddresses, dir_});
        PlugBack(w, disturbance_);
        if (sparse_ && w.rng.chance(0.5)) retryAbsent(w, withAddresses);
        return "site survey of " + std::to_string(run_.rows.size()) + " detectors";
    }
    // The numbers the probe found silent, asked again with the patient
    // probe, as survey --retry-absent asks them; their rows take the new ones.
    void retryAbsent(World& w, bool withAddresses) {
        std::vector<std::string> absent;
        for (const DetectorReport& r : run_.rows)
            if (r.state == DetectorState::absent) absent.push_back(r.detector);
        if (absent.empty()) return;
        Disturbance again;
        SiteSettings settings = Settings(w, again);
        settings.patientProbe = true;
        const SiteRun retry = SiteRunner(w.form, settings).survey({absent, withAddresses, dir_});
        PlugBack(w, again);
        for (const DetectorReport& r : retry.rows)
            for (DetectorReport& row : run_.rows)
                if (row.detector == r.detector) row = r;
    }
    void verify(World& w) override {
        std::string wrong = verifyRun(w);
        if (wrong.empty()) wrong = untouched(w, {});
        for (const DetectorReport& r : run_.rows) {
            const bool saved = std::filesystem::exists(dir_ / (r.detector + ".bdp"));
            if (wrong.empty() && saved != (r.state == DetectorState::done)) wrong = "file of " + r.detector;
            if (!wrong.empty() || !saved || !trusted(w)) continue;
            FileSettings file;
            std::string error;
            if (!ReadSettingsFile(dir_ / (r.detector + ".bdp"), file, error))
                wrong = error;
            else if (!ParameterDifferences(HeldFor(*Find(w, r.detector)), file.parameters).empty())
                wrong = "the file of " + r.detector + " is not what it holds";
        }
        if (!wrong.empty()) w.fail(wrong);
    }

private:
    bool sparse_;
    std::filesystem::path dir_;
};

// A survey into a folder, some detectors changed behind the tool's back, and
// an audit of the folder: exactly the changed fields must differ.
class Audit final : public SiteOperation {
public:
    std::string start(World& w) override {
        const auto dir = folder(w, "audit");
        Disturbance none;
        SiteSettings quiet;
        quiet.perDetectorSeconds = 2;
        const SiteRun survey = SiteRunner(w.form, quiet).survey({PickDetectors(w, 12), w.rng.chance(0.5), dir});
        for (const DetectorReport& r : survey.rows) {
            if (r.state != DetectorState::done || !w.rng.chance(0.3)) continue;
            sim::Detector* d = w.box.detector(static_cast<std::uint32_t>(std::stoul(r.detector)));
            d->levelDynMinus = static_cast<std::uint8_t>(d->levelDynMinus == 0 ? 1 : d->levelDynMinus - 1);
            changed_.push_back(r.detector);
        }
        before_ = w.box.config().detectors;
        std::vector<AuditEntry> entries;
        std::vector<std::string> aside;
        std::string error;
        if (!ListAuditEntries(dir, entries, aside, error)) w.fail(error);
        run_ = SiteRunner(w.form, Settings(w, disturbance_)).audit(entries);
        PlugBack(w, disturbance_);
        return "site audit of " + std::to_string(entries.size()) + " files, " + std::to_string(changed_.size()) +
               " detectors changed";
    }
    void verify(World& w) override {
        std::string wrong = verifyRun(w);
        if (wrong.empty()) wrong = untouched(w, {});
        for (const DetectorReport& r : run_.rows) {
            if (!wrong.empty() || !trusted(w)) break;
            const bool changed = std::find(changed_.begin(), changed_.end(), r.detector) != changed_.end();
            if (r.state == DetectorState::done && changed) wrong = "changed detector " + r.detector + " agrees";
            if (r.state == DetectorState::differs &&
                (!changed || r.differences.size() != 1 || r.differences[0].field != "levelDynMinus"))
                wrong = "detector " + r.detector + " differs where it was not changed";
        }
        if (!wrong.empty()) w.fail(wrong);
    }

private:
    std::vector<std::string> changed_;
};

} // namespace

void AddSparseDetectors(sim::BoxConfig& box) {
    for (const std::uint32_t n : kSparseSite) {
        sim::Detector d;
        d.number = n;
        d.outputPower = static_cast<std::uint8_t>(n % 3);
        d.fallTime = static_cast<std::uint8_t>(n % 7);
        d.levelDynPlus = static_cast<std::uint8_t>(n % 101);
        for (std::size_t k = 0; k < 10; ++k) d.addresses[k] = (n + static_cast<std::uint32_t>(k)) % 1048575;
        box.detectors.push_back(d);
    }
}

void AddSiteDetectors(sim::BoxConfig& box) {
    for (std::uint32_t n = kFirstSite; n < kFirstSite + kSiteCount; ++n) {
        if (Absent(n)) continue;
        sim::Detector d;
        d.number = n;
        d.outputPower = static_cast<std::uint8_t>(n % 3);
        d.channel = static_cast<std::uint8_t>(n % 2);
        d.riseTime = static_cast<std::uint8_t>(n % 7);
        d.levelOnPlus = static_cast<std::uint8_t>(n % 101);
        // Every fourth holds a DYN+ the window can show only as 100.
        if (n % 4 == 1) d.levelDynPlus = static_cast<std::uint8_t>(101 + n % 150);
        d.levelDynMinus = static_cast<std::uint8_t>(n % 50);
        for (std::size_t k = 0; k < 10; ++k) d.addresses[k] = n * 10 + static_cast<std::uint32_t>(k);
        box.detectors.push_back(d);
    }
}

std::unique_ptr<Operation> MakeSiteSurvey() { return std::make_unique<Survey>(); }
std::unique_ptr<Operation> MakeSparseSurvey() { return std::make_unique<Survey>(true); }
std::unique_ptr<Operation> MakeSiteAudit() { return std::make_unique<Audit>(); }

} // namespace quelm::simulator
