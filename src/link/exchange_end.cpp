#include "link/exchange_end.h"

#include "form/form_ops.h"
#include "form/parameters.h"
#include "link/session.h"

namespace quelm {

void Timer6_Timer(Form& f) {
    f.ui.Timer[6]->disable();
    if (f.x.keyPressed) f.x.attemptCount = kAbortMarker;
    f.x.attemptCount += 1;
    SendFrameAndPoll(f);
}

void Timer3_Timer(Form& f) {
    if (!f.x.keyPressed) return;
    StopExchange(f, " STOP");
}

void StopExchange(Form& f, const std::string& message) {
    ClassicClose_Click(f);
    f.x.attemptCount = kAbortMarker;
    for (int n : {1, 3, 4, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 23, 24, 25, 27, 28})
        f.ui.Timer[n]->disable();
    SetButtonsEnabled(f, true);
    ShowMessage(f, message);
    f.x.operation = kIdle;
    f.x.paramSendActive = 0;
}

void EndOnLostBox(Form& f) {
    f.ui.LoggerList->addItem("Box gone: status=" + std::to_string(f.link.lastStatus));
    StopExchange(f, f.tables.boxLine(1));
}

void EndGivingWindowBack(Form& f) {
    f.x.operation = kIdle;
    f.x.stepTimer = 0;
    ClassicClose_Click(f);
    SetButtonsEnabled(f, true);
    f.ui.Timer[3]->disable();
    if (f.x.paramSendActive == 1) RestoreParameterControls(f);
}

} // namespace quelm
