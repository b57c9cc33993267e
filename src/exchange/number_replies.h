#pragma once
// The decoder's share of the detector number: the replies 96 (a called
// detector answers with its number) and 97 (it confirms a new number), the
// step-over and retry rules of operations 6 and 61, and the call of the
// detector between the steps of a send of parameters.
#include "exchange/form.h"
#include "protocol/frame.h"

namespace quelm {

void HandleReply96(Form& f, const Frame& b);
void HandleReply97(Form& f, const Frame& b);

// Operations 61, then 6.
void NumberStepOver(Form& f);
// Operations 6 and 61 alike: the same frame again at once.
void NumberRetry(Form& f);

// The box acknowledged a write of the send, or a call during it: the
// detector is called (again) by Timer27.
void SendHandshakeAcknowledgement(Form& f);
// Operations 81 and 82, as a read's steps: a frame that is not the awaited
// answer to a write or a call costs a try and the same frame goes again
// after tryCount x 10 ms (Timer28); the tenth ends the send, the user's
// values back and the window given back.
void SendStepOver(Form& f);
void SendStepRetry(Form& f);

void Timer27_Timer(Form& f);
// Calls the detector of Text3 (command 96, operation 82).
void SendCallNumber(Form& f);

} // namespace quelm
