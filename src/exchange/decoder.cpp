#include "exchange/decoder.h"

#include "exchange/address_loop.h"
#include "exchange/form_ops.h"
#include "exchange/number_replies.h"
#include "exchange/read_chain.h"
#include "link/link_watch.h"
#include "link/session.h"

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
    HandleReply97(f, b);
    HandleReply64(f, b);
    HandleReply65(f, b);
    HandleReply66(f, b);
    HandleAddressReport(f, b);
    // 8. Step evaluation.
    EvaluateStep(f);
}

void HandleAcknowledgement(Form& f, const Frame& b) {
    if (ClassifyReply(b) != ReplyKind::acknowledgement) return;
    // The window follows the channel the box reports, without sending it
    // back: the box has it already, and its acknowledgement of that frame,
    // read by a later step, would report the channel of a frame before it
    // when two were queued, and the window and the box would then send each
    // other A and B for as long as the exchange lasts.
    if (b[5] == 3) f.ui.Option[1]->setValue(true);
    if (b[5] == 4) f.ui.Option[2]->setValue(true);
    // An address was written: read it back. Then the send of parameters and
    // the call between its steps.
    if (f.x.operation == kSendAddresses && f.x.stepTimer == 19) f.ui.Timer[18]->enable();
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
