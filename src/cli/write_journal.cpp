#include "cli/write_journal.h"

#include "cli/cli_language.h"
#include "form/exchange_state.h"
#include "form/parameters.h"
#include "protocol/frame.h"

#include <optional>

namespace quelm::cli {

namespace {

using Write = WriteJournal::Write;
using Reached = WriteJournal::Reached;

constexpr int kFirstAddress = 10;
constexpr int kNewNumber = 20;

template <std::size_t N>
std::string Name(const std::array<const char*, N>& names, std::int64_t index) {
    if (index < 0 || static_cast<std::size_t>(index) >= N) return "code " + std::to_string(index);
    return names[static_cast<std::size_t>(index)];
}

Write Parameter(int target, const char* label, const std::string& value) {
    return {target, std::string(Tr(label)) + " " + value, 0, Reached::sent};
}

// The value a frame sent to the box writes, if it writes one.
std::optional<Write> WriteOf(const Frame& f) {
    using namespace code;
    const std::int64_t c = f[1], v = f[5];
    const std::string number = std::to_string(FrameNumber(f));
    if (c == kWriteChannelA || c == kWriteChannelB)
        return Parameter(0, "detector channel", Name(ChannelNames(), c - 86));
    if (c >= kWriteDynamicTime0 && c <= kWriteDynamicTime0 + 5)
        return Parameter(1, "dynamic time", Name(DynamicTimeNames(), c - kWriteDynamicTime0));
    if (c >= kWritePowerMax && c <= kWritePowerMin) // window order: min, med, max
        return Parameter(2, "output power", Name(OutputPowerNames(), kWritePowerMin - c));
    if (c == kWriteRiseTime) return Parameter(3, "rise time", Name(RiseTimeNames(), v));
    if (c == kWriteFallTime) return Parameter(4, "fall time", Name(FallTimeNames(), v));
    if (c == kWriteLevelOnPlus) return Parameter(5, "level ON+", std::to_string(v) + " %");
    if (c == kWriteLevelDynPlus) return Parameter(6, "level DYN+", std::to_string(v) + " %");
    if (c == kWriteLevelDynMinus) return Parameter(7, "level DYN-", std::to_string(v) + " %");
    if (c == kWriteCommandType) return Parameter(8, "dynamic command", Name(CommandTypeNames(), v));
    if (c >= kWriteAddress0 && c < kWriteAddress0 + kAddressCount) {
        const int k = static_cast<int>(c - kWriteAddress0);
        return Write{kFirstAddress + k, Tr("address") + (" " + std::to_string(k + 1)) + " = " + number, FrameNumber(f),
                     Reached::sent};
    }
    if (c == code::kProgramNumber)
        return Write{kNewNumber, Tr("new number") + (" " + number), FrameNumber(f), Reached::sent};
    return std::nullopt;
}

const char* HowFar(const Write& w) {
    const bool address = w.target >= kFirstAddress && w.target < kNewNumber;
    switch (w.reached) {
    case Reached::sent: return "sent, not acknowledged by the box";
    case Reached::acknowledged:
        return address ? "acknowledged by the box, not read back" : "acknowledged by the box, no answer since";
    case Reached::confirmed: return address ? "read back" : "the detector answered after it";
    }
    return "";
}

void ReportNumber(std::FILE* err, const std::vector<Write>& writes, const std::string& number,
                  const std::string& newNumber) {
    if (writes.empty())
        std::fprintf(err, Tr("quelmbox-cli: the new number %s was not sent: detector %s keeps its number\n"),
                     newNumber.c_str(), number.c_str());
    else if (writes.back().reached == Reached::confirmed)
        std::fprintf(err, Tr("quelmbox-cli: the detector answered with its new number %s\n"), newNumber.c_str());
    else
        std::fprintf(err,
                     Tr("quelmbox-cli: the new number %s was sent to detector %s and not confirmed: "
                        "the detector may answer to either number\n"),
                     newNumber.c_str(), number.c_str());
}

} // namespace

WriteJournal::WriteJournal(TraceLog& log) : log_(log), previous_(std::move(log.onAdded)) {
    log_.onAdded = [this](const TraceEntry& entry) {
        if (previous_) previous_(entry);
        add(entry);
    };
}

WriteJournal::~WriteJournal() { log_.onAdded = std::move(previous_); }

void WriteJournal::add(const TraceEntry& e) {
    if (e.bytes.size() != 5) return;
    const Frame f = FromWire({e.bytes[0], e.bytes[1], e.bytes[2], e.bytes[3], e.bytes[4]});
    if (e.kind == TraceEntry::Kind::Sent) {
        if (const auto w = WriteOf(f)) {
            std::erase_if(writes_, [&](const Write& old) { return old.target == w->target; });
            writes_.push_back(*w);
        }
        return;
    }
    if (e.kind != TraceEntry::Kind::Received || writes_.empty()) return;
    Write& last = writes_.back();
    const ReplyKind kind = ClassifyReply(f);
    if (kind == ReplyKind::acknowledgement && last.reached == Reached::sent) last.reached = Reached::acknowledged;
    // The call that follows a parameter write, answered.
    if (kind == ReplyKind::numberReply && f[1] == code::kCallNumber && e.operation == kCallBetweenSteps &&
        last.target < kFirstAddress)
        last.reached = Reached::confirmed;
    if (kind == ReplyKind::numberReply && e.operation == kProgramNumber && last.target == kNewNumber &&
        FrameNumber(f) == last.value)
        last.reached = Reached::confirmed;
    if (kind == ReplyKind::addressReport)
        for (Write& w : writes_)
            if (w.target == kFirstAddress + f[1] - code::kAddressValue0 && w.value == FrameNumber(f))
                w.reached = Reached::confirmed;
}

void WriteJournal::report(std::FILE* err, const std::string& command, const std::string& number,
                          const std::string& newNumber, bool lost) const {
    if (command == "program-number") return ReportNumber(err, writes_, number, newNumber);
    if (writes_.empty()) {
        std::fprintf(err, Tr("quelmbox-cli: nothing was written to detector %s\n"), number.c_str());
        return;
    }
    std::fprintf(err,
                 lost ? Tr("quelmbox-cli: written to detector %s before the box was lost:\n")
                      : Tr("quelmbox-cli: written to detector %s before the stop:\n"),
                 number.c_str());
    for (const Write& w : writes_) std::fprintf(err, "  %s: %s\n", w.what.c_str(), Tr(HowFar(w)));
    std::fprintf(err, Tr("quelmbox-cli: %s %s shows what the detector holds now\n"),
                 command == "send-params" ? "read-params" : "read-addresses", number.c_str());
}

} // namespace quelm::cli
