#pragma once
// The reply half of reading and sending the ten addresses: the address
// reports 32 to 41, the step-over and retry rules of operations 4 and 5, and
// the two step timers (Timer18 reads one address, Timer19 writes one).
#include "form/form.h"
#include "protocol/frame.h"

namespace quelm {

// Report 32 + k with a right check byte: Text1(k) shows the address and is
// enabled; the step is over, whatever index was awaited. Says whether it
// took the frame.
FrameUse HandleAddressReport(Form& f, const Frame& b);

// The box acknowledged the write of an address: it is read back.
void ReadBackWrittenAddress(Form& f);

// Answered or out of tries alike, the read goes on with the next address;
// a send writes the address in hand until the detector agrees.
void AddressStepOver(Form& f);
void AddressRetry(Form& f);

void Timer18_Timer(Form& f);
void Timer19_Timer(Form& f);

} // namespace quelm
