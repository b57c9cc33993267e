#pragma once
// One operation of the window run to its end for a front end with no user at
// the window (the command line, the site runner): the button's click, the
// clock until no exchange runs, the stop key pressed as a user would press
// it when the time is up or a stop is asked, and how the operation ended,
// read from the window once, as a typed result. The front ends read the
// result, never the window.
#include "form/form.h"
#include "form/parameters.h"
#include "site/parameter_fields.h"
#include "site/project_values.h"
#include "site/write_journal.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace quelm {

// What cut an operation short, if anything: its time limit, or a stop asked.
enum class Cut { none, limit, stop };

// How an operation ended.
enum class OperationEnd {
    done,     // the message line shows the operation's last line (maybe as a stop came: see `cut`)
    failed,   // the message line says why (`line`, `message`)
    noAnswer, // a read of the parameters that no group of the detector answered
    stopped,  // a stop was asked
    timedOut, // its time limit ran out
    noBox,    // no box to use: none, several, or a port that cannot be opened
};

struct OperationResult {
    OperationEnd end = OperationEnd::failed;
    Cut cut = Cut::none;
    bool started = false;           // false: a stop asked before the start, nothing sent
    MessageLine line = noLine;      // the line of the message table it ended on
    std::string message;            // the message line's text then
    std::vector<MessageLine> lines; // the lines said while it ran, in order
    bool answered = false;          // a parameter group was read: the detector answered
    // The detector's parameters after a read, or read back after a send,
    // that ended done.
    std::optional<DetectorParameters> parameters;
    // The ten addresses shown after a read or send of addresses that ended
    // done, and those (1 to 10) never reported in ten frames, not read.
    std::optional<AddressList> addresses;
    std::vector<int> notRead;
    std::string reportedNumber;              // the number the detector answered with
    long long passes = 0;                    // the passes of a send of parameters
    std::vector<WriteJournal::Write> writes; // what a write operation sent, and how far each got

    bool done() const { return end == OperationEnd::done; }
    bool saw(MessageLine l) const;
    // The write of the new number, if it went out.
    const WriteJournal::Write* newNumber() const;
};

// The addresses not read as messages list them: " 3 7".
std::string NotReadText(const std::vector<int>& notRead);

// Presses the stop key and waits (at most a second) for the stop watch to
// end the exchange, or the connection test to stop listening.
void PressStopKey(Form& f);

// How an operation that was to end on `doneLine` ended, from the window's
// state after it: done when the message line shows `doneLine`; no box when the line says there was none to use; stopped
// or timed out as `cut` says; otherwise failed.
OperationResult JudgeOperation(const Form& f, Cut cut, MessageLine doneLine);

class OperationRunner {
public:
    // `stopAsked` is asked after every tick of the clock: a key, a signal,
    // the end of a longer run's time. The clock is the form's: real time on
    // the tool's scheduler, or a virtual clock.
    OperationRunner(Form& f, std::function<bool()> stopAsked) : f_(f), stopAsked_(std::move(stopAsked)) {}

    // "Lire les paramètres" for `number`.
    OperationResult readParameters(const std::string& number, std::int64_t limitMs);
    // "Lire les adresses" for the number in the window.
    OperationResult readAddresses(std::int64_t limitMs);
    // "Envoyer les paramètres" with `wanted` put over what the window holds;
    // the levels not given kept as the detector holds them (over 100 too)
    // when `keepLevelsNotGiven`.
    OperationResult sendParameters(const std::vector<WantedParameter>& wanted, bool keepLevelsNotGiven,
                                   std::int64_t limitMs);
    // "Envoyer les adresses", each read back equal.
    OperationResult sendAddresses(const AddressList& wanted, std::int64_t limitMs);
    // "Programmer": `newNumber` for the detector answering to `number`.
    OperationResult programNumber(const std::string& number, const std::string& newNumber, std::int64_t limitMs);
    // The connection test of "Attendre N°", started again until a detector
    // reports its number, for at most `limitUs`.
    OperationResult waitForNumber(std::int64_t limitUs);
    // Any operation `start` starts, done when the message line shows
    // `doneLine`, for at most `limitMs`.
    OperationResult run(const std::function<void()>& start, MessageLine doneLine, std::int64_t limitMs);

private:
    OperationResult write(const std::function<void()>& start, MessageLine doneLine, std::int64_t limitMs);
    void readAddressesShown(OperationResult& r) const;

    Form& f_;
    std::function<bool()> stopAsked_;
};

} // namespace quelm
