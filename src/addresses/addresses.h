#pragma once
// "Lire les adresses" and "Envoyer les adresses": the ten addresses of a
// detector, read one by one, or written one by one and read back until the
// detector agrees. This file starts both chains and sends the read requests;
// the decoder drives them on (addresses/address_replies.h).
#include "form/form.h"

namespace quelm {

void Command4_Click(Form& f);
void Command5_Click(Form& f);
// The arrow between the two lists: the addresses read become the addresses
// to send, each through the address box's validator.
void Command3_Click(Form& f);
// The read request for addressIndex, or line 6 when the abort marker is set.
void SendAddressRead(Form& f);

// True when Text2(index) holds an address a detector can take: a whole
// number from 0 to 1048574 (an empty box is 0).
bool WantedAddressSendable(const Form& f, int index);
// Says in the message line which address box (numbered 1 to 10 as the window
// numbers them) holds a value that cannot be written.
void ShowWantedAddressRefused(Form& f, int index);

} // namespace quelm
