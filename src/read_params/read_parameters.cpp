#include "read_params/read_parameters.h"

#include "core/roles.h"
#include "form/form_ops.h"
#include "form/number_boxes.h"
#include "form/parameter_table.h"
#include "link/exchange_end.h"
#include "link/session.h"
#include "protocol/codec.h"

namespace quelm {

namespace {

// The read holds the controls of the group it reads: a reply enables them.
// A plain read that fails or is stopped leaves a group it never read
// disabled, visibly not read; the read of a send gives them back with the
// user's values.
void Hold(Form& f, Control* c) {
    if (f.x.paramSendActive == 0)
        HoldUntilRead(f, c);
    else
        HoldControl(f, c);
}

// Holds the controls of the parameters read group `group` brings.
void HoldGroup(Form& f, int group) {
    for (Control* c : ReadGroupControls(f, group)) Hold(f, c);
}

void DisableGroup2(Form& f) { HoldGroup(f, 2); }
void DisableGroup3(Form& f) { HoldGroup(f, 3); }

// The request of `group` for the detector of Text3, taken anew each time.
bool BuildRequest(Form& f, int group) {
    f.x.outFrame = EncodeReadRequest(group, FrameNumberOf(*f.ui.Text3));
    return !UnsendableByte(f).has_value();
}

// Steps shared by the requests of groups 2 and 3: box check, then with one
// box the request. A missing box, several boxes or a detector number without
// a frame form end the read and give the window back to the user.
void ReadLaterGroup(Form& f, int group, int operation, void (*disableGroup)(Form&)) {
    if (LookForBox(f) != 1) {
        EndGivingWindowBack(f);
    } else {
        ClassicOpen_Click(f);
        ConfigureLine(f);
        if (!BuildRequest(f, group)) {
            ShowSendRefused(f, *UnsendableByte(f));
            EndGivingWindowBack(f);
        } else {
            disableGroup(f);
            f.x.tryCount = 0;
            f.x.operation = operation;
            SendFrameAndPoll(f);
        }
    }
    // A key pressed since the read began stays a request to stop: clearing
    // it here would let the read go on past the user's stop.
    f.x.attemptCount = 0;
}

} // namespace

void Command7_Click(Form& f) {
    // A detector number that is no number is refused before the box check:
    // the window stays as it was. The send refuses it itself, as a send.
    if (RefuseNotANumber(f, *f.ui.Text3, NumberUse::read)) return;
    const std::uint32_t boxes = LookForBox(f);
    if (boxes == 0) f.ui.Timer[timer::stopWatch]->disable();
    if (boxes == 1) {
        f.x.keyPressed.reset();
        f.ui.Timer[timer::stopWatch]->enable();
        ClassicOpen_Click(f);
        ConfigureLine(f);
        if (!BuildRequest(f, 1)) {
            // Nothing has been disabled yet: the window stays as it was.
            ShowSendRefused(f, *UnsendableByte(f));
            f.ui.Timer[timer::stopWatch]->disable();
            ClassicClose_Click(f);
        } else {
            HoldGroup(f, kFirstReadGroup);
            // A plain read holds the later groups at once as well: cut short
            // before their requests, they would still show an earlier
            // detector's values as if read.
            if (f.x.paramSendActive == 0) {
                DisableGroup2(f);
                DisableGroup3(f);
            }
            SetButtonsEnabled(f, false);
            f.x.tryCount = 0;
            f.x.operation = kReadGroup1;
            SendFrameAndPoll(f);
        }
    }
    f.x.attemptCount = 0;
    f.x.keyPressed.reset();
}

void ReadParameterGroup2(Form& f) { ReadLaterGroup(f, 2, kReadGroup2, DisableGroup2); }

void ReadParameterGroup3(Form& f) { ReadLaterGroup(f, 3, kReadGroup3, DisableGroup3); }

void Timer23_Timer(Form& f) {
    f.ui.Timer[timer::readGroup2]->disable();
    ReadParameterGroup2(f);
}

void Timer24_Timer(Form& f) {
    f.ui.Timer[timer::readGroup3]->disable();
    ReadParameterGroup3(f);
}

} // namespace quelm
