#include "box/box_channel.h"

#include "core/roles.h"
#include "form/form_ops.h"
#include "form/number_boxes.h"
#include "link/session.h"
#include "protocol/number.h"

namespace quelm {

namespace {

// The box check of the box's own operations: with no box the connection test
// stops listening; with exactly one the session is opened and configured.
bool OpenTheOneBox(Form& f) {
    const std::uint32_t boxes = LookForBox(f);
    if (boxes == 0) f.ui.Timer[timer::connectionListen]->disable();
    if (boxes != 1) return false;
    ClassicOpen_Click(f);
    ConfigureLine(f);
    return true;
}

// Sends the fixed channel frame 0, 1, 2, 3, channel: five writes without
// pauses, outFrame untouched; whatever the box answers stays queued for the
// next reader.
void SendBoxChannel(Form& f, std::uint8_t channel) {
    if (OpenTheOneBox(f)) {
        const Frame frame = BoxChannelFrame(channel);
        for (int i = 1; i <= 5; ++i) WriteSingleByte(f, static_cast<std::uint8_t>(frame[static_cast<std::size_t>(i)]));
        FillRxFrame(f, 0);
    }
    f.x.attemptCount = 0;
    f.x.keyPressed.reset();
}

} // namespace

// The window follows the channel the box reports, without sending it back:
// the box has it already, and its acknowledgement of that frame, read by a
// later step, would report the channel of a frame before it when two were
// queued, and the window and the box would then send each other A and B for
// as long as the exchange lasts.
void FollowReportedChannel(Form& f, const Frame& b) {
    if (b[5] == 3) f.ui.Option[option::boxChannelA]->setValue(true);
    if (b[5] == 4) f.ui.Option[option::boxChannelB]->setValue(true);
}

void Option1_Click(Form& f) { SendBoxChannel(f, 3); }

void Option2_Click(Form& f) { SendBoxChannel(f, 4); }

void Command13_Click(Form& f) {
    if (RefuseNotANumber(f, *f.ui.Text7, NumberUse::send) || !OpenTheOneBox(f)) return;
    f.x.outFrame = EncodeNumberFrame(code::kTestNumber, FrameNumberOf(*f.ui.Text7));
    // A number with no frame form is refused before the window is held.
    if (auto bad = UnsendableByte(f)) {
        ShowSendRefused(f, *bad);
        return;
    }
    ShowMessageLine(f, testNumberSent);
    f.ui.Timer[timer::testNumberDone]->enable();
    SetButtonsEnabled(f, false);
    SendFrame(f);
    f.x.attemptCount = 0;
    f.x.keyPressed.reset();
}

void Timer25_Timer(Form& f) {
    ShowMessage(f, "");
    f.ui.Timer[timer::testNumberDone]->disable();
    SetButtonsEnabled(f, true);
}

} // namespace quelm
