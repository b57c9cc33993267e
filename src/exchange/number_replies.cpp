#include "exchange/number_replies.h"

#include "detector/send_parameters.h"
#include "exchange/form_ops.h"
#include "exchange/read_chain.h"
#include "link/session.h"
#include "protocol/number.h"

#include <string>

namespace quelm {

namespace {

bool Taken(const Frame& b, int code) { return b[1] == code && CheckByteRight(b); }

int NumberOf(const Frame& b) { return static_cast<int>(FrameNumber(b)); }

void ShowReportedNumber(Form& f, int number) { f.ui.Text3->setText(std::to_string(number)); }

// The call between two steps of a send was answered: the step after the one
// that ran last, or step 7 when none has run in this pass.
void EnableNextSendStep(Form& f) {
    const int step = f.x.stepTimer;
    if (step < 7 || step > 16) f.ui.Timer[7]->enable();
    if (step >= 7 && step <= 15) f.ui.Timer[static_cast<std::size_t>(step + 1)]->enable();
}

// The line that ends a programming: 14 when the detector reports the number
// it was sent, whatever Text4 shows by now. A detector that reports another
// one has not taken it, and "confirmed" would be a lie: line 19 says it was
// not confirmed.
int ProgrammingEndLine(const Form& f, int reported) {
    if (f.x.operation != kProgramNumber) return 14;
    return reported == f.x.programmedNumber ? 14 : 19;
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
    const int op = f.x.operation;
    return (op != kCheckBeforeProgramming && op != kCallBetweenSteps) || FrameNumber(b) == FrameNumber(f.x.outFrame);
}

// A write or a call of a send of parameters is out, and the frame just
// taken sent nothing more: the reply 66 that ends a pass's read sends the
// call itself, in the same tick, and that call is not a retry.
bool SendStepOut(const Form& f) {
    const int op = f.x.operation;
    return f.x.paramSendActive == 1 && !f.ui.Timer[17]->enabled() &&
           (op == kCallBetweenSteps || (op == kSendOneParameter && f.x.stepTimer != 16));
}

} // namespace

// While a write is out, an answer to a call is a late one (the watchdog sent
// the call again and both answers came): it costs a try.
void HandleReply96(Form& f, const Frame& b) {
    if (!Taken(b, code::kCallNumber) || ReadRunning(f) || f.x.operation == kSendOneParameter) return;
    if (!AnswersTheCall(f, b)) return;
    if (f.x.operation == kCallBetweenSteps) {
        EnableNextSendStep(f);
        f.x.tryCount = 10;
        return;
    }
    ShowReportedNumber(f, NumberOf(b));
    f.ui.Text5->setText(f.tables.boxLine(13));
    if (f.x.operation == kProgramNumber) {
        f.ui.Text5->setText(f.tables.boxLine(ProgrammingEndLine(f, NumberOf(b))));
        SetButtonsEnabled(f, true);
        EndOperation(f);
    }
    f.ui.Text5->repaint();
    f.x.tryCount = 10;
}

void HandleReply97(Form& f, const Frame& b) {
    if (!Taken(b, code::kProgramNumber)) return;
    ShowReportedNumber(f, NumberOf(b));
    f.ui.Text5->setText(f.tables.boxLine(ProgrammingEndLine(f, NumberOf(b))));
    EndOperation(f);
    f.ui.Text5->repaint();
    SetButtonsEnabled(f, true);
    f.ui.Timer[3]->disable();
    // A send that this reply cut short would leave its controls disabled and
    // turn the next plain read into a send: the user's values come back.
    if (f.x.paramSendActive == 1) RestoreParameterControls(f);
    f.x.tryCount = 10;
}

void NumberStepOver(Form& f) {
    if (f.x.operation == kProgramNumber && f.x.tryCount == 10) {
        f.x.tryCount = 0;
        f.ui.Text5->setText(f.tables.boxLine(19));
        EndOperation(f);
        f.ui.Text5->repaint();
        SetButtonsEnabled(f, true);
    }
    if (f.x.operation == kCheckBeforeProgramming) {
        if (f.x.tryCount == 10) {
            // The operation, the session and the stop watch stay as they are.
            f.x.tryCount = 0;
            ShowBoxLine(f, 20);
            SetButtonsEnabled(f, true);
        } else {
            f.ui.Timer[20]->enable();
        }
    }
}

void NumberRetry(Form& f) {
    if (f.x.operation != kCheckBeforeProgramming && f.x.operation != kProgramNumber) return;
    ShowMessage(f, Str(f.x.tryCount) + f.tables.boxLine(10));
    SendFrameAndPoll(f);
}

// The acknowledgement is the awaited answer to a write, and to a call the
// box answers itself: it ends the step, and costs no try.
void SendHandshakeAcknowledgement(Form& f) {
    if (f.x.operation == kCallBetweenSteps || (f.x.operation == kSendOneParameter && f.x.stepTimer != 16)) {
        f.ui.Timer[27]->enable();
        f.x.tryCount = 10;
    }
}

void SendStepOver(Form& f) {
    if (!SendStepOut(f) || f.x.tryCount != 10) return;
    f.x.tryCount = 0;
    const std::string caption = SendStepCaption(f, f.x.stepTimer);
    ShowMessage(f, BoxLineOr(f, 51, Said::NoValidAnswer) + (caption.empty() ? "" : " (" + caption + ")"));
    EndReadGivingWindowBack(f);
}

void SendStepRetry(Form& f) {
    if (!SendStepOut(f)) return;
    const int line = f.x.outFrame[1] == code::kCallNumber ? 28 : SendStepLine(f.x.stepTimer);
    ShowMessage(f, Str(f.x.tryCount) + f.tables.boxLine(line));
    f.ui.Timer[28]->setInterval(10 * f.x.tryCount);
    f.ui.Timer[28]->enable();
}

void Timer27_Timer(Form& f) {
    f.ui.Timer[27]->disable();
    // The stop key leaves this timer running; a call after the stop would
    // take the send up again behind the user's back.
    if (f.x.paramSendActive == 1) SendCallNumber(f);
}

// The send is under way: a key pressed since it began is a request to stop
// it, and is not cleared here.
void SendCallNumber(Form& f) {
    ShowBoxLine(f, 28);
    f.ui.Timer[3]->enable();
    ClassicOpen_Click(f);
    ConfigureLine(f);
    f.x.outFrame = EncodeNumberFrame(code::kCallNumber, NumericValue(f.ui.Text3->text()));
    f.x.tryCount = 0;
    f.x.operation = kCallBetweenSteps;
    // A number without a frame form (changed during the send) ends the send
    // with the refusal shown, instead of leaving it waiting for nothing.
    if (!SendFrameAndPoll(f)) EndReadGivingWindowBack(f);
    f.x.attemptCount = 0;
}

} // namespace quelm
