#include "send_params/send_parameters.h"

#include "core/check.h"
#include "core/roles.h"
#include "form/form_ops.h"
#include "form/number_boxes.h"
#include "form/parameter_table.h"
#include "form/parameters.h"
#include "link/exchange_end.h"
#include "link/session.h"
#include "protocol/codec.h"
#include "protocol/number.h"
#include "read_params/read_parameters.h"

#include <cmath>
#include <string>
#include <vector>

namespace quelm {

namespace {

// The row a send step writes.
const ParameterRow& StepOf(std::size_t timer) {
    const ParameterRow* row = RowOfSendTimer(timer);
    QUELM_CHECK(row != nullptr);
    return *row;
}

OptionButton* Opt(Form& f, int n) { return f.ui.Option[static_cast<std::size_t>(n)]; }

std::string Caption(const Form& f, const ParameterRow& row) { return f.ui.Frame[row.frame]->caption(); }

// The controls of the step show the saved value: every option of the group
// in its saved state, or the level exactly the saved number. A level is the
// one the detector reported, which its box shows capped at 100: a detector
// holding 200 shows 100, and a send of 100 must still write it.
bool Equal(Form& f, const ParameterRow& s) {
    if (s.isLevel()) return LevelHeld(f, s.levelText) == f.x.savedText[static_cast<std::size_t>(s.levelText)];
    for (int n = FirstOption(s); n <= LastOption(s); ++n)
        if (Opt(f, n)->value() != f.x.savedOption[static_cast<std::size_t>(n)]) return false;
    return true;
}

// The value of the saved choice, as the write command takes it.
int SavedValue(const Form& f, const ParameterRow& s) {
    if (s.isLevel()) return LevelByte(f.x.savedText[static_cast<std::size_t>(s.levelText)]);
    for (const ParameterChoice& c : s.choices)
        if (f.x.savedOption[static_cast<std::size_t>(c.option)]) return c.writeValue;
    return 0;
}

void BuildWriteFrame(Form& f, const ParameterRow& s) {
    f.x.outFrame = EncodeWriteCommand(s.parameter, SavedValue(f, s), FrameNumberOf(*f.ui.Text3));
}

// The interval of step N's timer for its next run: pass k runs Timer8 to
// Timer15 after (k - 1) x 10 + 1 ms and Timer7 after (k - 1) x 10 + 10 ms,
// over again after the tenth.
void StepCycleBookkeeping(Form& f, std::size_t n) {
    int& cycle = f.x.stepCycle[n];
    cycle += 1;
    if (cycle > 9) cycle = 0;
    f.ui.Timer[n]->setInterval(
        cycle * 10 + (n == timer::firstSendStep ? timer::firstSendStep.intervalMs : timer::sendStepIntervalMs));
}

// Sends the step's frame; a frame with no byte form (a detector number
// changed during the send to one that has none) ends the send with the
// refusal shown, the user's values back and the window given back.
//
// A key pressed since the send began stays a request to stop: the steps do
// not clear it, so the stop watch ends the send within its 100 ms.
void SendStepFrame(Form& f) {
    if (SendFrameAndPoll(f))
        f.x.writesOut += 1;
    else
        EndGivingWindowBack(f);
    f.x.attemptCount = 0;
}

// Disabled, the controls are held by the send: a stop gives them back.
void SetParameterControlsEnabled(Form& f, bool enabled) {
    std::vector<Control*> controls;
    for (bool levels : {true, false})
        for (const ParameterRow& row : ParameterTable())
            if (row.isLevel() == levels) {
                const auto own = RowControls(f, row);
                controls.insert(controls.end(), own.begin(), own.end());
            }
    for (Control* c : controls) {
        if (enabled)
            c->setEnabled(true);
        else
            HoldControl(f, c);
    }
}

// The steps after the first: dynamic time to command type.
void ParameterStep(Form& f, std::size_t n) {
    const ParameterRow& s = StepOf(n);
    StepCycleBookkeeping(f, n);
    f.x.stepTimer = static_cast<int>(n);
    // The second step is the only one not reached through a write's call.
    if (n != timer::firstSendStep + 1) f.x.operation = kSendOneParameter;
    f.ui.Timer[n]->disable();
    if (Equal(f, s)) {
        f.ui.Timer[n + 1]->enable();
        return;
    }
    BuildWriteFrame(f, s);
    ShowMessageLine(f, s.sendingLine);
    f.x.tryCount = 0; // the tries of this write, as step 7 counts its own
    SendStepFrame(f);
}

std::string Trimmed(std::string s) {
    while (!s.empty() && s.back() == ' ') s.pop_back();
    return s;
}

// The captions of the groups whose controls still differ from the saved set.
std::string DifferingParameters(Form& f) {
    std::string names;
    for (const ParameterRow& s : ParameterTable())
        if (!Equal(f, s)) names += (names.empty() ? " " : ", ") + Trimmed(Caption(f, s));
    return names;
}

// The passes never agree: the detector does not take a value. The message
// names what it never showed; the user's values come back into the window.
void CutEndlessSend(Form& f) {
    ShowLineWith(f, sendNeverConfirmed, Said::SendNeverConfirmed, DifferingParameters(f));
    EndGivingWindowBack(f);
}

// Starts the read of a pass. When it sends nothing (no box, several boxes,
// a number with no frame form) the send ends there: at the first pass
// nothing was disabled yet; at a later one the window is given back.
void StartPass(Form& f) {
    const auto key = f.x.keyPressed;
    Command7_Click(f);
    if (f.x.sendPass > 1) f.x.keyPressed = key; // a later pass goes on with the send's stop request
    if (f.ui.Timer[timer::replyPoll]->enabled()) return;
    if (f.x.sendPass == 1)
        f.x.paramSendActive = 0;
    else
        EndGivingWindowBack(f);
}

// A group with no option selected (the detector holds a code no option
// stands for) has no value to write: writing one the user never chose would
// change the detector behind the user's back. The message names the group.
bool RefuseEmptyGroup(Form& f) {
    for (const ParameterRow& s : ParameterTable()) {
        if (s.isLevel()) continue;
        bool any = false;
        for (int n = FirstOption(s); n <= LastOption(s); ++n) any = any || Opt(f, n)->value();
        if (any) continue;
        std::string named = " ";
        named += Trimmed(Caption(f, s));
        ShowLineWith(f, emptyGroupRefused, Said::EmptyGroupRefused, named);
        return true;
    }
    return false;
}

// A level goes out as the whole percent its box shows, or not at all: a
// text that is no plain number ("abc", "12,5", "5x", an empty box) would
// otherwise be written as whatever number it starts with, and a fraction
// could never be shown back by the detector, which holds whole percents.
// The message names the box.
bool RefuseUnsendableLevel(Form& f) {
    for (const ParameterRow& s : ParameterTable()) {
        if (!s.isLevel() || PlainWholeNumber(LevelBox(f, s.levelText)->text(), 100)) continue;
        std::string named = " ";
        named += Trimmed(Caption(f, s));
        ShowLineWith(f, levelRefused, Said::LevelRefused, named);
        return true;
    }
    return false;
}

} // namespace

MessageLine SendStepLine(int timer) {
    const ParameterRow* row = timer < 0 ? nullptr : RowOfSendTimer(static_cast<std::size_t>(timer));
    return row ? row->sendingLine : noLine;
}

std::string SendStepCaption(const Form& f, int timer) {
    const ParameterRow* row = timer < 0 ? nullptr : RowOfSendTimer(static_cast<std::size_t>(timer));
    return row ? Trimmed(Caption(f, *row)) : std::string();
}

void Command8_Click(Form& f) {
    if (RefuseNotANumber(f, *f.ui.Text3, NumberUse::send) || RefuseEmptyGroup(f) || RefuseUnsendableLevel(f)) return;
    for (std::size_t n = option::firstParameter; n <= option::lastParameter; ++n)
        f.x.savedOption[n] = f.ui.Option[n]->value();
    for (const ParameterRow& s : ParameterTable())
        if (s.isLevel())
            f.x.savedText[static_cast<std::size_t>(s.levelText)] = NumericValue(LevelBox(f, s.levelText)->text());
    f.x.paramSendActive = 1;
    f.x.writesOut = 0;
    for (const ParameterRow& s : ParameterTable()) {
        f.ui.Timer[s.sendTimer]->setInterval(s.sendTimer == timer::firstSendStep ? timer::firstSendStep.intervalMs
                                                                                 : timer::sendStepIntervalMs);
        f.x.stepCycle[s.sendTimer] = 0;
    }
    f.x.sendPass = 1;
    StartPass(f);
}

void Timer7_Timer(Form& f) {
    StepCycleBookkeeping(f, timer::firstSendStep);
    f.x.stepTimer = static_cast<int>(timer::firstSendStep.number);
    f.ui.Timer[timer::firstSendStep]->disable();
    SendChannelStep(f);
}

void SendChannelStep(Form& f) {
    const ParameterRow& s = StepOf(timer::firstSendStep);
    ShowMessageLine(f, s.sendingLine);
    f.ui.Timer[timer::stopWatch]->enable();
    ClassicOpen_Click(f);
    ConfigureLine(f);
    if (Equal(f, s)) {
        f.ui.Timer[timer::firstSendStep + 1]->enable();
        return;
    }
    BuildWriteFrame(f, s);
    SetParameterControlsEnabled(f, false);
    f.x.operation = kSendOneParameter;
    f.x.tryCount = 0;
    SendStepFrame(f);
}

void Timer8_Timer(Form& f) { ParameterStep(f, 8); }
void Timer9_Timer(Form& f) { ParameterStep(f, 9); }
void Timer10_Timer(Form& f) { ParameterStep(f, 10); }
void Timer11_Timer(Form& f) { ParameterStep(f, 11); }
void Timer12_Timer(Form& f) { ParameterStep(f, 12); }
void Timer13_Timer(Form& f) { ParameterStep(f, 13); }
void Timer14_Timer(Form& f) { ParameterStep(f, 14); }
void Timer15_Timer(Form& f) { ParameterStep(f, 15); }

void Timer16_Timer(Form& f) {
    f.x.stepTimer = 16;
    f.x.operation = kSendOneParameter;
    f.ui.Timer[timer::lastSendStep]->disable();
    bool allEqual = true;
    for (const ParameterRow& s : ParameterTable()) allEqual = allEqual && Equal(f, s);
    if (allEqual) {
        SetParameterControlsEnabled(f, true);
        f.x.writesOut = 0;
        ShowMessageLine(f, parametersSent);
        SetButtonsEnabled(f, true);
        f.x.paramSendActive = 0;
        return;
    }
    if (f.x.sendPass >= kMaxSendPasses) {
        CutEndlessSend(f);
        return;
    }
    ShowMessageLine(f, parameterDiffers);
    f.x.sendPass += 1;
    StartPass(f);
}

} // namespace quelm
