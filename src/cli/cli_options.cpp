#include "cli/cli_options.h"

#include "cli/cli_language.h"
#include "core/texts.h"

#include "platform/files.h"
#include "platform/stop_signals.h"
#include "site/detector_list.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <cstdlib>

namespace quelm::cli {

namespace {

constexpr double kMaxTimeoutSeconds = 86400;

bool KnownCommand(const std::string& word) {
    for (const char* c : {"read-params", "read-addresses", "send-addresses", "channel", "test-number", "show-file",
                          "send-params", "program-number", "wait-number", "survey", "apply", "audit", "ports"})
        if (word == c) return true;
    return false;
}

// Seconds as plain decimal digits with an optional fraction ("30", "2.5"),
// above 0 and at most a day.
bool ParseSeconds(const std::string& text, double& seconds) {
    const std::size_t point = text.find('.');
    const std::string whole = text.substr(0, point);
    const std::string fraction = point == std::string::npos ? "0" : text.substr(point + 1);
    const auto digits = [](const std::string& s) {
        return !s.empty() && s.find_first_not_of("0123456789") == std::string::npos;
    };
    if (!digits(whole) || !digits(fraction) || whole.size() > 9) return false;
    double v = 0;
    std::from_chars(text.data(), text.data() + text.size(), v);
    if (!(v > 0) || v > kMaxTimeoutSeconds) return false;
    seconds = v;
    return true;
}

// A detector number as a script would give it: plain digits, 0 to 1048574,
// leading zeros left out ("0300" is 300).
bool ValidNumber(std::string& text) {
    if (text.empty() || text.find_first_not_of("0123456789") != std::string::npos) return false;
    text.erase(0, std::min(text.find_first_not_of('0'), text.size() - 1));
    return text.size() <= 7 && std::atol(text.c_str()) <= 1048574;
}

const char* ArgumentsWanted(const std::string& command) {
    if (command == "channel") return Tr(" takes A or B");
    if (command == "send-addresses") return Tr(" takes a detector number and exactly ten addresses");
    if (command == "show-file") return Tr(" takes one file");
    return Tr(" takes one number");
}

// The words after the command: their count, then each value.
bool CheckArguments(Options& o, const std::vector<std::string>& words, std::string& error) {
    const std::size_t wanted = o.command == "send-addresses" ? 12 : 2;
    if (words.size() != wanted) {
        error = o.command + ArgumentsWanted(o.command);
        return false;
    }
    o.number = words[1];
    if (o.command == "show-file") return true;
    if (o.command == "channel") {
        if (o.number == "a" || o.number == "b") o.number[0] = static_cast<char>(o.number[0] - 'a' + 'A');
        if (o.number != "A" && o.number != "B") {
            error = Tr("the box channel is A or B: ") + words[1];
            return false;
        }
        return true;
    }
    if (!ValidNumber(o.number)) {
        error =
            Tr(o.command == "test-number" ? "a test number is 0 to 1048574: " : "a detector number is 0 to 1048574: ") +
            words[1];
        return false;
    }
    for (std::size_t i = 2; i < words.size(); ++i) {
        std::string address = words[i];
        if (!ValidNumber(address)) {
            error =
                Filled(Tr("address %1 is not a whole number from 0 to 1048574: %2"), std::to_string(i - 1), words[i]);
            return false;
        }
        o.addresses.push_back(address);
    }
    return true;
}

// An option given a second time is a mistake: which one was meant?
bool GivenTwice(const std::string& arg, std::vector<std::string>& given, std::string& error) {
    if (arg.rfind("--", 0) != 0) return false;
    const std::string name = arg.substr(0, arg.find('='));
    if (std::find(given.begin(), given.end(), name) != given.end()) {
        error = Filled(Tr("%1 given twice"), name);
        return true;
    }
    given.push_back(name);
    return false;
}

// The file of --from-json ("-": standard input), read whole into its fields:
// a pipe or a device given by name is refused as --from refuses it, a
// document larger than the limit is refused rather than cut, and a stop
// request ends the wait for standard input.
bool ReadJsonFields(SendOptions& send, std::string& error) {
    constexpr std::size_t kJsonLimit = 1 << 20;
    if (send.jsonFile.empty()) {
        error = Tr("--from-json needs a file (- for standard input)");
        return false;
    }
    const platform::FileRead read = send.jsonFile == "-" ? platform::ReadStandardInput(kJsonLimit)
                                                         : platform::ReadRegularFile(send.jsonFile, kJsonLimit);
    using Refusal = platform::FileRead::Refusal;
    switch (read.refusal) {
    case Refusal::none: break;
    case Refusal::missing: error = Tr("cannot open it: no such file"); break;
    case Refusal::folder: error = Tr("it is a folder"); break;
    case Refusal::notRegular: error = Tr("cannot read it: it is not a regular file"); break;
    case Refusal::tooLarge: error = Tr("larger than 1 MiB, not read"); break;
    case Refusal::failed: error = Tr("cannot read it: ") + Reason(read.reason, Language()); break;
    }
    if (platform::StopSignal() != 0)
        error = Filled(Tr("STOP: stopped by %1 before the end of the input; nothing sent"), platform::StopSignalName());
    if (error.empty() && FieldsFromJson(read.bytes, send.jsonFields, error)) return true;
    error = "--from-json " + send.jsonFile + ": " + error;
    return false;
}

// The words after a site command, and the options that go with it; for any
// other command, that no site option was given.
bool CheckSiteCommand(const std::vector<std::string>& words, Options& o, std::string& error) {
    const SiteOptions& s = o.site;
    if (!IsSiteCommand(o.command)) {
        if (s.given)
            error = Tr("--save-dir, --report, --retry-absent, --dry-run, --stop-on-error and --per-detector go with "
                       "survey, apply and audit");
        return error.empty();
    }
    if (!s.retryAbsent.empty() && o.command != "survey") {
        error = Tr("--retry-absent goes with survey");
        return false;
    }
    // The numbers come from the report, read before the run.
    if (!s.retryAbsent.empty() && words.size() == 1) return true;
    if (words.size() != 2) {
        error = SiteCommandWanted(o.command);
        return false;
    }
    o.number = words[1];
    if (!o.saveFile.empty())
        error = Tr("--save goes with read-params; survey takes --save-dir");
    else if (o.withAddresses && o.command != "survey")
        error = Tr("--with-addresses goes with survey or read-params");
    else if (!s.saveDir.empty() && o.command != "survey")
        error = Tr("--save-dir goes with survey");
    else if ((s.dryRun || s.stopOnError) && o.command != "apply")
        error = Tr("--dry-run and --stop-on-error go with apply");
    else if (!s.retryAbsent.empty())
        error = Tr("survey --retry-absent REPORT takes its numbers from the report: give no others");
    if (!error.empty()) return false;
    if (o.command == "survey" && !ParseDetectorList(o.number, o.site.detectors, error, Language())) return false;
    return true;
}

// The code of a --lang value: 1 fr, 2 en, 0 another.
int LanguageCode(const std::string& value) { return value == "fr" ? 1 : value == "en" ? 2 : 0; }

} // namespace

int LanguageGiven(const std::vector<std::string>& args) {
    for (std::size_t i = 1; i < args.size(); ++i) {
        if (args[i] == "--lang" && i + 1 < args.size()) return LanguageCode(args[i + 1]);
        if (args[i].rfind("--lang=", 0) == 0) return LanguageCode(args[i].substr(7));
    }
    return 0;
}

std::optional<Options> ParseOptions(const std::vector<std::string>& args, std::string& error) {
    Options o;
    o.backend.language = Language();
    std::vector<std::string> words;
    std::string boxFileHint;
    std::vector<std::string> given;
    for (std::size_t i = 1; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (GivenTwice(a, given, error)) return std::nullopt;
        if (a == "--help" || a == "-h") {
            o.help = true;
        } else if (a == "--version") {
            o.version = true;
        } else if (a == "--print-udev-rule") {
            o.printUdevRule = true;
        } else if (a == "--json") {
            o.json = true;
        } else if (a == "--trace") {
            o.trace = true;
        } else if (a == "--timeout" || a.rfind("--timeout=", 0) == 0) {
            const std::string value = a == "--timeout" ? (i + 1 < args.size() ? args[++i] : "") : a.substr(10);
            if (!ParseSeconds(value, o.timeoutSeconds)) {
                error = Filled(Tr("--timeout takes seconds above 0 and at most 86400, in digits with an optional "
                                  "fraction (30, 2.5): \"%1\""),
                               value);
                return std::nullopt;
            }
            o.timeoutGiven = true;
        } else if (a == "--lang" || a.rfind("--lang=", 0) == 0) {
            const std::string value = a == "--lang" ? (i + 1 < args.size() ? args[++i] : "") : a.substr(7);
            o.language = LanguageCode(value);
            if (o.language == 0) {
                error = Filled(Tr("--lang takes fr or en: \"%1\""), value);
                return std::nullopt;
            }
        } else if (a == "--with-addresses") {
            o.withAddresses = true;
        } else if (a == "--from" || a.rfind("--from=", 0) == 0) {
            o.send.fromFile = a == "--from" ? (i + 1 < args.size() ? args[++i] : "") : a.substr(7);
            if (o.send.fromFile.empty()) {
                error = Tr("--from needs a project file");
                return std::nullopt;
            }
        } else if (a == "--from-json" || a.rfind("--from-json=", 0) == 0) {
            o.send.jsonFile = a == "--from-json" ? (i + 1 < args.size() ? args[++i] : "") : a.substr(12);
            if (!ReadJsonFields(o.send, error)) return std::nullopt;
        } else if (a == "--save" || a.rfind("--save=", 0) == 0) {
            o.saveFile = a == "--save" ? (i + 1 < args.size() ? args[++i] : "") : a.substr(7);
            if (o.saveFile.empty()) {
                error = Tr("--save needs a file name");
                return std::nullopt;
            }
        } else if (ParseSiteOption(args, i, o.site, error)) {
        } else if (!error.empty()) {
            return std::nullopt;
        } else if (parseBackendOption(args, i, o.backend, error)) {
        } else if (!error.empty()) {
            return std::nullopt;
        } else if (a.rfind("--", 0) == 0) {
            error = Tr("unknown option: ") + a;
            return std::nullopt;
        } else {
            // "--simulate FILE" reads FILE as the command: say what was meant.
            if (i > 1 && args[i - 1] == "--simulate" && words.empty() && !KnownCommand(a))
                boxFileHint = Filled(Tr(" (for a box file, write --simulate=%1)"), a);
            words.push_back(a);
        }
    }
    if (o.help || o.version || o.printUdevRule) return o;
    if (words.empty()) {
        error = Tr("no command given");
        return std::nullopt;
    }
    o.command = words[0];
    if (!o.send.fromFile.empty() && o.command != "send-params") {
        error = Tr("--from goes with send-params only");
        return std::nullopt;
    }
    if (!o.send.jsonFile.empty() && o.command != "send-params") {
        error = Tr("--from-json goes with send-params only");
        return std::nullopt;
    }
    if (!CheckSiteCommand(words, o, error)) return std::nullopt;
    if (IsSiteCommand(o.command)) return o;
    if (IsSendOrNumberCommand(o.command)) {
        if (!ParseSendOrNumberCommand(words, o.number, o.send, error)) return std::nullopt;
        return o;
    }
    if (!KnownCommand(o.command)) {
        error = Tr("unknown command: ") + o.command + boxFileHint;
        return std::nullopt;
    }
    if (o.withAddresses && o.saveFile.empty()) {
        error = Tr("--with-addresses goes with read-params --save");
        return std::nullopt;
    }
    if (!o.saveFile.empty() && o.command != "read-params") {
        error = Tr("--save goes with read-params only");
        return std::nullopt;
    }
    if (o.command == "ports") {
        if (words.size() == 1) return o;
        error = Tr("ports takes no argument");
        return std::nullopt;
    }
    if (!CheckArguments(o, words, error)) return std::nullopt;
    return o;
}

} // namespace quelm::cli
