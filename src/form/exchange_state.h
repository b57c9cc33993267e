#pragma once
// What says which request is in progress, which step it has reached and how
// often it has been tried. Written by the senders, read and written by the
// reply decoder.
#include "core/message_lines.h"
#include "protocol/frame.h"

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

namespace quelm {

class Control;

// Operation codes.
enum Operation : int {
    kIdle = 0,
    kReadAddresses = 4,
    kSendAddresses = 5,
    kCheckBeforeProgramming = 6,
    kProgramNumber = 61,
    // Before the new number goes out, a call to it: a detector that answers
    // already has it, and the programming stops there.
    kProbeNewNumber = 62,
    kReadGroup1 = 7,
    kReadGroup2 = 20,
    kReadGroup3 = 21,
    kSendOneParameter = 81,
    kCallBetweenSteps = 82,
};

// An operation code one of the handlers sets.
constexpr bool KnownOperation(int op) {
    switch (op) {
    case kIdle:
    case kReadAddresses:
    case kSendAddresses:
    case kCheckBeforeProgramming:
    case kProgramNumber:
    case kProbeNewNumber:
    case kReadGroup1:
    case kReadGroup2:
    case kReadGroup3:
    case kSendOneParameter:
    case kCallBetweenSteps: return true;
    default: return false;
    }
}

// A reply handler took the frame the decoder gave it (the awaited answer of
// the step in hand: the step is over) or passed it on to the next handler.
enum class FrameUse : bool { passedOn, taken };

constexpr FrameUse& operator|=(FrameUse& a, FrameUse b) {
    if (b == FrameUse::taken) a = b;
    return a;
}

// How a step ended, as its step-over rule is told: its awaited answer came,
// or kMaxTries frames came and none of them was that answer.
enum class StepOutcome { answered, outOfTries };

// A step gets this many frames that are not its answer; the last of them
// ends it (the retry rules run before, the step-over rules then).
constexpr int kMaxTries = 10;

// attemptCount counts the request's repeats for want of any reply (the reply
// watchdog), or a connection test's resends. Two values are states instead.
//
// A stop was asked for: the decoder and the next address request end the
// exchange there. The watchdog still counts on top of it, and the stop watch
// then stops the exchange on its own.
constexpr int kAbortMarker = 1000;
// A connection test resends its frame while the count is at most this; a
// number put in the number box while it runs sets the count here: the test
// has no resend left.
constexpr int kConnectionTestSends = 50;

// A real detector takes every write at the first pass and shows it at the
// second; a send whose passes still disagree after this many never will. A
// send of addresses writes one address at most as often.
constexpr int kMaxSendPasses = 10;

struct ExchangeState {
    int operation = kIdle;
    // Frames of the step in hand that were not its answer, 0 to kMaxTries - 1
    // between two runs of the decoder: a step that ends starts the next at 0.
    int tryCount = 0;
    // The step's timer: 0, a send step's 7 to 16, or an address's 18 or 19.
    int stepTimer = 0;
    // The address in hand, 0 to 9; -1 before a send of addresses reads address 0.
    int addressIndex = 0;
    int addressSendMode = 0;
    int attemptCount = 0; // see kAbortMarker
    // Empty, or the code of the last key pressed: any value asks to stop.
    std::optional<int> keyPressed;
    // The frame to send, bytes 1 to 5 (0 unused). Kept after sending so that
    // a retry sends the same bytes. Values outside 0..255 are never sent.
    Frame outFrame{};
    int paramSendActive = 0;
    // The new number the programming step sent (command 97): the detector's
    // answer confirms the programming only when it carries this number.
    std::int64_t programmedNumber = -1;
    // The line of the message table the message line shows, as the handler that
    // wrote it last said: how the last operation ended.
    MessageLine shownLine = noLine;
    // Writes of the address in hand during a send of addresses; a send that
    // never sees it agree gives up after as many writes as a send of
    // parameters has passes.
    int addressWrites = 0;
    std::array<bool, 30> savedOption{}; // Option3 .. Option29
    std::array<double, 11> savedText{}; // Text8 .. Text10
    // Text8 .. Text10: the level the detector last reported, which may be
    // above the 100 its box can show.
    std::array<std::optional<int>, 11> reportedLevel{};
    std::array<int, 16> stepCycle{}; // Timer7 .. Timer15
    // Passes of the running send of parameters, each a read and steps 7 to
    // 16; a send that needs more than a few is cut (see send_parameters.h).
    int sendPass = 0;
    // The controls the running operation has disabled besides the buttons:
    // they come back with the buttons, whether it ended, failed or stopped.
    std::vector<Control*> held;
    // Those of `held` that a reading fills: they stay disabled when the
    // operation ends before their reply came.
    std::vector<Control*> unread;
    // Writes the running send of parameters or addresses has put out.
    int writesOut = 0;
    // When the last frame went out, and how long the last reply took: the
    // probe of a new number waits a few times that.
    std::int64_t lastSentUs = 0;
    std::int64_t replyTimeUs = 0;
    // Calls of the new number the probe has made.
    int probeCalls = 0;
    int language = 0;
    bool startedOnce = false;
};

// The stop request in attemptCount, as the stop key and a new read leave it.
inline void MarkStopRequested(ExchangeState& x) { x.attemptCount = kAbortMarker; }
inline bool StopRequested(const ExchangeState& x) { return x.attemptCount == kAbortMarker; }
// The connection test has used up its resends, or was told to stop.
inline bool ConnectionTestSendsUsed(const ExchangeState& x) { return x.attemptCount > kConnectionTestSends; }

} // namespace quelm
