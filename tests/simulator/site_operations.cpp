// Site runs in the seeded simulator: surveys, plans (dry or applied, some
// rows refused by the detectors) and audits over the forty site detectors of
// the simulated box, absent ones among them, with a stop or a pulled box now
// and then. What the report says must be what the detectors hold.
#include "simulator/site_operations.h"

#include "project/project_file.h"
#include "site/plan.h"
#include "site/site_runner.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <optional>
#include <system_error>

namespace quelm::simulator {

namespace {

constexpr std::uint32_t kFirstSite = 600;
constexpr std::uint32_t kSiteCount = 40;
bool Absent(std::uint32_t n) { return n % 7 == 3; }

bool Same(const sim::Detector& a, const sim::Detector& b) {
    return a.number == b.number && a.outputPower == b.outputPower && a.channel == b.channel &&
           a.dynamicTime == b.dynamicTime && a.riseTime == b.riseTime && a.fallTime == b.fallTime &&
           a.levelOnPlus == b.levelOnPlus && a.levelDynPlus == b.levelDynPlus && a.levelDynMinus == b.levelDynMinus &&
           a.commandType == b.commandType && a.addresses == b.addresses;
}

// A field's value in the detector, by the report's field order.
int Code(const sim::Detector& d, std::size_t field) {
    const std::uint8_t codes[] = {d.channel,     d.dynamicTime,  d.outputPower,   d.riseTime,   d.fallTime,
                                  d.levelOnPlus, d.levelDynPlus, d.levelDynMinus, d.commandType};
    return codes[field];
}

const sim::Detector* Find(const World& w, const std::string& number) {
    for (const sim::Detector& d : w.box.config().detectors)
        if (std::to_string(d.number) == number) return &d;
    return nullptr;
}

AddressList Addresses(const sim::Detector& d) {
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

SiteSettings Settings(World& w, Disturbance& d) {
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

void PlugBack(World& w, const Disturbance& d) {
    if (d.pulled) w.box.plugIn();
}

// A few site detectors far apart across the number range: a survey of the
// numbers around one of them is mostly of absent detectors.
constexpr std::uint32_t kSparseSite[] = {4093, 4101, 65536, 300017, 999983, 1048561};
constexpr std::uint32_t kSparseWidth = 12;

std::vector<std::string> PickSparseDetectors(World& w) {
    const std::uint32_t around = kSparseSite[w.rng.below(std::size(kSparseSite))];
    const std::uint32_t first = around - static_cast<std::uint32_t>(w.rng.below(kSparseWidth));
    std::vector<std::string> picked;
    for (std::uint32_t n = first; n < first + kSparseWidth && n <= 1048574; ++n) picked.push_back(std::to_string(n));
    return picked;
}

std::vector<std::string> PickDetectors(World& w, std::size_t most) {
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
        if (clean && r.state == DetectorState::noAnswer && d) return "present detector " + r.detector + " said absent";
        const bool ended = r.state == DetectorState::done || r.state == DetectorState::differs;
        if (ended && !d) return "absent detector " + r.detector + " said reached";
        if (r.uncertain && ended) return "detector " + r.detector + " " + StateName(r.state) + " and uncertain";
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

class Survey final : public SiteOperation {
public:
    explicit Survey(bool sparse = false) : sparse_(sparse) {}
    std::string start(World& w) override {
        before_ = w.box.config().detectors;
        dir_ = folder(w, "survey");
        SiteRunner runner(w.form, Settings(w, disturbance_));
        const bool withAddresses = w.rng.chance(0.5);
        run_ = runner.survey({sparse_ ? PickSparseDetectors(w) : PickDetectors(w, 15), withAddresses, dir_});
        PlugBack(w, disturbance_);
        return "site survey of " + std::to_string(run_.rows.size()) + " detectors";
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

// A random value of a field, as a plan names it.
WantedParameter RandomValue(World& w, std::size_t field) {
    const ParameterField& f = ParameterFields()[field];
    if (f.levelText != 0) return {0, f.levelText, static_cast<int>(w.rng.between(0, 100))};
    return {static_cast<int>(w.rng.between(f.firstOption, f.lastOption)), 0, 0};
}

// A row's intent, kept apart from what the plan parser makes of it.
struct Intent {
    std::string detector;
    std::map<std::size_t, WantedParameter> parameters;
    std::optional<AddressList> addresses;
    std::string newNumber;
};

class Apply final : public SiteOperation {
public:
    std::string start(World& w) override {
        before_ = w.box.config().detectors;
        dir_ = folder(w, "plan");
        const std::string csv = makePlan(w);
        std::vector<PlanError> errors;
        ApplyRequest request{ParsePlanText(csv, false, dir_, errors), w.rng.chance(0.3), w.rng.chance(0.3)};
        dryRun_ = request.dryRun;
        if (!errors.empty()) return w.fail("a good plan refused: " + errors.front().reason), "apply";
        sim::CallKnobs knobs;
        if (w.rng.chance(0.3)) knobs.refusedWrites = {static_cast<std::uint8_t>(w.rng.between(68, 73)), 88};
        knobs.echoesNewNumber = w.rng.chance(0.1);
        w.box.setCallKnobs(knobs);
        if (w.rng.chance(0.2)) w.box.refuseAddressWrites(static_cast<int>(w.rng.below(10)), 100);
        SiteRunner runner(w.form, Settings(w, disturbance_));
        run_ = runner.apply(request);
        w.box.setCallKnobs({});
        w.box.refuseAddressWrites(0, 0);
        PlugBack(w, disturbance_);
        return std::string(request.dryRun ? "site dry run" : "site plan") + " of " + std::to_string(intents_.size()) +
               " detectors";
    }
    void verify(World& w) override {
        std::vector<std::string> planned;
        for (const DetectorReport& r : run_.rows)
            if (r.state != DetectorState::notRun && !dryRun_) planned.push_back(r.detector);
        std::string wrong = verifyRun(w);
        if (wrong.empty()) wrong = untouched(w, planned);
        if (wrong.empty()) wrong = outsidePlan(w);
        for (std::size_t i = 0; i < run_.rows.size() && wrong.empty(); ++i)
            if (run_.rows[i].state == DetectorState::done && trusted(w))
                wrong = holdsIntent(w, run_.rows[i], intents_[i]);
        if (!wrong.empty()) w.fail(wrong);
    }

private:
    std::string makePlan(World& w) {
        std::string csv =
            "detector,power,channel,dynamicTime,rise,fall,on,levelDynPlus,dyn-,type,addresses,file,newNumber\n";
        static constexpr std::size_t kColumnField[] = {2, 0, 1, 3, 4, 5, 6, 7, 8};
        std::uint32_t next = 700;
        for (const std::string& n : PickDetectors(w, 10)) {
            Intent in{n, {}, {}, {}};
            std::string file;
            if (w.rng.chance(0.2)) file = writeFile(w, n, in.parameters, in.addresses);
            std::string cells[9];
            for (std::size_t c = 0; c < 9; ++c) {
                if (!w.rng.chance(0.25)) continue;
                const WantedParameter v = RandomValue(w, kColumnField[c]);
                in.parameters[kColumnField[c]] = v;
                cells[c] = WantedValue(v);
            }
            std::string addresses;
            if (w.rng.chance(0.2)) {
                in.addresses = AddressList{};
                for (auto& a : *in.addresses) addresses += (a = std::to_string(w.rng.between(0, 1048574))) + " ";
            }
            while (w.rng.chance(0.15) && in.newNumber.empty())
                if (!Find(w, std::to_string(++next))) in.newNumber = std::to_string(next);
            csv += n;
            for (const std::string& c : cells) csv += ",\"" + c + "\"";
            csv += "," + addresses + "," + file + "," + in.newNumber + "\n";
            intents_.push_back(in);
        }
        return csv;
    }

    std::string writeFile(World& w, const std::string& n, std::map<std::size_t, WantedParameter>& wanted,
                          std::optional<AddressList>& addresses) {
        static constexpr std::size_t kOptionField[] = {0, 2, 1, 3, 4, 8};
        ProjectRecord record;
        for (std::size_t g = 0; g < 6; ++g)
            record.options[g] = (wanted[kOptionField[g]] = RandomValue(w, kOptionField[g])).option;
        for (std::size_t l = 0; l < 3; ++l) record.levels[l] = (wanted[5 + l] = RandomValue(w, 5 + l)).level;
        if (w.rng.chance(0.5)) {
            addresses = AddressList{};
            for (std::size_t k = 0; k < 10; ++k)
                record.addresses[k] = (*addresses)[k] = std::to_string(w.rng.below(1048575));
        }
        std::string error;
        if (!WriteProjectFile(dir_ / (n + ".bdp"), record, error)) w.fail(error);
        return n + ".bdp";
    }

    // A planned detector keeps every field its row does not name.
    std::string outsidePlan(World& w) const {
        if (!trusted(w)) return {};
        const auto& after = w.box.config().detectors;
        for (const Intent& in : intents_) {
            for (std::size_t k = 0; k < before_.size(); ++k) {
                if (std::to_string(before_[k].number) != in.detector) continue;
                for (std::size_t field = 0; field < ParameterFields().size(); ++field)
                    if (in.parameters.count(field) == 0 && Code(before_[k], field) != Code(after[k], field))
                        return "detector " + in.detector + ": " + ParameterFields()[field].key +
                               " written, not planned";
                if (!in.addresses && before_[k].addresses != after[k].addresses)
                    return "detector " + in.detector + ": addresses written, not planned";
                if (in.newNumber.empty() && before_[k].number != after[k].number)
                    return "detector " + in.detector + " renumbered, not planned";
            }
        }
        return {};
    }

    std::string holdsIntent(World& w, const DetectorReport& r, const Intent& in) const {
        const sim::Detector* d = Find(w, in.newNumber.empty() ? in.detector : in.newNumber);
        if (!d) return "detector " + r.detector + " done but not found as " + in.newNumber;
        std::vector<WantedParameter> wanted;
        for (const auto& [field, value] : in.parameters) wanted.push_back(value);
        if (!ParameterDifferences(ShownFor(*d), wanted).empty())
            return "detector " + r.detector + " done, not as planned";
        if (in.addresses && Addresses(*d) != *in.addresses)
            return "detector " + r.detector + " done, addresses not as planned";
        return {};
    }

    std::filesystem::path dir_;
    std::vector<Intent> intents_;
    bool dryRun_ = false;
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
std::unique_ptr<Operation> MakeSiteApply() { return std::make_unique<Apply>(); }
std::unique_ptr<Operation> MakeSiteAudit() { return std::make_unique<Audit>(); }

} // namespace quelm::simulator
