#pragma once
// A programming box with detectors, written "sans I/O": bytes and time go in,
// bytes with their arrival times come out. The simulated driver
// (sim_driver.h) puts it behind the BoxDriver calls on a Scheduler's clock;
// the pseudo-terminal bridge (support/pty_bridge.h) puts it behind a
// real tty. Faults are drawn from a seeded generator, so a run replays.
#include <array>
#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <vector>

namespace quelm::sim {

// One detector as the box sees it. Parameter values are the codes the
// detector sends in its read replies 64, 65 and 66.
struct Detector {
    std::uint32_t number = 0;       // 0 .. 1048574
    std::uint8_t outputPower = 0;   // 0 max, 1 med, 2 min
    std::uint8_t channel = 0;       // 0 A, 1 B
    std::uint8_t dynamicTime = 0;   // 0 5 s, 1 30 s, 2 1 min, 4 2 min, 6 5 min, 7 10 min
    std::uint8_t riseTime = 0;      // 0 .. 6
    std::uint8_t fallTime = 0;      // 0 .. 6
    std::uint8_t levelOnPlus = 100; // percent
    std::uint8_t levelDynPlus = 100;
    std::uint8_t levelDynMinus = 10;
    std::uint8_t commandType = 0; // 0 L1 + L3, 1 L1
    std::array<std::uint32_t, 10> addresses{};
    // A slow detector: its replies to reads start this much later than the
    // box's turnaround.
    std::int64_t slownessUs = 0;
};

// Probabilities per byte sent by the box, 0 .. 1.
struct Faults {
    double drop = 0;      // the byte is lost
    double corrupt = 0;   // one bit of the byte flips
    double delay = 0;     // the byte and those after it arrive up to maxDelayMs later
    double duplicate = 0; // the byte arrives twice
    double cut = 0;       // per reply frame: the rest of the frame is lost after a random byte
    double junk = 0;      // a random byte is inserted before the byte
    int maxDelayMs = 40;
    bool any() const { return drop + corrupt + delay + duplicate + cut + junk > 0; }
};

// Ways of the box and its detectors that tests ask for on purpose.
struct CallKnobs {
    // Write codes (68 to 73, 80 to 90) the box acknowledges but the detector
    // does not take.
    std::vector<std::uint8_t> refusedWrites;
    // Every call (96) is acknowledged by the box this many times, one call
    // each, before the detector answers one.
    int acksBeforeAnswer = 0;
    // The called detector answers with this number instead of its own.
    std::optional<std::uint32_t> answerCallsAs;
    // The called detector answers a new number (97) with that number, and
    // keeps its own.
    bool echoesNewNumber = false;
};

struct BoxConfig {
    std::uint8_t channel = 3;         // 3 = channel A, 4 = channel B
    std::int64_t turnaroundUs = 5000; // from the last byte of a request to the first of the reply
    std::int64_t jitterUs = 0;        // each reply starts up to this much later again, drawn anew
    std::uint32_t boxesAttached = 1;  // what the device count reports while plugged
    std::vector<Detector> detectors;
    // When set, the box answers the connection test with this detector's
    // number frame (code 1) once it has seen `reportAfterTests` tests.
    std::optional<std::uint32_t> reportNumber;
    int reportAfterTests = 1;
};

struct TimedByte {
    std::int64_t tUs;
    std::uint8_t byte;
};

// One frame as the box took it from the line, or as it sent it.
struct ReceivedFrame {
    std::int64_t tUs; // arrival of its last byte (for a reply, of its request's)
    std::array<std::uint8_t, 5> bytes;
    std::array<std::uint8_t, 5> request{}; // a reply: the frame it answered, as the box took it
};

// Wire time of one byte at 19200 baud, 8N1: 10 bits.
constexpr std::int64_t kByteWireUs = 521;
// A pause longer than this between two bytes from the host starts a new frame.
constexpr std::int64_t kFrameGapUs = 20000;
// The box keeps at most this many of the latest bytes and frames from the
// host for inspection (the oldest half goes when it is reached), so that
// hours of use hold a fixed amount of memory; the totals are counted apart.
constexpr std::size_t kRecordLimit = 4096;
// Bytes from the box that the host has not taken, at most; a byte sent to a
// full queue is lost, as a full receive buffer of the chip loses it.
constexpr std::size_t kReceiveQueueLimit = 4096;

class SimBox {
public:
    explicit SimBox(BoxConfig config, std::uint64_t seed = 0);

    // --- host side, sans I/O
    // A byte whose write by the host starts at tUs. It reaches the box one
    // wire time after the line is free; a complete frame is answered after
    // the turnaround.
    void hostByte(std::int64_t tUs, std::uint8_t byte);
    // Bytes from the box that have arrived by tUs and were not taken.
    std::size_t pending(std::int64_t tUs) const;
    // Takes the oldest byte arrived by tUs; false when none has.
    bool takeByte(std::int64_t tUs, std::uint8_t& byte);
    // Arrival time of the next byte not yet taken (arrived or not).
    std::optional<std::int64_t> nextArrivalUs() const;
    // Queues bytes from the box as if it sent them at tUs (tests, junk).
    void inject(std::int64_t tUs, const std::vector<std::uint8_t>& bytes);

    // --- plug state
    bool plugged() const { return plugged_; }
    void unplug();
    void plugIn();
    std::uint32_t deviceCount() const { return plugged_ ? config_.boxesAttached : 0; }
    // Another box plugged in beside this one (2), or taken away again (1).
    void setBoxesAttached(std::uint32_t count) { config_.boxesAttached = count; }

    // --- faults, on the box-to-host line and on the host-to-box line (where
    // a cut loses what the box had gathered of the frame being sent)
    void setFaults(const Faults& faults) { faults_ = faults; }
    void setCallKnobs(const CallKnobs& knobs) { knobs_ = knobs; }
    const Faults& faults() const { return faults_; }
    void setHostFaults(const Faults& faults) { hostFaults_ = faults; }
    // Replies start up to `us` later than the turnaround, drawn anew each time.
    void setJitterUs(std::int64_t us) { config_.jitterUs = us; }
    const Faults& hostFaults() const { return hostFaults_; }

    // --- a detector that does not take a write: the next `times` writes of
    // address `index` (0 to 9) are acknowledged, and the detector keeps the
    // address it had.
    void refuseAddressWrites(int index, int times);

    // --- inspection, for tests and the trace
    // The latest bytes and frames from the host (at most kRecordLimit each),
    // and how many there were in all.
    const std::vector<TimedByte>& bytesFromHost() const { return fromHost_; }
    const std::vector<ReceivedFrame>& framesReceived() const { return frames_; }
    std::uint64_t bytesFromHostTotal() const { return bytesFromHostTotal_; }
    std::uint64_t framesReceivedTotal() const { return framesReceivedTotal_; }
    // Bytes queued towards the host, arrived or on the line.
    std::size_t queuedToHost() const { return toHost_.size(); }
    // The last replies the box sent, before the line's faults: what a
    // detector really said, to tell a genuine frame from one the line made.
    const std::deque<ReceivedFrame>& recentReplies() const { return recentReplies_; }
    // Whether the host wrote `frame` whole at `fromUs` or later, before the
    // line's faults: a request the line made out of pieces of others was
    // never asked, and one written before an operation began is not its own.
    bool hostWrote(const std::array<std::uint8_t, 5>& frame, std::int64_t fromUs) const;
    std::uint8_t channel() const { return config_.channel; }
    Detector* detector(std::uint32_t number);
    const Detector* detector(std::uint32_t number) const;
    const BoxConfig& config() const { return config_; }

private:
    using Frame = std::array<std::uint8_t, 5>;

    // A byte from the host that has passed the host-to-box line's faults.
    void receiveByte(std::int64_t tUs, std::uint8_t byte);
    void onFrame(std::int64_t tUs, const Frame& f);
    // The box's answer to a frame from the host, nothing for silence.
    std::optional<Frame> answer(const Frame& f);
    std::optional<Frame> answerBoxFrame(const Frame& f);
    std::optional<Frame> answerRead(const Frame& f);
    std::optional<Frame> answerCall(const Frame& f);
    std::optional<Frame> answerWrite(const Frame& f);          // addresses
    std::optional<Frame> answerParameterWrite(const Frame& f); // 68 to 73, 80 to 90
    Frame acknowledgement() const;
    // Detector `number`, which becomes the selected one; null when absent
    // (then nothing is selected).
    Detector* select(std::uint32_t number);
    // Sends a reply frame whose request ended at tUs, through the faults,
    // `slownessUs` after the turnaround.
    void reply(std::int64_t tUs, const Frame& f, std::int64_t slownessUs);
    // Sends one reply byte on the box-to-host line from `lineUs` on; returns
    // when the line is free again.
    std::int64_t sendByte(std::int64_t lineUs, std::uint8_t byte);
    std::int64_t put(std::int64_t lineUs, std::uint8_t byte);
    std::uint64_t nextRandom();
    double uniform();                     // [0, 1)
    std::uint64_t below(std::uint64_t n); // 0 .. n - 1; 0 when n is 0
    bool chance(double p) { return p > 0 && uniform() < p; }

    BoxConfig config_;
    std::uint64_t rng_;
    Faults faults_;
    Faults hostFaults_;
    std::deque<ReceivedFrame> recentReplies_; // time: the end of the request answered
    std::vector<std::uint8_t> written_;       // the host's bytes of the frame being written
    std::deque<ReceivedFrame> hostFrames_;    // the latest frames the host wrote, when it wrote them
    bool plugged_ = true;
    std::int64_t hostLineFreeUs_ = 0; // when the host-to-box line is free again
    std::int64_t boxLineFreeUs_ = 0;  // when the box-to-host line is free again
    std::int64_t lastHostByteUs_ = -1'000'000'000;
    std::vector<std::uint8_t> partial_;
    std::deque<TimedByte> toHost_; // ordered by arrival time
    std::vector<TimedByte> fromHost_;
    std::vector<ReceivedFrame> frames_;
    std::uint64_t bytesFromHostTotal_ = 0;
    std::uint64_t framesReceivedTotal_ = 0;
    std::optional<std::uint32_t> selected_; // detector last addressed by a read or a call
    int connectionTests_ = 0;
    CallKnobs knobs_;
    int callAcksGiven_ = 0; // acknowledgements of the call now being made
    int refusedAddress_ = -1;
    int refusalsLeft_ = 0;
};

// Reads a box description (format in docs/file-formats.md). On failure returns nothing
// and says why in `error`, naming the line.
std::optional<BoxConfig> loadBoxFile(const std::string& path, std::string& error);
std::optional<BoxConfig> parseBoxText(const std::string& text, std::string& error);

} // namespace quelm::sim
