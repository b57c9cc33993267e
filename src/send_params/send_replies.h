#pragma once
// The reply half of sending parameters: the box's acknowledgement of a write
// or a call, the detector's answer to the call between two steps, the
// step-over and retry rules of operations 81 and 82, and the call itself.
#include "form/form.h"
#include "protocol/frame.h"

namespace quelm {

// The answer 96 to the call between two steps: the next step goes. Says
// whether it took the frame.
FrameUse HandleCallAnswer(Form& f, const Frame& b);
// Reply 66 ended a pass's read: a send goes on with its call.
void CallAfterTheRead(Form& f);

// The box acknowledged a write of the send, or a call during it: the
// detector is called (again) by Timer27, and the acknowledgement is taken.
FrameUse SendHandshakeAcknowledgement(Form& f);
// Operations 81 and 82, as a read's steps: a frame that is not the awaited
// answer to a write or a call costs a try and the same frame goes again
// after tryCount x 10 ms (Timer28); the last of kMaxTries ends the send,
// the user's values back and the window given back.
void SendStepOver(Form& f, StepOutcome end);
void SendStepRetry(Form& f);

void Timer27_Timer(Form& f);
// Calls the detector of Text3 (command 96, operation 82).
void SendCallNumber(Form& f);

} // namespace quelm
