// The numeric value of a text and the command line's argument parser.
#include "../entries.h"

#include "cli/cli_options.h"
#include "cli/commands.h"
#include "protocol/number.h"

#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

namespace quelm::fuzz {

// Always a finite number; its frame bytes computed without overflow.
int NumericValueOfText(const std::uint8_t* data, std::size_t size) {
    const double value = NumericValue(std::string_view(reinterpret_cast<const char*>(data), size));
    if (!std::isfinite(value)) std::abort();
    const auto bytes = EncodeNumber(value);
    if (value >= 0 && value < 16777216)
        for (auto b : bytes)
            if (b < 0 || b > 255) std::abort();
    EncodeNumberFrame(97, value);
    return 0;
}

// A refusal that says why, or options a command can run with.
int CommandLine(const std::uint8_t* data, std::size_t size) {
    std::vector<std::string> args{"quelmbox-cli"};
    std::string arg;
    for (std::size_t i = 0; i < size; ++i) {
        if (data[i] != 0) {
            arg += static_cast<char>(data[i]);
            continue;
        }
        args.push_back(arg);
        arg.clear();
    }
    if (size > 0) args.push_back(arg);
    std::string error;
    const auto options = cli::ParseOptions(args, error);
    if (!options) {
        if (error.empty()) std::abort();
        return 0;
    }
    if (options->help || options->version || options->printUdevRule) return 0;
    if (!(options->timeoutSeconds > 0 && options->timeoutSeconds <= 86400)) std::abort();
    const auto number = [](const std::string& n) {
        return !n.empty() && n.size() <= 7 && n.find_first_not_of("0123456789") == std::string::npos &&
               std::stol(n) <= 1048574;
    };
    switch (options->command->arguments) {
    case cli::Arguments::detector:
    case cli::Arguments::detectorAndAddresses:
        if (!number(options->number)) std::abort();
        for (const auto& a : options->addresses)
            if (!number(a)) std::abort();
        break;
    case cli::Arguments::testNumber:
        if (!number(std::to_string(options->testNumber))) std::abort();
        break;
    case cli::Arguments::detectorList:
        // With --retry-absent the numbers come from the report, read later.
        if (options->site.detectors.empty() && options->site.retryAbsent.empty()) std::abort();
        for (const auto& d : options->site.detectors)
            if (!number(d)) std::abort();
        break;
    default: break;
    }
    if (!(options->site.perDetectorSeconds > 0 && options->site.perDetectorSeconds <= 3600)) std::abort();
    return 0;
}

} // namespace quelm::fuzz
