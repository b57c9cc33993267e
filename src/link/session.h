#pragma once
// The device session with the box and the frame transport: open, close, count
// the boxes, line settings, sending a frame byte by byte, taking one reply
// frame from the receive queue.
#include "form/form.h"

#include <cstdint>
#include <optional>

namespace quelm {

void ClassicOpen_Click(Form& f);
void ClassicClose_Click(Form& f);
void GetNumDevices_Click(Form& f);
void ConfigureLine(Form& f);

// Writes one byte through ioByte; the status goes to lastStatus.
void WriteSingleByte(Form& f, std::uint8_t byte);
// Sets rxFrame positions 1 to 5.
void FillRxFrame(Form& f, int value);

// Position (1..5) of the first byte of outFrame that has no 8-bit form, or
// nothing when the whole frame can be sent.
std::optional<int> UnsendableByte(const Form& f);
// Says in the message line that the frame was not sent, and why.
void ShowSendRefused(Form& f, int position);

// Sends outFrame: open, line settings, five single-byte writes with 1 ms
// pauses, rxFrame set to 255. A frame with a byte outside 0..255 is refused
// with a message and nothing reaches the box; the result says whether it went.
bool SendFrame(Form& f);
// SendFrame, then polling with Timer17.
bool SendFrameAndPoll(Form& f);
// Takes five bytes into rxFrame when more than four are queued.
bool TakeReplyFrame(Form& f);

// The last driver call said the device is gone (pulled out, or its port
// vanished): an I/O error, or no device where one was open.
bool BoxGone(const Form& f);

// Open, count, close: leaves the number of attached boxes in deviceCount.
void BoxCheck(Form& f);
// After a box check: a port the driver cannot use (no permission, held by
// another program, not a serial port, gone) counts as no box, and line 43
// with the driver's reason says why. Returns whether it did.
bool PortUnusable(Form& f);
// The box check as every operation starts it, with its messages: message table
// line 2 while looking, then line 1 when no box is found, line 3 when
// exactly one is, line 50 when several are; a port the driver cannot use
// counts as none, with line 43 and the driver's reason. Returns deviceCount.
std::uint32_t LookForBox(Form& f);

} // namespace quelm
