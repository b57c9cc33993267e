#include "site/write_journal.h"

#include "core/texts.h"
#include "form/exchange_state.h"
#include "form/parameter_table.h"
#include "protocol/codec.h"
#include "site/parameter_fields.h"

#include <array>
#include <optional>

namespace quelm {

namespace {

using Write = WriteJournal::Write;
using Reached = WriteJournal::Reached;

constexpr int kFirstAddress = 10;
constexpr int kNewNumber = 20;

// A parameter write's value as the report names it: the choice's name, the
// level, or the code no choice stands for.
std::string WrittenText(const ParameterRow& row, std::int64_t value) {
    if (row.isLevel()) return std::to_string(value);
    for (const ParameterChoice& c : row.choices)
        if (c.writeValue == value) return c.name;
    return "code " + std::to_string(value);
}

// The value a frame sent to the box writes, if it writes one. A parameter's
// target is its row in the table.
std::optional<Write> WriteOf(const Frame& f) {
    using namespace code;
    const std::int64_t c = f[1];
    if (const auto written = DecodeWriteCommand(f)) {
        const ParameterRow& row = RowOf(written->parameter);
        return Write{static_cast<int>(row.parameter), WrittenText(row, written->value), 0, Reached::sent};
    }
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

std::string WriteLabel(const Write& w, int language) {
    if (w.target == kNewNumber) return std::string(Phrase("new number", language)) + " " + w.value;
    if (IsAddress(w))
        return std::string(Phrase("address", language)) + " " + std::to_string(w.target - kFirstAddress + 1) + " = " +
               w.value;
    const ParameterRow& row = ParameterTable()[static_cast<std::size_t>(w.target)];
    return std::string(Phrase(row.label, language)) + " " + w.value + (row.isLevel() ? " %" : "");
}

const char* HowFar(const Write& w, int language) {
    const char* english = "";
    switch (w.reached) {
    case Reached::sent: english = "sent, not acknowledged by the box"; break;
    case Reached::acknowledged:
        english = IsAddress(w) ? "acknowledged by the box, not read back" : "acknowledged by the box, no answer since";
        break;
    case Reached::confirmed: english = IsAddress(w) ? "read back" : "the detector answered after it"; break;
    }
    return Phrase(english, language);
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
