#pragma once
// "Programmer": first calls the number of Text4 (operation 62); when no
// detector answers to it, calls the detector of Text3 (command 96,
// operation 6) and, once it has answered, gives it the number of Text4
// (command 97, operation 61). The decoder handles the replies.
#include "form/form.h"

#include <cstdint>

namespace quelm {

// The probe's schedule: each call to the new number awaits an answer three
// times the last reply's time, within these bounds, far below the 4 s reply
// watchdog. It waits longer than a survey's presence probe: a survey that
// takes a slow detector for absent says so in its report and asks it again,
// while a programming that takes a held number for free leaves two
// detectors answering to one number, which nothing would show afterwards.
struct NumberProbe {
    static constexpr std::int64_t kLeastUs = 150'000;
    static constexpr std::int64_t kMostUs = 1'000'000;
    static constexpr int kCalls = 2;
};

// Shown while the first step looks for the box, in every language.
inline constexpr const char* kConnectionTestText = "Test de connexion avec la BOX";

void Command6_Click(Form& f);
// Two detectors answering to one number could never be told apart again:
// before the detector is called, a short call to the new number (a few
// times the last reply's time, twice) asks whether a detector holds it.
// The probe comes first because a detector takes a new number only right
// after its own call.
void ProbeOrCall(Form& f);
// The probe heard nothing in its time: the next probe, or the call.
void ProbeHeardNothing(Form& f);
void Timer20_Timer(Form& f);
void SendNewNumber(Form& f);

} // namespace quelm
