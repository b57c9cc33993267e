#pragma once
// The window's controls and timers by what they do. The window's own names
// stay (Command7, Timer17): they tie the code to the window and to its
// language files. These names say which one reads, which one polls.
#include <cstddef>

namespace quelm {

// The buttons, WindowModel::Command[n].
namespace button {
inline constexpr std::size_t copyAddresses = 3;   // the arrow: the addresses read become those to send
inline constexpr std::size_t readAddresses = 4;   // "Lire les adresses"
inline constexpr std::size_t sendAddresses = 5;   // "Envoyer les adresses"
inline constexpr std::size_t programNumber = 6;   // "Programmer": Text3's detector takes Text4's number
inline constexpr std::size_t readParameters = 7;  // "Lire les paramètres"
inline constexpr std::size_t sendParameters = 8;  // "Envoyer les paramètres"
inline constexpr std::size_t waitNumber = 9;      // "Attendre N°": the connection test
inline constexpr std::size_t folderCancel = 10;   // the disk manager's "Cancel"
inline constexpr std::size_t folderOk = 11;       // the disk manager's "OK"
inline constexpr std::size_t folderCreate = 12;   // the disk manager's "Créer ce nouveau dossier"
inline constexpr std::size_t sendTestNumber = 13; // "Envoi": Text7's test number to the box
} // namespace button

// The options, WindowModel::Option[n]: the box's channel, then the
// detector's parameters (Option3 to Option29, their groups in send order).
namespace option {
inline constexpr std::size_t boxChannelA = 1;
inline constexpr std::size_t boxChannelB = 2;
inline constexpr std::size_t firstParameter = 3;
inline constexpr std::size_t lastParameter = 29;
} // namespace option

// A timer of the window: its number (WindowModel::Timer[n]) and its interval.
struct TimerRole {
    std::size_t number;
    int intervalMs;
    constexpr operator std::size_t() const { return number; }
};

namespace timer {
// The connection test reads what came from the box.
inline constexpr TimerRole connectionListen{1, 10};
// While an exchange runs, a key pressed stops it.
inline constexpr TimerRole stopWatch{3, 100};
// The connection test heard nothing: its frame goes again.
inline constexpr TimerRole connectionResend{4, 4000};
// No reply came: the frame goes again.
inline constexpr TimerRole replyWatchdog{6, 4000};
// A send's first step, the detector's channel. Steps 8 to 15 (1 ms each)
// write one parameter each, step 16 (1 ms) compares and reads again; a send
// step's timer is its step number.
inline constexpr TimerRole firstSendStep{7, 10};
inline constexpr int sendStepIntervalMs = 1;
inline constexpr std::size_t lastSendStep = 16;
// Takes and decodes a reply.
inline constexpr TimerRole replyPoll{17, 10};
// A send or read of addresses reads the address in hand.
inline constexpr TimerRole addressRead{18, 10};
// A send of addresses writes the address in hand.
inline constexpr TimerRole addressWrite{19, 10};
// The called detector answered: the programming probes its new number, then
// sends it.
inline constexpr TimerRole sendNewNumber{20, 10};
// A read of parameters asks for group 2, then group 3.
inline constexpr TimerRole readGroup2{23, 10};
inline constexpr TimerRole readGroup3{24, 10};
// The test number went out: the window comes back.
inline constexpr TimerRole testNumberDone{25, 1000};
// A send calls the detector after a write.
inline constexpr TimerRole callBetweenSteps{27, 10};
// The same frame again after a wrong one; its interval is set to tries x 10 ms.
inline constexpr TimerRole retry{28, 0};

inline constexpr TimerRole all[] = {connectionListen, stopWatch,      connectionResend, replyWatchdog, firstSendStep,
                                    replyPoll,        addressRead,    addressWrite,     sendNewNumber, readGroup2,
                                    readGroup3,       testNumberDone, callBetweenSteps, retry};
} // namespace timer

} // namespace quelm
