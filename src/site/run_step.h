#pragma once
// One operation of the window run to its end for the site runner: a click,
// then the clock until no exchange runs; past its time, or when a stop is
// asked, the stop key is pressed as a user would press it.
#include "form/form.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace quelm {

// What cut an operation short, if anything.
enum class Cut { none, limit, stop };

struct StepRun {
    Cut cut = Cut::none;
    std::vector<MessageLine> lines; // the lines of the box table the message line said, in order
    bool saw(MessageLine line) const;
};

// Presses the stop key and waits (at most a second) for the stop watch to
// end the exchange, or the connection test to stop listening.
void PressStopKey(Form& f);

// Runs `start` and the clock for at most `limitMs`; `stopAsked` is asked
// after every tick. A stop asked before the start starts nothing.
StepRun RunStep(Form& f, const std::function<void()>& start, std::int64_t limitMs,
                const std::function<bool()>& stopAsked);

// How an operation ended, for the report.
enum class StepEnd { done, failed, noAnswer, stopped, noBox };

// The one place that reads the window's state as an outcome: done when the
// message line shows `doneLine` (and nothing cut the operation); no box when
// it says there was none to use; stopped when a stop was asked; no answer
// when the detector never answered (`answered` is the caller's sign of a
// reply); otherwise failed, the message line saying why.
StepEnd JudgeStep(const Form& f, const StepRun& run, MessageLine doneLine, bool answered);

} // namespace quelm
