#pragma once
// The arguments of the commands that send parameters and program numbers:
// send-params NUMBER FIELD=VALUE ..., program-number OLD NEW, wait-number.
#include "site/parameter_fields.h"

#include <optional>
#include <string>
#include <vector>

namespace quelm::cli {

struct SendOptions {
    std::vector<WantedParameter> wanted; // send-params
    std::string newNumber;               // program-number
    std::string fromFile;                // send-params: the parameter set of this project file
};

bool IsSendOrNumberCommand(const std::string& command);

// Checks the words after the command name (words[0]); on success fills
// `number` (the detector, plain decimal) and `send`. Nothing on a value
// outside its list or range, with the reason in `error`.
bool ParseSendOrNumberCommand(const std::vector<std::string>& words, std::string& number, SendOptions& send,
                              std::string& error);

} // namespace quelm::cli
