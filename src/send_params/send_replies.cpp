#include "send_params/send_replies.h"

#include "core/roles.h"
#include "form/form_ops.h"
#include "form/number_boxes.h"
#include "link/exchange_end.h"
#include "link/session.h"
#include "protocol/number.h"
#include "send_params/send_parameters.h"

#include <string>

namespace quelm {

namespace {

// The call between two steps of a send was answered: the step after the one
// that ran last, or step 7 when none has run in this pass.
void EnableNextSendStep(Form& f) {
    const int step = f.x.stepTimer;
    if (step < 7 || step > 16) f.ui.Timer[timer::firstSendStep]->enable();
    if (step >= 7 && step <= 15) f.ui.Timer[static_cast<std::size_t>(step + 1)]->enable();
}

// A write or a call of a send of parameters is out, and the frame just
// taken sent nothing more: the reply 66 that ends a pass's read sends the
// call itself, in the same tick, and that call is not a retry.
bool SendStepOut(const Form& f) {
    const int op = f.x.operation;
    return f.x.paramSendActive == 1 && !f.ui.Timer[timer::replyPoll]->enabled() &&
           (op == kCallBetweenSteps || (op == kSendOneParameter && f.x.stepTimer != 16));
}

} // namespace

// The detector called between two steps answered with its number: the next
// step goes.
FrameUse HandleCallAnswer(Form& f, const Frame& b) {
    if (f.x.operation != kCallBetweenSteps || !IsReply(b, code::kCallNumber)) return FrameUse::passedOn;
    if (FrameNumber(b) != FrameNumber(f.x.outFrame)) return FrameUse::passedOn;
    EnableNextSendStep(f);
    return FrameUse::taken;
}

// A pass's read of the detector ended with group 3: a send goes on with the
// call of the detector, the first step of its handshake.
void CallAfterTheRead(Form& f) {
    if (f.x.paramSendActive != 1) return;
    // The call goes out inside this tick, whose step evaluation then ends
    // the read's step: the call, awaiting its reply, keeps all its tries.
    SendCallNumber(f);
}

// The acknowledgement is the awaited answer to a write, and to a call the
// box answers itself: it ends the step, and costs no try.
FrameUse SendHandshakeAcknowledgement(Form& f) {
    if (f.x.operation != kCallBetweenSteps && (f.x.operation != kSendOneParameter || f.x.stepTimer == 16))
        return FrameUse::passedOn;
    f.ui.Timer[timer::callBetweenSteps]->enable();
    return FrameUse::taken;
}

void SendStepOver(Form& f, StepOutcome end) {
    if (!SendStepOut(f) || end != StepOutcome::outOfTries) return;
    const std::string caption = SendStepCaption(f, f.x.stepTimer);
    ShowLineWith(f, noValidAnswer, Said::NoValidAnswer, (caption.empty() ? "" : " (" + caption + ")"));
    EndGivingWindowBack(f);
}

void SendStepRetry(Form& f) {
    if (!SendStepOut(f)) return;
    const MessageLine line = f.x.outFrame[1] == code::kCallNumber ? callingDetector : SendStepLine(f.x.stepTimer);
    ShowCountedLine(f, f.x.tryCount, line);
    f.ui.Timer[timer::retry]->setInterval(10 * f.x.tryCount);
    f.ui.Timer[timer::retry]->enable();
}

void Timer27_Timer(Form& f) {
    f.ui.Timer[timer::callBetweenSteps]->disable();
    // The stop key leaves this timer running; a call after the stop would
    // take the send up again behind the user's back.
    if (f.x.paramSendActive == 1) SendCallNumber(f);
}

// The send is under way: a key pressed since it began is a request to stop
// it, and is not cleared here.
void SendCallNumber(Form& f) {
    ShowMessageLine(f, callingDetector);
    f.ui.Timer[timer::stopWatch]->enable();
    ClassicOpen_Click(f);
    ConfigureLine(f);
    f.x.outFrame = EncodeNumberFrame(code::kCallNumber, FrameNumberOf(*f.ui.Text3));
    f.x.tryCount = 0;
    f.x.operation = kCallBetweenSteps;
    // A number without a frame form (changed during the send) ends the send
    // with the refusal shown, instead of leaving it waiting for nothing.
    if (!SendFrameAndPoll(f)) EndGivingWindowBack(f);
    f.x.attemptCount = 0;
}

} // namespace quelm
