#include "program_number/program_number.h"

#include "core/roles.h"
#include "form/form_ops.h"
#include "link/session.h"
#include "protocol/number.h"

namespace quelm {

namespace {

// The frame of a step: the code and the number of the box given; false
// (with the refusal shown) when the number has no frame form.
bool BuildNumberFrame(Form& f, int code, const TextBox* box) {
    f.x.outFrame = EncodeNumberFrame(code, NumericValue(box->text()));
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
    f.x.operation = kCheckBeforeProgramming;
    f.x.tryCount = 0;
    ShowMessage(f, connectionTestShown, kConnectionTestText);
    BoxCheck(f);
    // A port the driver cannot use is no box to call through: line 43 says
    // why, and nothing is sent, as for every other operation.
    if (!PortUnusable(f) && f.link.deviceCount == 0) ShowBoxLine(f, noBox);
    if (f.link.deviceCount == 0) {
        f.ui.Timer[timer::stopWatch]->disable();
        return;
    }
    if (f.link.deviceCount == 1) {
        ShowBoxLine(f, boxFound);
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
            SendFrameAndPoll(f);
        }
    }
    f.x.attemptCount = 0;
    f.x.keyPressed.reset();
}

void Timer20_Timer(Form& f) {
    f.ui.Timer[timer::callAgain]->disable();
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

void Text4_Change(Form& f) {
    if (NumericValue(f.ui.Text4->text()) > 1048574) f.ui.Text4->setText("1048574");
}

} // namespace quelm
