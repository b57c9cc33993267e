// Plans in the seeded simulator, dry or applied, some rows refused by the
// detectors: a detector recorded done holds its plan, and no field the plan
// does not name is written.
#include "simulator/site_common.h"
#include "simulator/site_operations.h"

#include <map>

namespace quelm::simulator {

namespace {

// A random value of a field, as a plan names it.
WantedParameter RandomValue(World& w, std::size_t field) {
    const ParameterField& f = ParameterFields()[field];
    if (f.levelText != 0) return {0, f.levelText, static_cast<int>(w.rng.between(0, 100))};
    return {static_cast<int>(w.rng.between(FirstOption(f), LastOption(f))), 0, 0};
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

} // namespace

std::unique_ptr<Operation> MakeSiteApply() { return std::make_unique<Apply>(); }

} // namespace quelm::simulator
