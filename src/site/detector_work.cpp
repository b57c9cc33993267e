#include "site/detector_work.h"

#include "core/roles.h"
#include "files/text_file.h"
#include "platform/path_text.h"
#include "project/project_actions.h"
#include "project/project_file.h"
#include "site/line_watch.h"
#include "site/presence_probe.h"
#include "site/site_report.h"
#include "site/write_journal.h"

#include <algorithm>
#include <cstdio>

namespace quelm {

std::string DetectorWork::say(const char* french, const char* english) const {
    return f_.x.language == 1 ? french : english;
}

bool DetectorWork::fail(DetectorState state, const std::string& why) {
    row_.state = state;
    row_.failure = why;
    return false;
}

bool DetectorWork::operate(SiteStep step, const Op& op, OperationResult& result) {
    runner_.report(step);
    std::int64_t limitMs = static_cast<std::int64_t>(runner_.perDetectorSeconds * 1000);
    // Under the probe's watch, silence is the probe's to decide, not the limit's.
    constexpr std::int64_t kProbeMarginMs = 100;
    if (firstReply_ != nullptr) limitMs = std::max(limitMs, runner_.probe->waitUs() / 1000 + kProbeMarginMs);
    if (runner_.deadlineUs != 0) limitMs = std::min(limitMs, (runner_.deadlineUs - f_.clock.nowUs() + 999) / 1000);
    OperationRunner operations(
        f_, [this] { return runner_.stopAsked() || (firstReply_ != nullptr && firstReply_->cutOnSilence()); });
    result = op(operations, limitMs);
    // Cut for the probe: no outcome yet, the probe's next try decides.
    if (firstReply_ != nullptr && firstReply_->cut()) return false;
    // The run's own time-out stops it as any other stop.
    if (result.cut != Cut::none && runner_.deadlineUs != 0 && f_.clock.nowUs() >= runner_.deadlineUs) {
        result.cut = Cut::stop;
        if (result.end == OperationEnd::timedOut) result.end = OperationEnd::stopped;
        runner_.run.timedOut = true;
    }
    // A step a stop or its limit caught as it ended is not counted done.
    if (result.done() && result.cut != Cut::none)
        result.end = result.cut == Cut::stop ? OperationEnd::stopped : OperationEnd::timedOut;
    return judged(step, result);
}

bool DetectorWork::judged(SiteStep step, const OperationResult& r) {
    SiteRun& run = runner_.run;
    // Before the detector is reached, a failure with no group read is no
    // answer; once reached, it failed.
    const bool first = step == SiteStep::readParameters && !row_.reached;
    const bool answered = !first || r.answered;
    runner_.lineSuspect = !r.done();
    if (step == SiteStep::readParameters && (answered || r.done())) row_.reached = true;
    const std::string seconds = SecondsText(runner_.perDetectorSeconds);
    const std::string within =
        say(" en ", " within ") + (seconds.ends_with(".00") ? seconds.substr(0, seconds.size() - 3) : seconds) + " s";
    switch (r.end) {
    case OperationEnd::done: return true;
    case OperationEnd::noBox: run.noBox = true; return fail(DetectorState::noBox, r.message);
    case OperationEnd::stopped:
        run.stopped = run.stopped || !run.timedOut;
        return fail(DetectorState::stopped, say(run.timedOut ? "fin du temps accordé pendant : " : "arrêté pendant : ",
                                                run.timedOut ? "time-out while " : "stopped while ") +
                                                StepName(step, f_.x.language));
    case OperationEnd::timedOut:
        if (!answered) return fail(DetectorState::noAnswer, say("pas de réponse", "no answer") + within);
        return fail(DetectorState::failed, StepName(step, f_.x.language) + ": " + say("pas fini", "not over") + within);
    default:
        if (!answered) return fail(DetectorState::noAnswer, r.message);
        return fail(DetectorState::failed, StepName(step, f_.x.language) + ": " + r.message);
    }
}

bool DetectorWork::present() {
    probeNext_ = runner_.probe != nullptr;
    return true;
}

std::optional<DetectorParameters> DetectorWork::readParametersProbed() {
    probeNext_ = false;
    std::int64_t firstSentUs = -1;
    {
        FirstReplyWatch watch(f_, *runner_.probe);
        firstReply_ = &watch;
        auto values = readParametersOnce(row_.detector);
        firstReply_ = nullptr;
        if (!watch.cut()) return values;
        firstSentUs = watch.sentUs();
    }
    runner_.report(SiteStep::probe);
    if (runner_.probe->ask(f_, row_.detector, runner_.stopAsked, firstSentUs) != ProbeAnswer::silent)
        return readParametersOnce(row_.detector);
    const std::int64_t listenedMs = runner_.probe->listenedUs() / 1000;
    const int tries = runner_.probe->triesMade();
    char why[96];
    std::snprintf(why, sizeof why,
                  say("aucune réponse à %d essais en %lld ms", "no answer to %d tries in %lld ms").c_str(), tries,
                  static_cast<long long>(listenedMs));
    fail(DetectorState::absent, why);
    return std::nullopt;
}

AddressList DetectorWork::addressesShown() const {
    AddressList list;
    for (std::size_t i = 0; i < 10; ++i) list[i] = f_.ui.Text1[i]->text();
    return list;
}

std::optional<DetectorParameters> DetectorWork::readParametersOnce(const std::string& number) {
    OperationResult r;
    if (!operate(
            SiteStep::readParameters,
            [&number](OperationRunner& o, std::int64_t limitMs) { return o.readParameters(number, limitMs); }, r))
        return std::nullopt;
    return r.parameters;
}

bool DetectorWork::settled(int reads, bool disagreed, bool parameters) {
    if (reads > 1) row_.readTwice.push_back(parameters ? "parameters" : "addresses");
    if (!disagreed) return true;
    return fail(DetectorState::failed,
                std::to_string(reads) + (parameters ? say(" lectures des paramètres, aucune pareille à la précédente",
                                                          " reads of the parameters, none like the one before")
                                                    : say(" lectures des adresses, aucune pareille à la précédente",
                                                          " reads of the addresses, none like the one before")));
}

bool DetectorWork::readParameters() {
    constexpr int kGroups = 3;
    const auto read = ReadUntilSettled<DetectorParameters>(f_, kGroups, runner_.lineSuspect, [this] {
        return probeNext_ ? readParametersProbed() : readParametersOnce(row_.detector);
    });
    if (!settled(read.reads, read.disagreed, true) || !read.values) return false;
    row_.read = read.values;
    return true;
}

std::optional<AddressList> DetectorWork::readAddressesOnce() {
    OperationResult r;
    if (!operate(
            SiteStep::readAddresses, [](OperationRunner& o, std::int64_t limitMs) { return o.readAddresses(limitMs); },
            r))
        return std::nullopt;
    // The read ends well even when an address never came in ten frames;
    // such an address is not read.
    if (!r.notRead.empty()) {
        fail(DetectorState::failed, say("adresse(s) non lue(s) :", "address(es) not read:") + NotReadText(r.notRead));
        return std::nullopt;
    }
    return r.addresses;
}

bool DetectorWork::readAddresses() {
    const auto read = ReadUntilSettled<AddressList>(f_, code::kAddressCount, runner_.lineSuspect,
                                                    [this] { return readAddressesOnce(); });
    if (!settled(read.reads, read.disagreed, false) || !read.values) return false;
    row_.addresses = read.values;
    return true;
}

bool DetectorWork::cut(const OperationResult& result) {
    for (const WriteJournal::Write& w : result.writes) {
        row_.cutWrites.push_back({WriteField(w), w.value, ReachedName(w.reached)});
        // Cut short (not ended by its own read-back), a send whose detector
        // confirmed a value leaves it differing no more.
        const bool cutShort = result.end == OperationEnd::stopped || result.end == OperationEnd::timedOut ||
                              result.end == OperationEnd::noBox;
        if (!cutShort || w.reached != WriteJournal::Reached::confirmed) continue;
        std::erase_if(row_.differences,
                      [&w](const FieldDifference& d) { return d.field == WriteField(w) && d.wanted == w.value; });
    }
    row_.uncertain = row_.uncertain || !result.writes.empty();
    return false;
}

bool DetectorWork::sendParameters(const std::vector<WantedParameter>& wanted) {
    OperationResult r;
    if (!operate(
            SiteStep::sendParameters,
            [&wanted](OperationRunner& o, std::int64_t limitMs) { return o.sendParameters(wanted, true, limitMs); }, r))
        return cut(r);
    row_.read = r.parameters;
    const auto left = ParameterDifferences(*row_.read, wanted);
    if (left.empty()) return true;
    return fail(DetectorState::failed, say("non confirmé : ", "not confirmed: ") + DescribeDifferences(left));
}

bool DetectorWork::sendAddresses(const AddressList& wanted) {
    OperationResult r;
    if (!operate(
            SiteStep::sendAddresses,
            [&wanted](OperationRunner& o, std::int64_t limitMs) { return o.sendAddresses(wanted, limitMs); }, r))
        return cut(r);
    row_.addresses = r.addresses;
    const auto left = differences({}, wanted);
    if (!r.notRead.empty()) row_.addresses.reset();
    if (row_.addresses && left.empty()) return true;
    if (!row_.addresses) cut(r); // an address not read back may hold what was written
    return fail(DetectorState::failed, say("adresses non confirmées", "addresses not confirmed") +
                                           (left.empty() ? "" : ": " + DescribeDifferences(left)));
}

std::string DetectorWork::eitherNumber(const std::string& newNumber) const {
    return say(" ; le détecteur peut répondre à l'un ou l'autre numéro : ",
               "; the detector may answer to either number: ") +
           row_.detector + say(" ou ", " or ") + newNumber;
}

// The new number went out and was not confirmed: the detector may answer
// to either number.
bool DetectorWork::numberCut(const OperationResult& result, const std::string& newNumber) {
    if (result.newNumber() == nullptr) return false; // never sent: the detector keeps its number
    cut(result);
    row_.failure += eitherNumber(newNumber);
    return false;
}

bool DetectorWork::programNumber(const std::string& newNumber) {
    OperationResult r;
    if (!operate(
            SiteStep::programNumber,
            [&](OperationRunner& o, std::int64_t limitMs) {
                return o.programNumber(row_.detector, newNumber, limitMs);
            },
            r))
        return numberCut(r, newNumber);
    if (r.reportedNumber != newNumber) {
        fail(DetectorState::failed, say("le détecteur a répondu ", "the detector answered with ") + r.reportedNumber);
        return numberCut(r, newNumber);
    }
    return readBackUnder(newNumber);
}

// A detector that echoes the new number without taking it still answers to
// its old one: a read under the new number tells, and one under the old
// number says where it is when the first gets no answer.
bool DetectorWork::readBackUnder(const std::string& newNumber) {
    if (const auto read = readParametersOnce(newNumber)) {
        row_.read = read;
        row_.newNumber = newNumber;
        return true;
    }
    const bool cutShort = row_.state == DetectorState::stopped || row_.state == DetectorState::noBox;
    const std::string why = row_.failure;
    if (const auto old = cutShort ? std::nullopt : readParametersOnce(row_.detector)) {
        row_.read = old;
        return fail(DetectorState::failed,
                    say("a répondu au N° ", "answered the number ") + newNumber +
                        say(" sans le prendre : répond toujours à ", " without taking it: still answers to ") +
                        row_.detector);
    }
    if (!cutShort) row_.state = DetectorState::failed;
    row_.uncertain = true;
    row_.cutWrites.push_back({"number", newNumber, ReachedName(WriteJournal::Reached::confirmed)});
    row_.failure = why + eitherNumber(newNumber);
    return false;
}

bool DetectorWork::save(const std::filesystem::path& dir, bool withAddresses) {
    runner_.report(SiteStep::saveFile);
    ProjectRecord record = RecordFromWindow(f_);
    // The levels as the detector holds them: a level over 100, which the
    // window shows as 100, is recorded as it is.
    const HeldLevels held = LevelsHeld(f_);
    std::copy(held.begin(), held.end(), record.levels.begin());
    if (!withAddresses) record.addresses = {};
    const std::filesystem::path file = dir / (row_.detector + ".bdp");
    std::string error;
    // A link in the folder could send the write to any file: refused.
    if (!WriteFileAtomically(file, FormatProjectFile(record), error, Links::refuse))
        return fail(DetectorState::failed, error);
    row_.projectFile = platform::Utf8OfPath(file);
    return true;
}

std::vector<FieldDifference> DetectorWork::differences(const std::vector<WantedParameter>& parameters,
                                                       const std::optional<AddressList>& addresses) const {
    std::vector<FieldDifference> found;
    if (row_.read) found = ParameterDifferences(*row_.read, parameters);
    if (!addresses) return found;
    const AddressList shown = addressesShown();
    for (std::size_t k = 0; k < 10; ++k)
        if (shown[k] != (*addresses)[k])
            found.push_back({"address" + std::to_string(k + 1), shown[k], (*addresses)[k]});
    return found;
}

} // namespace quelm
