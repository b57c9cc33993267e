#include "cli/cli_options.h"

#include "cli/cli_language.h"
#include "cli/commands.h"
#include "core/printable.h"
#include "core/texts.h"
#include "protocol/frame.h"

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
    return text.size() <= 7 && std::atol(text.c_str()) <= kMaxDetectorNumber;
}

bool Fail(std::string& error, const std::string& why) {
    error = why;
    return false;
}

// The one number of a detector or a test number.
bool TakeNumber(const Command& c, const std::vector<std::string>& words, std::string& number, std::string& error) {
    number = words[1];
    if (ValidNumber(number)) return true;
    return Fail(error, Tr(c.arguments == Arguments::testNumber ? "a test number is 0 to 1048574: "
                                                               : "a detector number is 0 to 1048574: ") +
                           words[1]);
}

// The ten addresses of send-addresses, after its detector.
bool TakeAddresses(const std::vector<std::string>& words, Options& o, std::string& error) {
    for (std::size_t i = 2; i < words.size(); ++i) {
        std::string address = words[i];
        if (!ValidNumber(address))
            return Fail(error, Filled(Tr("address %1 is not a whole number from 0 to 1048574: %2"),
                                      std::to_string(i - 1), words[i]));
        o.addresses.push_back(address);
    }
    return true;
}

bool TakeChannel(const std::string& word, Options& o, std::string& error) {
    if (word == "A" || word == "a")
        o.channel = BoxChannel::A;
    else if (word == "B" || word == "b")
        o.channel = BoxChannel::B;
    else
        return Fail(error, Tr("the box channel is A or B: ") + word);
    return true;
}

// The words after a command that runs on one detector, the box or a file:
// their count, then each value into its own field.
bool CheckArguments(const Command& c, const std::vector<std::string>& words, Options& o, std::string& error) {
    if (c.arguments == Arguments::sendFields) return ParseSendParams(words, o.number, o.send, error);
    if (c.arguments == Arguments::oldAndNew) return ParseProgramNumber(words, o.number, o.send, error);
    const std::size_t wanted = c.arguments == Arguments::none                   ? 1
                               : c.arguments == Arguments::detectorAndAddresses ? 12
                                                                                : 2;
    if (words.size() != wanted) return Fail(error, ArgumentsWanted(c));
    switch (c.arguments) {
    case Arguments::file: o.file = words[1]; return true;
    case Arguments::channel: return TakeChannel(words[1], o, error);
    case Arguments::testNumber: {
        std::string number;
        if (!TakeNumber(c, words, number, error)) return false;
        o.testNumber = std::stoll(number);
        return true;
    }
    case Arguments::detector: return TakeNumber(c, words, o.number, error);
    case Arguments::detectorAndAddresses:
        return TakeNumber(c, words, o.number, error) && TakeAddresses(words, o, error);
    default: return true;
    }
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

// The words after a site command and the options that go with it.
bool CheckSiteCommand(const Command& c, const std::vector<std::string>& words, Options& o, std::string& error) {
    SiteOptions& s = o.site;
    s.mode = *c.site;
    if (!s.retryAbsent.empty() && !Accepts(&c, kRetryAbsent)) return Fail(error, Tr("--retry-absent goes with survey"));
    // The numbers come from the report, read before the run.
    if (!s.retryAbsent.empty() && words.size() == 1) return true;
    if (words.size() != 2) return Fail(error, ArgumentsWanted(c));
    if (c.arguments == Arguments::detectorList) s.detectorsGiven = words[1];
    if (c.arguments == Arguments::plan) s.plan = words[1];
    if (c.arguments == Arguments::folder) s.folder = words[1];
    if (!o.saveFile.empty())
        error = Tr("--save goes with read-params; survey takes --save-dir");
    else if (o.withAddresses && !Accepts(&c, kWithAddresses))
        error = Tr("--with-addresses goes with survey or read-params");
    else if (!s.saveDir.empty() && !Accepts(&c, kSaveDir))
        error = Tr("--save-dir goes with survey");
    else if ((s.dryRun && !Accepts(&c, kDryRun)) || (s.stopOnError && !Accepts(&c, kStopOnError)))
        error = Tr("--dry-run and --stop-on-error go with apply");
    else if (!s.retryAbsent.empty())
        error = Tr("survey --retry-absent REPORT takes its numbers from the report: give no others");
    if (!error.empty()) return false;
    return c.arguments != Arguments::detectorList || ParseDetectorList(words[1], s.detectors, error, Language());
}

// The command of words[0] with its words and the options given: each
// option goes with the commands that take it.
bool CheckCommand(const std::vector<std::string>& words, const std::string& boxFileHint, Options& o,
                  std::string& error) {
    const Command* c = FindCommand(words[0]);
    o.command = c;
    if (!o.send.fromFile.empty() && !Accepts(c, kFrom)) return Fail(error, Tr("--from goes with send-params only"));
    if (!o.send.jsonFile.empty() && !Accepts(c, kFromJson))
        return Fail(error, Tr("--from-json goes with send-params only"));
    if (c != nullptr && c->site) return CheckSiteCommand(*c, words, o, error);
    if (o.site.given)
        return Fail(error, Tr("--save-dir, --report, --retry-absent, --dry-run, --stop-on-error and --per-detector go "
                              "with survey, apply and audit"));
    if (c == nullptr) return Fail(error, Tr("unknown command: ") + words[0] + boxFileHint);
    if (o.withAddresses && o.saveFile.empty()) return Fail(error, Tr("--with-addresses goes with read-params --save"));
    if (!o.saveFile.empty() && !Accepts(c, kSave)) return Fail(error, Tr("--save goes with read-params only"));
    return CheckArguments(*c, words, o, error);
}

// The code of a --lang value: 1 fr, 2 en, 0 another.
int LanguageCode(const std::string& value) { return value == "fr" ? 1 : value == "en" ? 2 : 0; }

// The value of option `name` at args[i], "--name VALUE" (i moves on to the
// value; none: empty) or "--name=VALUE"; nothing when args[i] is another.
std::optional<std::string> OptionValue(const std::vector<std::string>& args, std::size_t& i, const std::string& name) {
    const std::string& a = args[i];
    if (a == name) return i + 1 < args.size() ? args[++i] : std::string();
    if (a.rfind(name + "=", 0) == 0) return a.substr(name.size() + 1);
    return std::nullopt;
}

// The options that take no value.
struct Flag {
    const char* name;
    bool Options::*field;
};
constexpr Flag kFlags[] = {{"--help", &Options::help},
                           {"-h", &Options::help},
                           {"--version", &Options::version},
                           {"--print-udev-rule", &Options::printUdevRule},
                           {"--json", &Options::json},
                           {"--trace", &Options::trace},
                           {"--with-addresses", &Options::withAddresses}};

// The front end's own options with a value; false when args[i] is none of
// them, true with `error` set when its value is wrong.
bool TakeValueOption(const std::vector<std::string>& args, std::size_t& i, Options& o, std::string& error) {
    if (const auto v = OptionValue(args, i, "--timeout")) {
        if (ParseSeconds(*v, o.timeoutSeconds))
            o.timeoutGiven = true;
        else
            error = Filled(Tr("--timeout takes seconds above 0 and at most 86400, in digits with an optional "
                              "fraction (30, 2.5): \"%1\""),
                           *v);
    } else if (const auto v = OptionValue(args, i, "--lang")) {
        o.language = LanguageCode(*v);
        if (o.language == 0) error = Filled(Tr("--lang takes fr or en: \"%1\""), *v);
    } else if (const auto v = OptionValue(args, i, "--from")) {
        o.send.fromFile = *v;
        if (v->empty()) error = Tr("--from needs a project file");
    } else if (const auto v = OptionValue(args, i, "--from-json")) {
        o.send.jsonFile = *v;
        ReadJsonFields(o.send, error);
    } else if (const auto v = OptionValue(args, i, "--save")) {
        o.saveFile = *v;
        if (v->empty()) error = Tr("--save needs a file name");
    } else {
        return false;
    }
    return true;
}

enum class Taken { option, word, refused };

// The option at args[i] (i moves past its value), or a word.
Taken TakeOption(const std::vector<std::string>& args, std::size_t& i, Options& o, std::string& error) {
    for (const Flag& f : kFlags) {
        if (args[i] != f.name) continue;
        o.*f.field = true;
        return Taken::option;
    }
    const bool taken = TakeValueOption(args, i, o, error) || ParseSiteOption(args, i, o.site, error) ||
                       (error.empty() && parseBackendOption(args, i, o.backend, error));
    if (!error.empty()) return Taken::refused;
    if (taken) return Taken::option;
    if (args[i].rfind("--", 0) != 0) return Taken::word;
    error = Tr("unknown option: ") + args[i];
    return Taken::refused;
}

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
        // A file's name would end at the NUL: the file meant is not known.
        if (args[i].find('\0') != std::string::npos) {
            error = Filled(Tr("\"%1\" holds a NUL character: no file name or value holds one"), Printable(args[i]));
            return std::nullopt;
        }
        if (GivenTwice(args[i], given, error)) return std::nullopt;
        const Taken taken = TakeOption(args, i, o, error);
        if (taken == Taken::refused) return std::nullopt;
        if (taken == Taken::option) continue;
        // "--simulate FILE" reads FILE as the command: say what was meant.
        if (i > 1 && args[i - 1] == "--simulate" && words.empty() && FindCommand(args[i]) == nullptr)
            boxFileHint = Filled(Tr(" (for a box file, write --simulate=%1)"), args[i]);
        words.push_back(args[i]);
    }
    if (o.help || o.version || o.printUdevRule) return o;
    if (words.empty()) {
        error = Tr("no command given");
        return std::nullopt;
    }
    if (!CheckCommand(words, boxFileHint, o, error)) return std::nullopt;
    return o;
}

const char* ChannelName(BoxChannel channel) { return channel == BoxChannel::A ? "A" : "B"; }

} // namespace quelm::cli
