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
// would give the wrong detector its new number, or refuse a free one.
bool AnswersTheCall(const Form& f, const Frame& b) {
    const bool calling = f.x.operation == kCheckBeforeProgramming || f.x.operation == kProbeNewNumber;
    return !calling || FrameNumber(b) == FrameNumber(f.x.outFrame);
}

// A detector answers to the new number: programming another onto it would
// make two detectors answer to one number. Nothing is programmed.
FrameUse RefuseTakenNumber(Form& f, const Frame& b) {
    ShowLineWith(f, newNumberAnswers, Said::NewNumberAnswers, Str(NumberOf(b)));
    EndOperation(f);
    SetButtonsEnabled(f, true);
    f.ui.Timer[timer::stopWatch]->disable();
    return FrameUse::taken;
}

// A 96 or 97 reply carries a detector number: one beyond 1048574 is no
// number (a damaged frame that passed its check byte) and is not shown.
bool CarriesANumber(const Frame& b) { return FrameNumber(b) <= kMaxDetectorNumber; }

} // namespace

// While a write of a send is out, an answer to a call is a late one (the
// watchdog sent the call again and both answers came): it costs a try. The
// answer to the call between two steps of a send is the send's own.
FrameUse HandleReply96(Form& f, const Frame& b) {
    if (!IsReply(b, code::kCallNumber) || !CarriesANumber(b) || ReadRunning(f)) return FrameUse::passedOn;
    if (f.x.operation == kSendOneParameter || f.x.operation == kCallBetweenSteps) return FrameUse::passedOn;
    if (!AnswersTheCall(f, b)) return FrameUse::passedOn;
    if (f.x.operation == kProbeNewNumber) return RefuseTakenNumber(f, b);
    ShowReportedNumber(f, NumberOf(b));
    SetMessageLine(f, detectorAnswered);
    if (f.x.operation == kProgramNumber) {
        SetMessageLine(f, ProgrammingEndLine(f, NumberOf(b)));
        SetButtonsEnabled(f, true);
        EndOperation(f);
    }
    f.ui.Text5->repaint();
    return FrameUse::taken;
}

// While the programming calls or probes, a 97 is no confirmation of a number
// not yet sent: it costs a try.
FrameUse HandleReply97(Form& f, const Frame& b) {
    if (!IsReply(b, code::kProgramNumber) || !CarriesANumber(b)) return FrameUse::passedOn;
    if (f.x.operation == kCheckBeforeProgramming || f.x.operation == kProbeNewNumber) return FrameUse::passedOn;
    ShowReportedNumber(f, NumberOf(b));
    SetMessageLine(f, ProgrammingEndLine(f, NumberOf(b)));
    EndOperation(f);
    f.ui.Text5->repaint();
    SetButtonsEnabled(f, true);
    f.ui.Timer[timer::stopWatch]->disable();
    // A send that this reply cut short would leave its controls disabled and
    // turn the next plain read into a send: the user's values come back.
    if (f.x.paramSendActive == 1) RestoreParameterControls(f);
    return FrameUse::taken;
}

void NumberStepOver(Form& f, StepOutcome end) {
    const bool failed = end == StepOutcome::outOfTries;
    if (f.x.operation == kProgramNumber && failed) {
        SetMessageLine(f, numberNotConfirmed);
        EndOperation(f);
        f.ui.Text5->repaint();
        SetButtonsEnabled(f, true);
    }
    if (f.x.operation == kCheckBeforeProgramming) {
        if (failed) {
            // The operation, the session and the stop watch stay as they are.
            ShowMessageLine(f, noAnswerToCall);
            SetButtonsEnabled(f, true);
        } else {
            f.ui.Timer[timer::sendNewNumber]->enable();
        }
    }
    // Every try a frame, none of them an answer or silence: whether the new
    // number is free cannot be told, and nothing is programmed.
    if (f.x.operation == kProbeNewNumber && failed) {
        ShowLineWith(f, noValidAnswer, Said::NoValidAnswer, "");
        EndOperation(f);
        SetButtonsEnabled(f, true);
        f.ui.Timer[timer::stopWatch]->disable();
    }
}

void NumberRetry(Form& f) {
    const int op = f.x.operation;
    if (op != kCheckBeforeProgramming && op != kProbeNewNumber && op != kProgramNumber) return;
    ShowCountedLine(f, f.x.tryCount, replyTries);
    SendFrameAndPoll(f);
}

} // namespace quelm
