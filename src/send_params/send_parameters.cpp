#include "send_params/send_parameters.h"

#include "core/check.h"
#include "core/roles.h"
#include "form/form_ops.h"
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

// One parameter step: the options of its group (first..last) or its level
// box (Text8, 9, 10), the group whose caption names it, and the message
// shown while it is written.
struct Step {
    int timer;
    Parameter parameter;
    int firstOption, lastOption; // 0 for a level
    int levelText;               // 8, 9 or 10 for a level, else 0
    int frame;                   // Frame7 .. Frame18
    MessageLine line;
};

constexpr Step kSteps[] = {
    {7, Parameter::channel, 3, 4, 0, 7, sendingChannel},
    {8, Parameter::dynamicTime, 5, 10, 0, 8, sendingDynamicTime},
    {9, Parameter::outputPower, 11, 13, 0, 12, sendingOutputPower},
    {10, Parameter::riseTime, 14, 20, 0, 13, sendingRiseTime},
    {11, Parameter::fallTime, 21, 27, 0, 14, sendingFallTime},
    {12, Parameter::levelOnPlus, 0, 0, 8, 15, sendingLevelOnPlus},
    {13, Parameter::levelDynPlus, 0, 0, 9, 16, sendingLevelDynPlus},
    {14, Parameter::levelDynMinus, 0, 0, 10, 17, sendingLevelDynMinus},
    {15, Parameter::commandType, 28, 29, 0, 18, sendingCommandType},
};

const Step& StepOf(int timer) {
    QUELM_CHECK(timer >= 7 && timer <= 15);
    return kSteps[timer - 7];
}

TextBox* LevelBox(Form& f, int n) { return n == 8 ? f.ui.Text8 : n == 9 ? f.ui.Text9 : f.ui.Text10; }

OptionButton* Opt(Form& f, int n) { return f.ui.Option[static_cast<std::size_t>(n)]; }

// The controls of the step show the saved value: every option of the group
// in its saved state, or the level exactly the saved number. A level is the
// one the detector reported, which its box shows capped at 100: a detector
// holding 200 shows 100, and a send of 100 must still write it.
bool Equal(Form& f, const Step& s) {
    if (s.levelText != 0) return LevelHeld(f, s.levelText) == f.x.savedText[static_cast<std::size_t>(s.levelText)];
    for (int n = s.firstOption; n <= s.lastOption; ++n)
        if (Opt(f, n)->value() != f.x.savedOption[static_cast<std::size_t>(n)]) return false;
    return true;
}

// The code of the saved choice, as the write command takes it. Output power
// is the one group whose options (min, med, max) run against its codes.
int SavedValue(const Form& f, const Step& s) {
    if (s.levelText != 0) return LevelByte(f.x.savedText[static_cast<std::size_t>(s.levelText)]);
    for (int n = s.firstOption; n <= s.lastOption; ++n)
        if (f.x.savedOption[static_cast<std::size_t>(n)])
            return s.parameter == Parameter::outputPower ? s.lastOption - n : n - s.firstOption;
    return 0;
}

void BuildWriteFrame(Form& f, const Step& s) {
    f.x.outFrame = EncodeWriteCommand(s.parameter, SavedValue(f, s), NumericValue(f.ui.Text3->text()));
}

// The interval of step N's timer for its next run: pass k runs Timer8 to
// Timer15 after (k - 1) x 10 + 1 ms and Timer7 after (k - 1) x 10 + 10 ms,
// over again after the tenth.
void StepCycleBookkeeping(Form& f, int n) {
    int& cycle = f.x.stepCycle[static_cast<std::size_t>(n)];
    cycle += 1;
    if (cycle > 9) cycle = 0;
    f.ui.Timer[static_cast<std::size_t>(n)]->setInterval(cycle * 10 + (n == 7 ? 10 : 1));
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
    std::vector<Control*> controls{f.ui.Frame[15], f.ui.Text8, f.ui.Frame[16], f.ui.Text9, f.ui.Frame[17], f.ui.Text10};
    for (int n = 3; n <= 29; ++n) controls.push_back(Opt(f, n));
    for (Control* c : controls) {
        if (enabled)
            c->setEnabled(true);
        else
            HoldControl(f, c);
    }
}

// Steps 8 to 15.
void ParameterStep(Form& f, int n) {
    const Step& s = StepOf(n);
    StepCycleBookkeeping(f, n);
    f.x.stepTimer = n;
    if (n != 8) f.x.operation = kSendOneParameter;
    f.ui.Timer[static_cast<std::size_t>(n)]->disable();
    if (Equal(f, s)) {
        f.ui.Timer[static_cast<std::size_t>(n + 1)]->enable();
        return;
    }
    BuildWriteFrame(f, s);
    ShowBoxLine(f, s.line);
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
    for (const Step& s : kSteps)
        if (!Equal(f, s))
            names += (names.empty() ? " " : ", ") + Trimmed(f.ui.Frame[static_cast<std::size_t>(s.frame)]->caption());
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
    for (const Step& s : kSteps) {
        if (s.levelText != 0) continue;
        bool any = false;
        for (int n = s.firstOption; n <= s.lastOption; ++n) any = any || Opt(f, n)->value();
        if (any) continue;
        ShowLineWith(f, emptyGroupRefused, Said::EmptyGroupRefused,
                     " " + Trimmed(f.ui.Frame[static_cast<std::size_t>(s.frame)]->caption()));
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
    for (int n : {8, 9, 10}) {
        if (PlainWholeNumber(LevelBox(f, n)->text(), 100)) continue;
        ShowLineWith(f, levelRefused, Said::LevelRefused,
                     " " + Trimmed(f.ui.Frame[static_cast<std::size_t>(n + 7)]->caption()));
        return true;
    }
    return false;
}

} // namespace

MessageLine SendStepLine(int timer) { return timer >= 7 && timer <= 15 ? StepOf(timer).line : noLine; }

std::string SendStepCaption(const Form& f, int timer) {
    if (timer < 7 || timer > 15) return {};
    return Trimmed(f.ui.Frame[static_cast<std::size_t>(StepOf(timer).frame)]->caption());
}

void Command8_Click(Form& f) {
    if (RefuseEmptyGroup(f) || RefuseUnsendableLevel(f)) return;
    for (int n = 3; n <= 29; ++n) f.x.savedOption[static_cast<std::size_t>(n)] = Opt(f, n)->value();
    for (int n : {8, 9, 10}) f.x.savedText[static_cast<std::size_t>(n)] = NumericValue(LevelBox(f, n)->text());
    f.x.paramSendActive = 1;
    f.x.writesOut = 0;
    f.ui.Timer[timer::firstSendStep]->setInterval(10);
    for (int n = 8; n <= 15; ++n) f.ui.Timer[static_cast<std::size_t>(n)]->setInterval(1);
    for (int n = 7; n <= 15; ++n) f.x.stepCycle[static_cast<std::size_t>(n)] = 0;
    f.x.sendPass = 1;
    StartPass(f);
}

void Timer7_Timer(Form& f) {
    StepCycleBookkeeping(f, 7);
    f.x.stepTimer = 7;
    f.ui.Timer[timer::firstSendStep]->disable();
    SendChannelStep(f);
}

void SendChannelStep(Form& f) {
    const Step& s = StepOf(7);
    ShowBoxLine(f, s.line);
    f.ui.Timer[timer::stopWatch]->enable();
    ClassicOpen_Click(f);
    ConfigureLine(f);
    if (Equal(f, s)) {
        f.ui.Timer[8]->enable();
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
    for (const Step& s : kSteps) allEqual = allEqual && Equal(f, s);
    if (allEqual) {
        SetParameterControlsEnabled(f, true);
        f.x.writesOut = 0;
        ShowBoxLine(f, parametersSent);
        SetButtonsEnabled(f, true);
        f.x.paramSendActive = 0;
        return;
    }
    if (f.x.sendPass >= kMaxSendPasses) {
        CutEndlessSend(f);
        return;
    }
    ShowBoxLine(f, parameterDiffers);
    f.x.sendPass += 1;
    StartPass(f);
}

} // namespace quelm
