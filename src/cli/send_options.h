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
    std::string jsonFile;                // send-params: a JSON file ("-": standard input) of read-params --json
    std::vector<std::string> jsonFields; // its fields as FIELD=VALUE; those given on the command line win
};

// The option groups a send writes, each with its field name and the names of
// its choices ("dyn", "5s|30s|1min|2min|5min|10min"): Option first..last.
struct OptionField {
    std::string key, choices;
    int first, last;
};
std::vector<OptionField> OptionFields();

// The fields of a JSON object as read-params --json or show-file --json
// print it, as FIELD=VALUE: a member that is null (a group with no choice)
// gives none; their other members are passed over. False on a JSON error
// or an unknown member, with the reason in `error`.
bool FieldsFromJson(const std::string& text, std::vector<std::string>& fields, std::string& error);
// Check the words of send-params NUMBER FIELD=VALUE ... and program-number
// OLD NEW (words[0] is the command's name); on success fill `number` (the
// detector, plain decimal) and `send`. False on a value outside its list or
// range, with the reason in `error`.
bool ParseSendParams(const std::vector<std::string>& words, std::string& number, SendOptions& send, std::string& error);
bool ParseProgramNumber(const std::vector<std::string>& words, std::string& number, SendOptions& send,
                        std::string& error);

} // namespace quelm::cli
