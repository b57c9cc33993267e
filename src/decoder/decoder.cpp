#include "decoder/decoder.h"

#include "addresses/address_replies.h"
#include "box/box_channel.h"
#include "form/form_ops.h"
#include "link/exchange_end.h"
#include "link/session.h"
#include "program_number/number_replies.h"
#include "read_params/parameter_replies.h"
#include "send_params/send_replies.h"

namespace quelm {

namespace {

void ShowProgress(Form& f) {
    const ExchangeState& x = f.x;
    if (x.operation == kReadAddresses || x.operation == kSendAddresses)
        f.ui.Text5->setText(Str(x.tryCount) + f.tables.boxLine(8) + Str(x.addressIndex + 1) + f.tables.boxLine(9));
    else if (x.operation == kCheckBeforeProgramming)
        f.ui.Text5->setText(Str(x.tryCount) + f.tables.boxLine(10));
    else if (x.operation == kProgramNumber)
        f.ui.Text5->setText(Str(x.tryCount) + f.tables.boxLine(11));
    f.ui.Text5->repaint();
}

// The five bytes taken, or zeros (a blank frame) when fewer are queued.
Frame TakeFrameOrZeros(Form& f) { return TakeReplyFrame(f) ? f.link.rxFrame : Frame{}; }

} // namespace

void Timer17_Timer(Form& f) { DecodeReply(f); }

void DecodeReply(Form& f) {
    // 1. Reply watchdog.
    if (!f.ui.Timer[6]->enabled()) f.ui.Timer[6]->enable();
    // 2. Abort.
    if (f.x.attemptCount == kAbortMarker) {
        ShowBoxLine(f, 6);
        f.x.paramSendActive = 0;
        return;
    }
    // 3. Progress line.
    ShowProgress(f);
    // 4. Take a frame; a box that went away ends the exchange.
    const Frame b = TakeFrameOrZeros(f);
    if (BoxGone(f)) return EndOnLostBox(f);
    // 5. Blank frame: polling goes on.
    if (ClassifyReply(b) == ReplyKind::blank) {
        f.ui.LoggerList->addItem(f.tables.boxLine(12));
        return;
    }
    // 6. Stop polling.
    f.ui.Timer[17]->disable();
    f.ui.Timer[6]->disable();
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
