#include "link/exchange_end.h"

#include "core/roles.h"
#include "form/form_ops.h"
#include "form/parameters.h"
#include "link/session.h"

namespace quelm {

// A whole watchdog period without an answer while the message line still
// says only that the box was found: the user learns that the detector is
// silent and that a key stops the waiting.
void Timer6_Timer(Form& f) {
    f.ui.Timer[timer::replyWatchdog]->disable();
    if (f.x.keyPressed) MarkStopRequested(f.x);
    if (!f.x.keyPressed && f.x.shownLine == boxFound) ShowLineWith(f, detectorSilent, Said::DetectorSilent, "");
    f.x.attemptCount += 1;
    SendFrameAndPoll(f);
}

void Timer3_Timer(Form& f) {
    if (!f.x.keyPressed) return;
    StopExchange(f, stopShown, " STOP");
}

void StopExchange(Form& f, MessageLine k, const std::string& message) {
    ClassicClose_Click(f);
    MarkStopRequested(f.x);
    for (ModelTimer* t : f.ui.timers()) t->disable();
    SetButtonsEnabled(f, true);
    ShowMessage(f, k, message);
    SayValuesUncertain(f);
    f.x.operation = kIdle;
    f.x.paramSendActive = 0;
}

void EndOnLostBox(Form& f) {
    f.ui.LoggerList->addItem("Box gone: status=" + std::to_string(f.link.lastStatus));
    StopExchange(f, noBox, f.tables.messageLine(noBox));
}

void EndGivingWindowBack(Form& f) {
    f.x.operation = kIdle;
    f.x.stepTimer = 0;
    ClassicClose_Click(f);
    SetButtonsEnabled(f, true);
    f.ui.Timer[timer::stopWatch]->disable();
    if (f.x.paramSendActive == 1) RestoreParameterControls(f);
    SayValuesUncertain(f);
}

} // namespace quelm
