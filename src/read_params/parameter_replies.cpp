#include "read_params/parameter_replies.h"

#include "core/roles.h"
#include "form/form_ops.h"
#include "form/parameter_table.h"
#include "form/parameters.h"
#include "link/session.h"

namespace quelm {

namespace {

// While a parameter group is being read, only the reply to that group's
// request counts: a late reply to an earlier request (the watchdog resent it,
// and both answers came) or to another group would otherwise end the step as
// if the awaited group had been read, and the read would report success with
// a group it never read. Such a frame costs a try like any wrong frame.
// While a write or a call of a send is out, a parameter reply is a late one
// as well, and costs a try. Otherwise a parameter reply is decoded whenever
// it comes, but while a programming calls a detector or probes its new
// number: only the answer to the call may lead to the new number.
bool Taken(const Form& f, const Frame& b, int replyCode) {
    if (!IsReply(b, replyCode)) return false;
    switch (f.x.operation) {
    case kReadGroup1: return replyCode == code::kReadGroup1;
    case kReadGroup2: return replyCode == code::kReadGroup2;
    case kReadGroup3: return replyCode == code::kReadGroup3;
    case kSendOneParameter:
    case kCallBetweenSteps:
    case kCheckBeforeProgramming:
    case kProbeNewNumber:
    case kProgramNumber: return false;
    default: return true;
    }
}

// The tries of a read that is not the first ran out without its reply.
void EndFailedRead(Form& f, MessageLine line) {
    SetMessageLine(f, line);
    f.x.operation = kIdle;
    f.x.stepTimer = 0;
    ClassicClose_Click(f);
    f.ui.Text5->repaint();
    SetButtonsEnabled(f, true);
    if (f.x.paramSendActive == 1) RestoreParameterControls(f);
}

// A plain read gives back the controls of the group its reply brought.
void EnableGroup(Form& f, int group) {
    for (Control* c : ReadGroupControls(f, group)) c->setEnabled(true);
}

} // namespace

FrameUse HandleReply64(Form& f, const Frame& b) {
    if (!Taken(f, b, code::kReadGroup1)) return FrameUse::passedOn;
    ApplyParameterReply(f, b);
    if (f.x.paramSendActive == 0) EnableGroup(f, 1);
    ShowMessageLine(f, group1Read);
    return FrameUse::taken;
}

FrameUse HandleReply65(Form& f, const Frame& b) {
    if (!Taken(f, b, code::kReadGroup2)) return FrameUse::passedOn;
    ApplyParameterReply(f, b);
    if (f.x.paramSendActive == 0) EnableGroup(f, 2);
    ShowMessageLine(f, group2Read);
    return FrameUse::taken;
}

FrameUse HandleReply66(Form& f, const Frame& b) {
    if (!Taken(f, b, code::kReadGroup3)) return FrameUse::passedOn;
    ApplyParameterReply(f, b);
    if (f.x.paramSendActive == 0) EnableGroup(f, 3);
    SetMessageLine(f, parametersRead);
    f.x.operation = kIdle;
    f.x.stepTimer = 0;
    ClassicClose_Click(f);
    f.ui.Text5->repaint();
    if (f.x.paramSendActive == 0) SetButtonsEnabled(f, true);
    // A send goes on with its call: its stop watch keeps running (stopping
    // and starting it again would put off its next look at the keys).
    if (f.x.paramSendActive == 0) f.ui.Timer[timer::stopWatch]->disable();
    return FrameUse::taken;
}

void ParameterReadStepOver(Form& f, StepOutcome end) {
    const bool failed = end == StepOutcome::outOfTries;
    if (f.x.operation == kReadGroup3 && failed) EndFailedRead(f, group3ReadFailed);
    if (f.x.operation == kReadGroup2) {
        if (failed)
            EndFailedRead(f, group2ReadFailed);
        else
            f.ui.Timer[timer::readGroup3]->enable();
    }
    if (f.x.operation == kReadGroup1) {
        if (failed) {
            // Group 1: operation, session and stop watch stay as they are.
            ShowMessageLine(f, group1ReadFailed);
            SetButtonsEnabled(f, true);
            if (f.x.paramSendActive == 1) RestoreParameterControls(f);
        } else {
            f.ui.Timer[timer::readGroup2]->enable();
        }
    }
}

void ParameterReadRetry(Form& f) {
    MessageLine line = noLine;
    if (f.x.operation == kReadGroup1) line = group1Tries;
    if (f.x.operation == kReadGroup2) line = group2Tries;
    if (f.x.operation == kReadGroup3) line = group3Tries;
    if (line == noLine) return;
    ShowCountedLine(f, f.x.tryCount, line);
    f.ui.Timer[timer::retry]->setInterval(10 * f.x.tryCount);
    f.ui.Timer[timer::retry]->enable();
}

void Timer28_Timer(Form& f) {
    f.ui.Timer[timer::retry]->disable();
    SendFrameAndPoll(f);
}

} // namespace quelm
