#include "site/write_journal.h"

#include "form/exchange_state.h"
#include "form/parameters.h"
#include "site/parameter_fields.h"

#include <array>
#include <optional>

namespace quelm {

namespace {

using Write = WriteJournal::Write;
using Reached = WriteJournal::Reached;

constexpr int kFirstAddress = 10;
constexpr int kNewNumber = 20;

constexpr std::array<const char*, 9> kLabels{"detector channel", "dynamic time", "output power",
                                             "rise time",        "fall time",    "level ON+",
                                             "level DYN+",       "level DYN-",   "dynamic command"};

template <std::size_t N>
std::string Name(const std::array<const char*, N>& names, std::int64_t index) {
    if (index < 0 || static_cast<std::size_t>(index) >= N) return "code " + std::to_string(index);
    return names[static_cast<std::size_t>(index)];
}

Write Parameter(int target, const std::string& value) { return {target, value, 0, Reached::sent}; }

// The value a frame sent to the box writes, if it writes one.
std::optional<Write> WriteOf(const Frame& f) {
    using namespace code;
    const std::int64_t c = f[1], v = f[5];
    if (c == kWriteChannelA || c == kWriteChannelB) return Parameter(0, Name(ChannelNames(), c - kWriteChannelA));
    if (c >= kWriteDynamicTime0 && c <= kWriteDynamicTime0 + 5)
        return Parameter(1, Name(DynamicTimeNames(), c - kWriteDynamicTime0));
    if (c >= kWritePowerMax && c <= kWritePowerMin) // window order: min, med, max
        return Parameter(2, Name(OutputPowerNames(), kWritePowerMin - c));
    if (c == kWriteRiseTime) return Parameter(3, Name(RiseTimeNames(), v));
    if (c == kWriteFallTime) return Parameter(4, Name(FallTimeNames(), v));
    if (c >= kWriteLevelOnPlus && c <= kWriteLevelDynMinus)
        return Parameter(5 + static_cast<int>(c - kWriteLevelOnPlus), std::to_string(v));
    if (c == kWriteCommandType) return Parameter(8, Name(CommandTypeNames(), v));
    if (c >= kWriteAddress0 && c < kWriteAddress0 + kAddressCount)
        return Write{kFirstAddress + static_cast<int>(c - kWriteAddress0), std::to_string(FrameNumber(f)),
                     FrameNumber(f), Reached::sent};
    if (c == code::kProgramNumber)
        return Write{kNewNumber, std::to_string(FrameNumber(f)), FrameNumber(f), Reached::sent};
    return std::nullopt;
}

bool IsAddress(const Write& w) { return w.target >= kFirstAddress && w.target < kNewNumber; }

} // namespace

WriteJournal::WriteJournal(Form& f) : f_(f), previous_(std::move(f.link.frameWatch)) {
    f_.link.frameWatch = [this](const Frame& frame, bool toBox) {
        if (previous_) previous_(frame, toBox);
        add(frame, toBox);
    };
}

WriteJournal::~WriteJournal() { f_.link.frameWatch = std::move(previous_); }

const WriteJournal::Write* WriteJournal::newNumber() const {
    for (const Write& w : writes_)
        if (w.target == kNewNumber) return &w;
    return nullptr;
}

void WriteJournal::add(const Frame& f, bool toBox) {
    if (toBox) {
        if (const auto w = WriteOf(f)) {
            std::erase_if(writes_, [&](const Write& old) { return old.target == w->target; });
            writes_.push_back(*w);
        }
        return;
    }
    if (writes_.empty()) return;
    Write& last = writes_.back();
    const ReplyKind kind = ClassifyReply(f);
    const int operation = f_.x.operation;
    if (kind == ReplyKind::acknowledgement && last.reached == Reached::sent) last.reached = Reached::acknowledged;
    // The call that follows a parameter write, answered.
    if (kind == ReplyKind::numberReply && f[1] == code::kCallNumber && operation == kCallBetweenSteps &&
        last.target < kFirstAddress)
        last.reached = Reached::confirmed;
    if (kind == ReplyKind::numberReply && operation == kProgramNumber && last.target == kNewNumber &&
        FrameNumber(f) == last.number)
        last.reached = Reached::confirmed;
    if (kind == ReplyKind::addressReport)
        for (Write& w : writes_)
            if (w.target == kFirstAddress + f[1] - code::kAddressValue0 && w.number == FrameNumber(f))
                w.reached = Reached::confirmed;
}

std::string WriteField(const Write& w) {
    if (w.target == kNewNumber) return "number";
    if (IsAddress(w)) return "address" + std::to_string(w.target - kFirstAddress + 1);
    return ParameterFields()[static_cast<std::size_t>(w.target)].key;
}

std::string WriteLabel(const Write& w) {
    if (w.target == kNewNumber) return "new number " + w.value;
    if (IsAddress(w)) return "address " + std::to_string(w.target - kFirstAddress + 1) + " = " + w.value;
    const std::string label = kLabels[static_cast<std::size_t>(w.target)];
    return label + " " + w.value + (w.target >= 5 && w.target <= 7 ? " %" : "");
}

const char* HowFar(const Write& w) {
    switch (w.reached) {
    case Reached::sent: return "sent, not acknowledged by the box";
    case Reached::acknowledged:
        return IsAddress(w) ? "acknowledged by the box, not read back" : "acknowledged by the box, no answer since";
    case Reached::confirmed: return IsAddress(w) ? "read back" : "the detector answered after it";
    }
    return "";
}

const char* ReachedName(Reached r) {
    switch (r) {
    case Reached::sent: return "sent";
    case Reached::acknowledged: return "acknowledged";
    case Reached::confirmed: return "confirmed";
    }
    return "";
}

} // namespace quelm
