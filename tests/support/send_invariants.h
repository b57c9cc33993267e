#pragma once
// What must hold when a send of parameters or a number programming has
// ended, whatever happened on the way: checks for the whole-tool runs. Each
// returns an empty text when the invariant holds, else what is wrong.
#include "drivers/sim/sim_box.h"
#include "form/form.h"

#include <cstdint>
#include <string>

namespace quelm::test {

// A send that ended with message table line 37 ("all confirmed") leaves the
// detector of Text3 holding exactly the values saved when the send started.
// A send that ended otherwise is not checked: it claimed nothing.
std::string CheckSendEnded(const Form& f, sim::SimBox& box);

// A programming that ended with message table line 14 ("programmed and
// confirmed") leaves exactly one detector with the new number, none with the
// old one, and Text3 showing the new number.
std::string CheckProgrammingEnded(const Form& f, const sim::SimBox& box, std::uint32_t oldNumber,
                                  std::uint32_t newNumber);

} // namespace quelm::test
