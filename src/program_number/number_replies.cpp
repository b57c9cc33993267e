#include "program_number/number_replies.h"

#include "core/roles.h"
#include "form/form_ops.h"
#include "form/parameters.h"
#include "link/session.h"
#include "protocol/number.h"

#include <string>

namespace quelm {

namespace {

int NumberOf(const Frame& b) { return static_cast<int>(FrameNumber(b)); }

void ShowReportedNumber(Form& f, int number) { f.ui.Text3->setText(std::to_string(number)); }

// The line that ends a programming: 14 when the detector reports the number
// it was sent, whatever Text4 shows by now. A detector that reports another
// one has not taken it, and "confirmed" would be a lie: line 19 says it was
// not confirmed.
MessageLine ProgrammingEndLine(const Form& f, int reported) {
    if (f.x.operation != kProgramNumber) return numberProgrammed;
    return reported == f.x.programmedNumber ? numberProgrammed : numberNotConfirmed;
}

void EndOperation(Form& f) {
    f.x.operation = kIdle;
    f.x.stepTimer = 0;
    ClassicClose_Click(f);
}

// While a parameter group is being read, a detector's answer to a call is
// no answer to the read: it is the late answer to a call of a send that was
// stopped. Taken for the awaited reply, it would skip the group, and the read
// would end "done" with values it never read. It costs a try instead.
bool ReadRunning(const Form& f) {
    return f.x.operation == kReadGroup1 || f.x.operation == kReadGroup2 || f.x.operation == kReadGroup3;
}

// A call is answered only by the detector called: an answer that carries
// another number (a stray answer, one damaged on the line) taken for it
// would give the wrong detector its new number.
bool AnswersTheCall(const Form& f, const Frame& b) {
    return f.x.operation != kCheckBeforeProgramming || FrameNumber(b) == FrameNumber(f.x.outFrame);
}

} // namespace

// While a write of a send is out, an answer to a call is a late one (the
// watchdog sent the call again and both answers came): it costs a try. The
// answer to the call between two steps of a send is the send's own.
void HandleReply96(Form& f, const Frame& b) {
    if (!IsReply(b, code::kCallNumber) || ReadRunning(f)) return;
    if (f.x.operation == kSendOneParameter || f.x.operation == kCallBetweenSteps) return;
    if (!AnswersTheCall(f, b)) return;
    ShowReportedNumber(f, NumberOf(b));
    SetBoxLine(f, detectorAnswered);
    if (f.x.operation == kProgramNumber) {
        SetBoxLine(f, ProgrammingEndLine(f, NumberOf(b)));
        SetButtonsEnabled(f, true);
        EndOperation(f);
    }
    f.ui.Text5->repaint();
    f.x.tryCount = 10;
}

void HandleReply97(Form& f, const Frame& b) {
    if (!IsReply(b, code::kProgramNumber)) return;
    ShowReportedNumber(f, NumberOf(b));
    SetBoxLine(f, ProgrammingEndLine(f, NumberOf(b)));
    EndOperation(f);
    f.ui.Text5->repaint();
    SetButtonsEnabled(f, true);
    f.ui.Timer[timer::stopWatch]->disable();
    // A send that this reply cut short would leave its controls disabled and
    // turn the next plain read into a send: the user's values come back.
    if (f.x.paramSendActive == 1) RestoreParameterControls(f);
    f.x.tryCount = 10;
}

void NumberStepOver(Form& f) {
    if (f.x.operation == kProgramNumber && f.x.tryCount == 10) {
        f.x.tryCount = 0;
        SetBoxLine(f, numberNotConfirmed);
        EndOperation(f);
        f.ui.Text5->repaint();
        SetButtonsEnabled(f, true);
    }
    if (f.x.operation == kCheckBeforeProgramming) {
        if (f.x.tryCount == 10) {
            // The operation, the session and the stop watch stay as they are.
            f.x.tryCount = 0;
            ShowBoxLine(f, noAnswerToCall);
            SetButtonsEnabled(f, true);
        } else {
            f.ui.Timer[timer::callAgain]->enable();
        }
    }
}

void NumberRetry(Form& f) {
    if (f.x.operation != kCheckBeforeProgramming && f.x.operation != kProgramNumber) return;
    ShowCountedLine(f, f.x.tryCount, replyTries);
    SendFrameAndPoll(f);
}

} // namespace quelm
