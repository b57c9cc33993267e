#include "decoder/decoder.h"

#include "addresses/address_replies.h"
#include "box/box_channel.h"
#include "core/check.h"
#include "core/roles.h"
#include "form/form_ops.h"
#include "link/exchange_end.h"
#include "link/session.h"
#include "program_number/number_replies.h"
#include "program_number/program_number.h"
#include "read_params/parameter_replies.h"
#include "send_params/send_replies.h"

namespace quelm {

namespace {

void ShowProgress(Form& f) {
    const ExchangeState& x = f.x;
    if (x.operation == kReadAddresses || x.operation == kSendAddresses)
        SetMessage(f, addressTries, AddressTriesText(f));
    else if (x.operation == kCheckBeforeProgramming)
        SetMessage(f, replyTries, CountedLine(f, x.tryCount, replyTries));
    else if (x.operation == kProgramNumber)
        SetMessage(f, programmingTries, CountedLine(f, x.tryCount, programmingTries));
    f.ui.Text5->repaint();
}

// The five bytes taken, or zeros (a blank frame) when fewer are queued.
Frame TakeFrameOrZeros(Form& f) { return TakeReplyFrame(f) ? f.link.rxFrame : Frame{}; }

// No step, a send step (its timer is its number), or an address's read or
// write. Only the checks use it, which a Release build compiles out.
[[maybe_unused]] bool KnownStepTimer(int step) {
    if (step == 0) return true;
    if (step < 0) return false;
    const auto n = static_cast<std::size_t>(step);
    return (n >= timer::firstSendStep && n <= timer::lastSendStep) || n == timer::addressRead ||
           n == timer::addressWrite;
}

// What the senders and the rules keep within bounds between two runs.
void CheckExchangeState([[maybe_unused]] const ExchangeState& x) {
    QUELM_CHECK(KnownOperation(x.operation));
    QUELM_CHECK(x.tryCount >= 0 && x.tryCount < kMaxTries);
    QUELM_CHECK(x.addressIndex >= -1 && x.addressIndex <= 9);
    QUELM_CHECK(KnownStepTimer(x.stepTimer));
}

// Every handler sees the frame, in this order, whatever the earlier ones
// did with it. Addresses (32 to 41) take their place last, with the
// operations that await them.
FrameUse OfferToHandlers(Form& f, const Frame& b) {
    FrameUse use = HandleAcknowledgement(f, b);
    use |= HandleReply96(f, b);
    use |= HandleCallAnswer(f, b);
    use |= HandleReply97(f, b);
    use |= HandleReply64(f, b);
    use |= HandleReply65(f, b);
    if (const FrameUse group3 = HandleReply66(f, b); group3 == FrameUse::taken) {
        use = group3;
        CallAfterTheRead(f);
    }
    use |= HandleAddressReport(f, b);
    return use;
}

} // namespace

void Timer17_Timer(Form& f) { DecodeReply(f); }

FrameUse DecodeReply(Form& f) {
    CheckExchangeState(f.x);
    // 1. Reply watchdog.
    if (!f.ui.Timer[timer::replyWatchdog]->enabled()) f.ui.Timer[timer::replyWatchdog]->enable();
    // 2. Abort.
    if (StopRequested(f.x)) {
        ShowMessageLine(f, exchangeStopped);
        f.x.paramSendActive = 0;
        return FrameUse::passedOn;
    }
    // 3. Progress line.
    ShowProgress(f);
    // 4. Take a frame; a box that went away ends the exchange.
    const Frame b = TakeFrameOrZeros(f);
    if (BoxGone(f)) {
        EndOnLostBox(f);
        return FrameUse::passedOn;
    }
    // 5. Blank frame: polling goes on, until a probe's short wait is over.
    if (ClassifyReply(b) == ReplyKind::blank) {
        f.ui.LoggerList->addItem(f.tables.messageLine(noFrame));
        ProbeHeardNothing(f);
        return FrameUse::passedOn;
    }
    // 6. Stop polling.
    f.ui.Timer[timer::replyPoll]->disable();
    f.ui.Timer[timer::replyWatchdog]->disable();
    // 7. Reply handlers; 8. step evaluation.
    const FrameUse use = OfferToHandlers(f, b);
    EvaluateStep(f, use);
    return use;
}

FrameUse HandleAcknowledgement(Form& f, const Frame& b) {
    if (ClassifyReply(b) != ReplyKind::acknowledgement) return FrameUse::passedOn;
    FollowReportedChannel(f, b);
    ReadBackWrittenAddress(f);
    return SendHandshakeAcknowledgement(f);
}

void EvaluateStep(Form& f, FrameUse use) {
    QUELM_CHECK(KnownOperation(f.x.operation));
    if (use == FrameUse::passedOn && f.x.tryCount + 1 < kMaxTries) {
        f.x.tryCount += 1;
        // Retry rules in their order: addresses (with their operations),
        // 6 and 61, the parameter reads, the writes and calls of a send.
        AddressRetry(f);
        NumberRetry(f);
        ParameterReadRetry(f);
        SendStepRetry(f);
        return;
    }
    // The step is over: the next one starts with no tries. Step-over rules
    // in their order: addresses (with their operations), number programming
    // (61, then 6), the parameter reads, the writes and calls of a send.
    const StepOutcome end = use == FrameUse::taken ? StepOutcome::answered : StepOutcome::outOfTries;
    f.x.tryCount = 0;
    AddressStepOver(f);
    NumberStepOver(f, end);
    ParameterReadStepOver(f, end);
    SendStepOver(f, end);
}

} // namespace quelm
