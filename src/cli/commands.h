#pragma once
// The commands of quelmbox-cli, one row each: its name, the words it takes,
// the options that go with it, its lines of --help, what it does to a
// detector and what runs it. The parser, --help, the JSON failure and the
// messages after a run read this table; nothing else names a command.
#include "site/site_report.h"

#include <cstdio>
#include <optional>
#include <string>
#include <vector>

namespace quelm {
struct Form;
}

namespace quelm::cli {

struct Options;

// The words after a command's name.
enum class Arguments {
    none,                 // ports, wait-number
    detector,             // NUMBER
    detectorAndAddresses, // NUMBER A1 ... A10
    channel,              // A|B
    testNumber,           // NUMBER, sent to the box
    file,                 // a project file
    sendFields,           // NUMBER FIELD=VALUE ... (or --from, --from-json)
    oldAndNew,            // OLD NEW
    detectorList,         // NUMBERS such as 300-320,400
    plan,                 // a plan file
    folder,               // a folder of project files
};

// The options that go with some commands only, as bits of Command::options.
enum OptionBit : unsigned {
    kSave = 1u << 0,
    kWithAddresses = 1u << 1,
    kFrom = 1u << 2,
    kFromJson = 1u << 3,
    kSaveDir = 1u << 4,
    kReport = 1u << 5,
    kRetryAbsent = 1u << 6,
    kDryRun = 1u << 7,
    kStopOnError = 1u << 8,
    kPerDetector = 1u << 9,
};

// Whose answer the command waits for, which says what to check when none came.
enum class Awaits { nothing, box, detector, anyDetector, detectors };

struct Command {
    const char* name;
    Arguments arguments;
    unsigned options; // OptionBit
    // What the usage error says it takes: a whole sentence, or one that
    // starts with a space and follows the name.
    const char* wanted;
    bool writesDetector;
    bool showsProgress; // a live status line while it runs
    Awaits awaits;
    std::optional<SiteMode> site; // survey, apply, audit
    const char* readBack;         // the command that shows what a cut-short write left
    // Run on the headless window, or without a box at all on the file
    // the command was given.
    int (*onForm)(Form& form, const Options& o, std::FILE* out, std::FILE* err);
    int (*withoutBox)(const std::string& file, bool json, std::FILE* out, std::FILE* err);
    const char* usage[2]; // its lines of --help: English, French
};

// Every command, in the order --help lists them.
const std::vector<Command>& Commands();
// The command named `name`, or nothing.
const Command* FindCommand(const std::string& name);
// Whether `command` (nothing: an unknown one) takes the options of `bits`.
bool Accepts(const Command* command, unsigned bits);
// The usage error of `command` given the wrong words.
std::string ArgumentsWanted(const Command& command);
// The whole of --help in `language` (1 French, 2 English).
std::string UsageText(int language);

} // namespace quelm::cli
