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

} // namespace

void Timer17_Timer(Form& f) { DecodeReply(f); }

void DecodeReply(Form& f) {
    QUELM_CHECK(KnownOperation(f.x.operation));
    // 1. Reply watchdog.
    if (!f.ui.Timer[timer::replyWatchdog]->enabled()) f.ui.Timer[timer::replyWatchdog]->enable();
    // 2. Abort.
    if (f.x.attemptCount == kAbortMarker) {
        ShowBoxLine(f, exchangeStopped);
        f.x.paramSendActive = 0;
        return;
    }
    // 3. Progress line.
    ShowProgress(f);
    // 4. Take a frame; a box that went away ends the exchange.
    const Frame b = TakeFrameOrZeros(f);
    if (BoxGone(f)) return EndOnLostBox(f);
    // 5. Blank frame: polling goes on, until a probe's short wait is over.
    if (ClassifyReply(b) == ReplyKind::blank) {
        f.ui.LoggerList->addItem(f.tables.boxLine(noFrame));
        ProbeHeardNothing(f);
        return;
    }
    // 6. Stop polling.
    f.ui.Timer[timer::replyPoll]->disable();
    f.ui.Timer[timer::replyWatchdog]->disable();
    // 7. Reply handlers, each test whatever the earlier ones did. Addresses
    // (32 to 41) take their place last, with the operations that await them.
    HandleAcknowledgement(f, b);
    HandleReply96(f, b);
    HandleCallAnswer(f, b);
    HandleReply97(f, b);
    HandleReply64(f, b);
    HandleReply65(f, b);
    if (HandleReply66(f, b)) CallAfterTheRead(f);
    HandleAddressReport(f, b);
    // 8. Step evaluation.
    EvaluateStep(f);
}

void HandleAcknowledgement(Form& f, const Frame& b) {
    if (ClassifyReply(b) != ReplyKind::acknowledgement) return;
    FollowReportedChannel(f, b);
    ReadBackWrittenAddress(f);
    SendHandshakeAcknowledgement(f);
}

void EvaluateStep(Form& f) {
    QUELM_CHECK(KnownOperation(f.x.operation));
    f.x.tryCount += 1;
    if (f.x.tryCount > 9) {
        // Step-over rules in their order: addresses (with their
        // operations), number programming (61, then 6), the parameter
        // reads, the writes and calls of a send.
        AddressStepOver(f);
        NumberStepOver(f);
        ParameterReadStepOver(f);
        SendStepOver(f);
    } else {
        // Retry rules in their order: addresses (with their operations),
        // 6 and 61, the parameter reads, the writes and calls of a send.
        AddressRetry(f);
        NumberRetry(f);
        ParameterReadRetry(f);
        SendStepRetry(f);
    }
}

} // namespace quelm
