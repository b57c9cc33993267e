// Every button that talks to the box refuses at once when no box is
// attached, when several are, or when a number it would send has no frame
// form: nothing goes to the box, the message line says why, and the window
// comes back whole, on the spot and a second later.
#include "form/form_ops.h"
#include "program_number/program_number.h"
#include "shell/startup.h"
#include "support/start_up_files.h"
#include "support/test_rig.h"

#include <gtest/gtest.h>

using namespace quelm;
using namespace quelm::test;

namespace {

// What a refusal leaves as it stands: the programming keeps its operation
// number, the test number its open session, the start-up its stop watch.
// The stop watch runs when a button is pressed, as after the start-up, but
// for the buttons that leave it as they find it: those are pressed with it
// stopped, and must not start it.
enum Leaves : unsigned { kNothing = 0, kOperation = 1, kSession = 2, kStopWatch = 4, kStopWatchAlone = 8 };

struct Case {
    const char* name;
    std::uint32_t boxes; // attached when the button is pressed
    void (*press)(Rig&);
    std::string message; // "<k>" is message line k
    unsigned leaves = kNothing;
    std::size_t sent = 0;                // frames the box takes: none, but a programming's call
    bool (*holds)(const Rig&) = nullptr; // what else the press leaves as it was
};

void PrintTo(const Case& c, std::ostream* os) { *os << c.name; }

void Click(Rig& r, int n) { r.form.ui.Command[static_cast<std::size_t>(n)]->userClick(); }

// Addresses to send, the fifth of them `fifth`.
void SendAddresses(Rig& r, const char* fifth) {
    for (TextBox* box : r.form.ui.Text2) box->setText("7");
    r.form.ui.Text2[4]->setText(fifth);
    Click(r, 5);
}

void Program(Rig& r, const char* present, const char* wanted) {
    r.form.ui.Text3->setText(present);
    r.form.ui.Text4->setText(wanted);
    Click(r, 6);
}

// The start-up's box check, from the language files of a folder of its own.
void StartUpHere(Rig& r) {
    r.form.workDir = StartUpFolder("nothing_sent_");
    std::string error;
    ASSERT_TRUE(StartUp(r.form, error)) << error;
}

// A connection test runs when the channel or the test number is pressed.
void WhileTesting(Rig& r, void (*press)(Rig&)) {
    r.form.ui.Timer[1]->enable();
    press(r);
}

const Case kCases[] = {
    {"ReadParametersNoBox", 0, [](Rig& r) { Click(r, 7); }, "<1>"},
    {"ReadParametersTwoBoxes", 2, [](Rig& r) { Click(r, 7); }, "<50>", kStopWatchAlone},
    {"SendParametersNoBox", 0, [](Rig& r) { Click(r, 8); }, "<1>"},
    {"SendParametersEmptyGroup", 1, [](Rig& r) { r.form.ui.Option[13]->setValue(false), Click(r, 8); },
     "<44> Puissance de sortie", kStopWatchAlone},
    {"ReadAddressesNoBox", 0, [](Rig& r) { Click(r, 4); }, "<1>"},
    {"ReadAddressesTwoBoxes", 2, [](Rig& r) { Click(r, 4); }, "<50>"},
    {"SendAddressesNoBox", 0, [](Rig& r) { SendAddresses(r, "55"); }, "<1>", kStopWatchAlone},
    {"SendAddressesFraction", 1, [](Rig& r) { SendAddresses(r, "12.5"); }, "<42> 5", kStopWatchAlone},
    {"SendAddressesNegative", 1, [](Rig& r) { SendAddresses(r, "-3"); }, "<42> 5", kStopWatchAlone},
    {"SendAddressesSmallFraction", 1, [](Rig& r) { SendAddresses(r, "1e-3"); }, "<42> 5", kStopWatchAlone},
    {"SendAddressesText", 1, [](Rig& r) { SendAddresses(r, "abc"); }, "<42> 5", kStopWatchAlone},
    {"SendAddressesComma", 1, [](Rig& r) { SendAddresses(r, "3,5"); }, "<42> 5", kStopWatchAlone},
    {"SendAddressesTooLarge", 1, [](Rig& r) { SendAddresses(r, "1048575"); }, "<42> 5", kStopWatchAlone},
    {"ProgramNoBox", 0, [](Rig& r) { Program(r, "12", "300"); }, "<1>", kOperation},
    {"ProgramTwoBoxes", 2,
     [](Rig& r) {
         r.form.x.attemptCount = 7;
         Program(r, "12", "300");
     },
     kConnectionTestText, kOperation | kStopWatchAlone, 0, [](const Rig& r) { return r.form.x.attemptCount == 0; }},
    {"ChannelNoBox", 0, [](Rig& r) { WhileTesting(r, [](Rig& s) { s.form.ui.Option[2]->select(); }); }, "<1>",
     kStopWatchAlone},
    {"ChannelTwoBoxes", 2,
     [](Rig& r) {
         r.form.ui.Option[2]->setValue(true);
         r.form.ui.Option[1]->select();
     },
     "<50>", kStopWatchAlone},
    {"TestNumberNoBox", 0, [](Rig& r) { WhileTesting(r, [](Rig& s) { s.form.ui.Text7->setText("5"), Click(s, 13); }); },
     "<1>", kStopWatchAlone},
    {"TestNumberTwoBoxes", 2, [](Rig& r) { r.form.ui.Text7->setText("5"), Click(r, 13); }, "<50>", kStopWatchAlone},
    // The start-up selects its defaults all the same, and runs no test.
    {"StartUpNoBox", 0, StartUpHere, "fr box 1", kStopWatch, 0,
     [](const Rig& r) { return r.form.ui.Option[1]->value(); }},
    {"StartUpTwoBoxes", 2, StartUpHere, "fr box 50", kStopWatch, 0,
     [](const Rig& r) { return r.form.ui.Option[1]->value(); }},
};

struct NothingIsSent : ::testing::TestWithParam<Case> {};

} // namespace

TEST_P(NothingIsSent, AndTheWindowComesBack) {
    const Case& c = GetParam();
    Rig rig;
    rig.ready();
    rig.attach(c.boxes);
    if (!(c.leaves & kStopWatchAlone)) rig.form.ui.Timer[3]->enable();
    c.press(rig);
    for (const bool later : {false, true}) {
        SCOPED_TRACE(later ? "a second later" : "at once");
        if (later) rig.clock.advanceMs(1000);
        if (!later && c.sent > 0) continue; // the call is still under way
        EXPECT_EQ(rig.message(), c.message);
        EXPECT_EQ(rig.framesToBox().size(), c.sent);
        EXPECT_TRUE(rig.buttonsEnabled());
        EXPECT_TRUE((c.leaves & kOperation) || rig.form.x.operation == kIdle) << rig.form.x.operation;
        EXPECT_EQ(rig.form.x.paramSendActive, 0);
        EXPECT_TRUE(rig.form.ui.Option[3]->enabled()); // the group options with the buttons
        for (ModelTimer* t : rig.form.ui.timers())
            EXPECT_TRUE(!t->enabled() || ((c.leaves & kStopWatch) && t == rig.form.ui.Timer[3])) << t->name();
        EXPECT_TRUE((c.leaves & kSession) || !rig.driver.isOpen());
        EXPECT_TRUE(!c.holds || c.holds(rig));
    }
}

INSTANTIATE_TEST_SUITE_P(Buttons, NothingIsSent, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(NumberBoxes, WhatIsNoNumberIsRefusedBeforeAnyFrameNamingTheBox) {
    using W = WindowModel;
    const std::pair<int, TextBox * W::*> presses[] = {{7, &W::Text3}, {4, &W::Text3}, {8, &W::Text3}, {5, &W::Text3},
                                                      {6, &W::Text3}, {6, &W::Text4}, {13, &W::Text7}};
    for (const auto& [button, box] : presses)
        for (const char* text : {"abc", "12,5", "3OO", "4OO", "1e3", "0x12C", "3 00", "300abc", "99999999", "", "-5"}) {
            Rig rig;
            rig.ready();
            rig.attach(1);
            for (TextBox* b : {rig.form.ui.Text4, rig.form.ui.Text7}) b->setText("5");
            (rig.form.ui.*box)->setText(text);
            Click(rig, button);
            rig.clock.advanceMs(1000);
            const std::string named = " " + (rig.form.ui.*box)->container()->caption();
            EXPECT_EQ(rig.message(), (button == 7 || button == 4 ? "<56>" : "<57>") + named) << text;
            EXPECT_TRUE(rig.framesToBox().empty() && rig.buttonsEnabled() && rig.exchangeTimersOff()) << text;
        }
}
