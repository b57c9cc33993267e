#pragma once
// The command line of the front end.
#include "app/backend.h"
#include "cli/send_options.h"
#include "cli/site_options.h"

#include <optional>
#include <string>
#include <vector>

namespace quelm::cli {

struct Command;

enum class BoxChannel { A, B };
// "A" or "B".
const char* ChannelName(BoxChannel channel);

struct Options {
    BackendOptions backend;
    const Command* command = nullptr;   // its row of the command table (commands.h)
    std::string number;                 // the detector, plain decimal ("0300" is "300"); program-number's OLD
    BoxChannel channel = BoxChannel::A; // channel
    long long testNumber = 0;           // test-number
    std::string file;                   // show-file
    std::string saveFile;               // read-params: the project file to write after the read
    bool withAddresses = false;         // read-params --save: the addresses read too
    SendOptions send;                   // send-params, program-number
    std::vector<std::string> addresses; // send-addresses: the ten addresses, as typed
    bool json = false;
    bool trace = false;
    double timeoutSeconds = 30;
    bool timeoutGiven = false; // survey, apply and audit have no time-out without it
    SiteOptions site;          // survey, apply, audit
    bool help = false;
    bool version = false;       // --version
    bool printUdevRule = false; // --print-udev-rule
    int language = 0;           // --lang: 1 French, 2 English, 0 not given
};

// Nothing on a bad command line, with the reason in `error`.
std::optional<Options> ParseOptions(const std::vector<std::string>& args, std::string& error);

// The language --lang asks for among `args` (1 fr, 2 en), 0 for none or a
// value it does not take.
int LanguageGiven(const std::vector<std::string>& args);

} // namespace quelm::cli
