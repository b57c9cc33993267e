#pragma once
// What a writing command had written into the detector when it was cut
// short, said on standard error from the journal of its writes.
#include "cli/commands.h"
#include "site/write_journal.h"

#include <cstdio>
#include <string>

namespace quelm::cli {

// Says on `err` what `command` (send-params, send-addresses, program-number)
// wrote into detector `number` before `cut` ("the stop", "the box was
// lost"), and how far each value was confirmed. `newNumber` is
// program-number's NEW.
void ReportWrites(std::FILE* err, const WriteJournal& journal, const Command& command, const std::string& number,
                  const std::string& newNumber, const char* cut);

} // namespace quelm::cli
