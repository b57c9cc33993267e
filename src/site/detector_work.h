#pragma once
// The steps of a site run on one detector, each a click on the window's
// button and the clock run to the operation's end, with the outcome written
// into the detector's report row. A step that does not end well says why in
// the row and returns false; the detector's work then ends there.
#include "site/operation_runner.h"
#include "site/plan.h"
#include "site/site_report.h"
#include "site/site_run.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace quelm {

// What the work on one detector takes from the run it is part of.
struct RunContext {
    Form& f;
    SiteRun& run;
    double perDetectorSeconds;
    std::int64_t deadlineUs; // 0: none
    std::function<void(SiteStep)> report;
    std::function<bool()> stopAsked;
    class PresenceProbe* probe; // null: no probe
    // The last operation did not end well: a request may have been left
    // unanswered, and its reply may still come. The next read is read twice.
    bool lineSuspect = false;
};

class DetectorWork {
public:
    DetectorWork(RunContext& runner, DetectorReport& row) : runner_(runner), f_(runner.f), row_(row) {}

    // The presence probe, when the run makes it: the next read of the
    // parameters makes its first request the probe's first try (see
    // FirstReplyWatch), and ends false, the row saying "absent", when the
    // number stayed silent to every try. A present detector is asked no
    // request more than its read.
    bool present();
    // "Lire les paramètres": the first contact, which says whether the
    // detector is reached.
    bool readParameters();
    // "Lire les adresses", every address reported.
    bool readAddresses();
    // "Envoyer les paramètres" with `wanted` put over what was read.
    bool sendParameters(const std::vector<WantedParameter>& wanted);
    // "Envoyer les adresses", each read back equal.
    bool sendAddresses(const AddressList& wanted);
    // "Programmer", then a read under `newNumber`: the detector's echo of
    // the number is no proof that it took it.
    bool programNumber(const std::string& newNumber);
    // DIR/NUMBER.bdp as the window saves it after these reads (address
    // lines empty unless the addresses were read).
    bool save(const std::filesystem::path& dir, bool withAddresses);

    // Where the detector differs from `parameters` and `addresses`.
    std::vector<FieldDifference> differences(const std::vector<WantedParameter>& parameters,
                                             const std::optional<AddressList>& addresses) const;
    void finish(DetectorState state) { row_.state = state; }
    DetectorReport& row() { return row_; }

private:
    // Runs `op` under the step's time limit and the run's stops, and judges
    // how it ended for the row; false when it did not end done.
    using Op = std::function<OperationResult(OperationRunner&, std::int64_t limitMs)>;
    bool operate(SiteStep step, const Op& op, OperationResult& result);
    bool fail(DetectorState state, const std::string& why);
    // One read of the parameters or of the addresses, the values it gave.
    std::optional<DetectorParameters> readParametersOnce(const std::string& number);
    // The read whose first request is the probe's first try: cut on
    // silence, the probe's next tries decide, and an answer is read again.
    std::optional<DetectorParameters> readParametersProbed();
    std::optional<AddressList> readAddressesOnce();
    // A read made again until two agreed is noted in the row; reads that
    // never agreed fail the detector.
    bool settled(int reads, bool disagreed, bool parameters);
    // What a write that did not end well left: the writes that went out, and
    // the detector's values no longer sure.
    bool cut(const OperationResult& result);
    bool numberCut(const OperationResult& result, const std::string& newNumber);
    std::string eitherNumber(const std::string& newNumber) const;
    bool readBackUnder(const std::string& newNumber);
    AddressList addressesShown() const;
    // The message of an operation that did not end done, as the row says it.
    bool judged(SiteStep step, const OperationResult& r);
    std::string say(const char* french, const char* english) const;

    RunContext& runner_;
    Form& f_;
    DetectorReport& row_;
    bool probeNext_ = false;                      // the next read of the parameters is the probe's first try
    class FirstReplyWatch* firstReply_ = nullptr; // while that read runs
};

} // namespace quelm
