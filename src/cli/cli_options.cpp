#include "cli/cli_options.h"

#include <cstdlib>

namespace quelm::cli {

const char* const kUsageText =
    "Usage: quelmbox-cli [options] read-params NUMBER\n"
    "  read-params NUMBER  read the nine parameters of detector NUMBER (0 to 1048574)\n"
    "Options:\n"
    "  --simulate[=FILE]   talk to a simulated box described by FILE\n"
    "                      (default: simbox.txt next to the program)\n"
    "  --port PATH         use this serial port instead of the first FTDI adapter\n"
    "  --seed N            seed of the simulated box's faults\n"
    "  --json              print the parameters as JSON\n"
    "  --trace             print every frame sent and received, with a time stamp,\n"
    "                      on standard error\n"
    "  --timeout SECONDS   stop as the stop key does when the operation has not\n"
    "                      ended by then (default 30)\n"
    "Exit codes: 0 done, 1 no valid answer, 2 bad arguments, 3 no box or several,\n"
    "            4 stopped by the time-out.\n";

namespace {

bool ParseSeconds(const std::string& text, double& seconds) {
    char* end = nullptr;
    const double v = std::strtod(text.c_str(), &end);
    if (text.empty() || *end != '\0' || !(v > 0) || v > 86400) return false;
    seconds = v;
    return true;
}

// A detector number as a script would give it: plain digits, 0 to 1048574.
bool ValidNumber(const std::string& text) {
    if (text.empty() || text.size() > 7) return false;
    for (char c : text)
        if (c < '0' || c > '9') return false;
    return std::atol(text.c_str()) <= 1048574;
}

} // namespace

std::optional<Options> ParseOptions(const std::vector<std::string>& args, std::string& error) {
    Options o;
    std::vector<std::string> words;
    for (std::size_t i = 1; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--help" || a == "-h") {
            o.help = true;
        } else if (a == "--json") {
            o.json = true;
        } else if (a == "--trace") {
            o.trace = true;
        } else if (a == "--timeout" || a.rfind("--timeout=", 0) == 0) {
            const std::string value = a == "--timeout" ? (i + 1 < args.size() ? args[++i] : "") : a.substr(10);
            if (!ParseSeconds(value, o.timeoutSeconds)) {
                error = "--timeout needs a number of seconds above 0";
                return std::nullopt;
            }
        } else if (parseBackendOption(args, i, o.backend, error)) {
        } else if (!error.empty()) {
            return std::nullopt;
        } else if (a.rfind("--", 0) == 0) {
            error = "unknown option: " + a;
            return std::nullopt;
        } else {
            words.push_back(a);
        }
    }
    if (o.help) return o;
    if (words.size() != 2 || words[0] != "read-params") {
        error = words.empty() ? "no command given" : "unknown command: " + words[0];
        if (!words.empty() && words[0] == "read-params") error = "read-params takes one detector number";
        return std::nullopt;
    }
    o.command = words[0];
    o.number = words[1];
    if (!ValidNumber(o.number)) {
        error = "a detector number is 0 to 1048574: " + o.number;
        return std::nullopt;
    }
    return o;
}

} // namespace quelm::cli
