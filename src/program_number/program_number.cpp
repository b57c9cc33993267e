#include "program_number/program_number.h"

#include "core/roles.h"
#include "form/form_ops.h"
#include "form/number_boxes.h"
#include "link/session.h"
#include "protocol/number.h"

#include <algorithm>

namespace quelm {

namespace {

// The frame of a step: the code and the number of the box given; false
// (with the refusal shown) when the number has no frame form.
bool BuildNumberFrame(Form& f, int code, const TextBox* box) {
    f.x.outFrame = EncodeNumberFrame(code, FrameNumberOf(*box));
    if (auto bad = UnsendableByte(f)) {
        ShowSendRefused(f, *bad);
        return false;
    }
    return true;
}

// The second step cannot be sent (no box any more, several, a new number
// with no frame form): the operation ends and the buttons, disabled since
// the first step, come back; the message says why.
void GiveWindowBack(Form& f) {
    f.x.operation = kIdle;
    f.x.stepTimer = 0;
    SetButtonsEnabled(f, true);
    f.ui.Timer[timer::stopWatch]->disable();
}

} // namespace

void Command6_Click(Form& f) {
    // The detector's number and the new one are numbers, or nothing is done.
    if (RefuseNotANumber(f, *f.ui.Text3, NumberUse::send) || RefuseNotANumber(f, *f.ui.Text4, NumberUse::send)) return;
    f.x.operation = kCheckBeforeProgramming;
    f.x.tryCount = 0;
    ShowMessage(f, connectionTestShown, kConnectionTestText);
    BoxCheck(f);
    // A port the driver cannot use is no box to call through: line 43 says
    // why, and nothing is sent, as for every other operation.
    if (!PortUnusable(f) && f.link.deviceCount == 0) ShowMessageLine(f, noBox);
    if (f.link.deviceCount == 0) {
        f.ui.Timer[timer::stopWatch]->disable();
        return;
    }
    if (f.link.deviceCount == 1) {
        ShowMessageLine(f, boxFound);
        f.x.keyPressed.reset();
        f.ui.Timer[timer::stopWatch]->enable();
        ClassicOpen_Click(f);
        ConfigureLine(f);
        if (!BuildNumberFrame(f, code::kCallNumber, f.ui.Text3)) {
            // Nothing has been disabled yet: the window stays as it was.
            f.x.operation = kIdle;
            f.ui.Timer[timer::stopWatch]->disable();
            ClassicClose_Click(f);
        } else {
            FillRxFrame(f, 255);
            SetButtonsEnabled(f, false);
            ProbeOrCall(f);
        }
    }
    f.x.attemptCount = 0;
    f.x.keyPressed.reset();
}

void ProbeOrCall(Form& f) {
    // A detector given the number it has needs no probe: it answers to it.
    // A new number with no frame form cannot be asked for: the call goes,
    // and the new number is refused when its turn comes.
    const double wanted = FrameNumberOf(*f.ui.Text4);
    const Frame probe = EncodeNumberFrame(code::kCallNumber, wanted);
    const bool sendable =
        std::all_of(probe.begin() + 1, probe.end(), [](std::int64_t b) { return b >= 0 && b <= 255; });
    if (wanted == FrameNumberOf(*f.ui.Text3) || !sendable) {
        SendFrameAndPoll(f);
        return;
    }
    f.x.operation = kProbeNewNumber;
    f.x.probeCalls = 1;
    f.x.outFrame = probe;
    SendFrameAndPoll(f);
}

void ProbeHeardNothing(Form& f) {
    if (f.x.operation != kProbeNewNumber) return;
    const std::int64_t waitUs =
        std::clamp<std::int64_t>(3 * f.x.replyTimeUs, NumberProbe::kLeastUs, NumberProbe::kMostUs);
    if (f.clock.nowUs() - f.x.lastSentUs < waitUs) return;
    if (f.x.probeCalls < NumberProbe::kCalls) {
        f.x.probeCalls += 1;
        SendFrameAndPoll(f);
        return;
    }
    // Silence: the number is free, and the detector is called. The call's
    // watchdog starts with its own frame.
    f.ui.Timer[timer::replyPoll]->disable();
    f.ui.Timer[timer::replyWatchdog]->disable();
    f.x.operation = kCheckBeforeProgramming;
    f.x.tryCount = 0;
    if (!BuildNumberFrame(f, code::kCallNumber, f.ui.Text3)) {
        ClassicClose_Click(f);
        GiveWindowBack(f);
        return;
    }
    SendFrameAndPoll(f);
}

void Timer20_Timer(Form& f) {
    f.ui.Timer[timer::sendNewNumber]->disable();
    SendNewNumber(f);
}

void SendNewNumber(Form& f) {
    f.x.operation = kProgramNumber;
    f.x.tryCount = 0;
    // Lines 2, then 1, 3, 50, or 43 with the driver's reason, as every
    // operation looks for the box.
    const std::uint32_t boxes = LookForBox(f);
    if (boxes == 1) {
        ClassicOpen_Click(f);
        ConfigureLine(f);
        if (BuildNumberFrame(f, code::kProgramNumber, f.ui.Text4)) {
            f.x.programmedNumber = FrameNumber(f.x.outFrame);
            FillRxFrame(f, 255);
            SendFrameAndPoll(f);
        } else {
            ClassicClose_Click(f);
            GiveWindowBack(f);
        }
    } else {
        GiveWindowBack(f); // no box, an unusable port, or several boxes
    }
    // A key pressed during the call stays a request to stop the programming.
    f.x.attemptCount = 0;
}

} // namespace quelm
