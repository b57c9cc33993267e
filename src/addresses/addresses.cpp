#include "addresses/addresses.h"

#include "core/roles.h"
#include "form/form_ops.h"
#include "form/number_boxes.h"
#include "link/exchange_end.h"
#include "link/session.h"
#include "protocol/number.h"

#include <string>

namespace quelm {

namespace {

// Every address is outstanding: a report enables its box, and a box no
// report came for stays disabled, not read, however the operation ends.
void HoldReceived(Form& f) {
    for (TextBox* box : f.ui.Text1) HoldUntilRead(f, box);
}

// The first address box whose value cannot be written, or -1.
int FirstUnsendableWanted(const Form& f) {
    for (int i = 0; i < 10; ++i)
        if (!WantedAddressSendable(f, i)) return i;
    return -1;
}

} // namespace

// An address goes out as the whole number its box shows: "abc" or "3,5"
// would otherwise be written as the number they start with (0, 3). A box
// left empty stands for address 0, as it always has.
bool WantedAddressSendable(const Form& f, int index) {
    const std::string& text = f.ui.Text2[static_cast<std::size_t>(index)]->text();
    return text.find_first_not_of(' ') == std::string::npos || PlainWholeNumber(text, kMaxDetectorNumber).has_value();
}

void ShowWantedAddressRefused(Form& f, int index) {
    ShowLineWith(f, addressRefused, Said::AddressRefused, Str(index + 1));
}

void Command4_Click(Form& f) {
    // 1. A read already running goes on; a detector number that is no
    // number is refused before anything stops or is held.
    if (f.x.operation == kReadAddresses) return;
    if (RefuseNotANumber(f, *f.ui.Text3, NumberUse::read)) return;
    // 2. Whatever else runs stops first, as the stop key stops it.
    f.x.keyPressed = 1;
    MarkStopRequested(f.x);
    Timer3_Timer(f);
    // 3. The read starts at address 0.
    f.x.addressIndex = 0;
    f.x.tryCount = 0;
    f.x.operation = kReadAddresses;
    f.x.keyPressed.reset();
    f.x.attemptCount = 0;
    f.ui.Timer[timer::stopWatch]->enable();
    f.x.addressSendMode = 0;
    // 4. Every address is outstanding.
    HoldReceived(f);
    // 5. Box check.
    const std::uint32_t boxes = LookForBox(f);
    if (boxes == 0) f.ui.Timer[timer::connectionListen]->disable();
    if (boxes == 1) {
        ClassicOpen_Click(f);
        ConfigureLine(f);
    }
    // 6. Buttons off while the read runs.
    SetButtonsEnabled(f, false);
    // 7. A request with no box, or to one box of several, would be resent
    // every four seconds with the window locked until a key: the read ends
    // at once instead, with the box check's message.
    if (boxes != 1) {
        EndGivingWindowBack(f);
        return;
    }
    SendAddressRead(f);
}

void Command5_Click(Form& f) {
    // A detector number that is no number, or a value no detector can hold,
    // which would be written again and again: the send is refused before
    // anything goes out.
    if (RefuseNotANumber(f, *f.ui.Text3, NumberUse::send)) return;
    if (const int bad = FirstUnsendableWanted(f); bad >= 0) {
        ShowWantedAddressRefused(f, bad);
        return;
    }
    // Writing into one box of several, or into none, is refused as well.
    if (LookForBox(f) != 1) return;
    // 1. The send starts by reading address 0.
    f.x.addressIndex = -1;
    f.x.operation = kSendAddresses;
    f.x.keyPressed.reset();
    f.x.attemptCount = 0;
    f.ui.Timer[timer::stopWatch]->enable();
    f.x.tryCount = 0;
    f.x.addressSendMode = 1;
    f.x.addressWrites = 0;
    f.x.writesOut = 0;
    // 2. Read request for address 0.
    SendAddressRead(f);
    if (f.x.operation != kSendAddresses) return; // the request was refused
    // 3. Every address is outstanding; buttons off while the send runs.
    HoldReceived(f);
    SetButtonsEnabled(f, false);
}

void Command3_Click(Form& f) {
    for (std::size_t i = 0; i < 10; ++i) f.ui.Text2[i]->setText(f.ui.Text1[i]->text());
}

void SendAddressRead(Form& f) {
    if (StopRequested(f.x)) {
        ShowMessageLine(f, exchangeStopped);
        f.x.paramSendActive = 0;
        return;
    }
    const int index = (f.x.addressSendMode == 1 && f.x.addressIndex == -1) ? 0 : f.x.addressIndex;
    f.x.outFrame = EncodeNumberFrame(code::kReadAddress0 + index, FrameNumberOf(*f.ui.Text3));
    // A detector number without a frame form: the transport says so, and the
    // chain ends rather than wait for a reply to nothing.
    if (!SendFrameAndPoll(f)) {
        EndGivingWindowBack(f);
        return;
    }
    f.x.attemptCount = 0;
    // A key pressed since the chain started is left for the stop watch: the
    // steps follow each other every 15 to 70 ms, and emptying it here would
    // erase a stop request before the watch, every 100 ms, could see it. The
    // buttons that start a chain empty it themselves before this send.
}

} // namespace quelm
