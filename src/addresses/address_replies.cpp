#include "addresses/address_replies.h"

#include "addresses/addresses.h"
#include "core/roles.h"
#include "form/form_ops.h"
#include "link/exchange_end.h"
#include "link/session.h"
#include "protocol/number.h"

namespace quelm {

namespace {

TextBox& Received(Form& f, int i) { return *f.ui.Text1[static_cast<std::size_t>(i)]; }
TextBox& Wanted(Form& f, int i) { return *f.ui.Text2[static_cast<std::size_t>(i)]; }

// The detector agrees on address i: a report of it has come during this send
// (the send disables every Text1 box, and a report enables its own) and its
// value equals the wanted one. A box still disabled holds the text of an
// earlier read, which says nothing about what the detector holds now.
bool Agrees(Form& f, int i) {
    return Received(f, i).enabled() && NumericValue(Wanted(f, i).text()) == NumericValue(Received(f, i).text());
}

// The end of the addresses: line 18, or, when some address was never
// reported (its box stays disabled, not read), how many were read and which
// were not, so that a read that missed some never says it got ten.
void SayAddressesDone(Form& f) {
    std::string notRead;
    int read = 0;
    for (int i = 0; i < 10; ++i) {
        if (Received(f, i).enabled())
            ++read;
        else
            notRead += Str(i + 1);
    }
    if (notRead.empty())
        SetMessageLine(f, addressesDone);
    else
        SetMessage(f, addressesDone, Filled(Text(Said::AddressesPartlyRead, f.x.language), Str(read), notRead));
}

// All ten addresses read (or stepped over), or sent and read back equal.
void EndAddresses(Form& f) {
    f.x.writesOut = 0;
    SayAddressesDone(f);
    f.ui.Text5->repaint();
    SetButtonsEnabled(f, true);
    f.x.operation = kIdle;
    f.x.stepTimer = 0;
    ClassicClose_Click(f);
    f.ui.Timer[timer::stopWatch]->disable();
}

// A detector that acknowledges every write of an address and keeps its old
// value would get the same write for ever: after as many writes as a send
// of parameters has passes, the send ends naming the address.
void GiveUpAddress(Form& f) {
    ShowLineWith(f, addressNeverConfirmed, Said::AddressNeverConfirmed, Str(f.x.addressIndex + 1));
    EndGivingWindowBack(f);
}

// An address report is taken while addresses are read or sent, and when
// nothing runs. Another operation awaits another reply: a late report (the
// stop key ended an address read while its request was on the line) would
// otherwise end that step as if its own reply had come, a parameter group
// unread, or a detector's call unanswered before its number is programmed.
// Such a frame costs a try like any wrong frame.
//
// A report is shown as the detector gave it, whatever its value: dropping
// one beyond 1048574 would leave the box with an earlier detector's text.
bool Taken(const Form& f, const Frame& b) {
    if (ClassifyReply(b) != ReplyKind::addressReport) return false;
    const int op = f.x.operation;
    return op == kIdle || op == kReadAddresses || op == kSendAddresses;
}

} // namespace

FrameUse HandleAddressReport(Form& f, const Frame& b) {
    if (!Taken(f, b)) return FrameUse::passedOn;
    const auto k = static_cast<int>(b[1] - code::kAddressValue0);
    Received(f, k).setText(std::to_string(FrameNumber(b)));
    Received(f, k).setEnabled(true);
    return FrameUse::taken;
}

void ReadBackWrittenAddress(Form& f) {
    if (f.x.operation == kSendAddresses && f.x.stepTimer == 19) f.ui.Timer[timer::addressRead]->enable();
}

void AddressStepOver(Form& f) {
    ExchangeState& x = f.x;
    if (x.operation == kReadAddresses && x.addressIndex == 9) EndAddresses(f);
    if (x.operation == kSendAddresses && x.addressIndex == 9 && Agrees(f, 9)) EndAddresses(f);
    if (x.operation == kReadAddresses && x.addressIndex < 9) {
        x.addressIndex += 1;
        f.ui.Timer[timer::addressRead]->enable();
    }
    if (x.operation == kSendAddresses && x.addressIndex <= 9) {
        if (x.addressIndex == -1) x.addressIndex = 0;
        if (Agrees(f, x.addressIndex)) {
            x.addressIndex += 1;
            x.addressWrites = 0;
        } else if (x.addressWrites >= kMaxSendPasses) {
            return GiveUpAddress(f);
        }
        f.ui.Timer[timer::addressWrite]->enable();
    }
}

void AddressRetry(Form& f) {
    if (f.x.operation != kReadAddresses && f.x.operation != kSendAddresses) return;
    ShowMessage(f, addressTries, AddressTriesText(f));
    // The longer interval stays for the following read steps.
    f.ui.Timer[timer::addressRead]->setInterval(10 + 5 * f.x.tryCount);
    f.ui.Timer[timer::addressRead]->enable();
}

void Timer18_Timer(Form& f) {
    f.x.stepTimer = 18;
    f.ui.Timer[timer::addressRead]->disable();
    SendAddressRead(f);
}

void Timer19_Timer(Form& f) {
    f.x.stepTimer = 19;
    f.ui.Timer[timer::addressWrite]->disable();
    ClassicOpen_Click(f);
    ConfigureLine(f);
    if (f.x.addressIndex >= 10) return;
    const int i = f.x.addressIndex == -1 ? 0 : f.x.addressIndex;
    // The wanted box may have been edited while the send runs: a value the
    // detector cannot hold would be written again and again.
    if (!WantedAddressSendable(f, i)) {
        ShowWantedAddressRefused(f, i);
        EndGivingWindowBack(f);
        return;
    }
    f.x.outFrame = EncodeNumberFrame(code::kWriteAddress0 + i, NumericValue(Wanted(f, i).text()));
    // A key pressed meanwhile stays for the stop watch (see SendAddressRead).
    if (SendFrameAndPoll(f)) f.x.writesOut += 1;
    f.x.addressWrites += 1;
}

} // namespace quelm
