#include "cli/site_options.h"

#include "cli/cli_options.h"
#include "site/detector_list.h"

#include <charconv>

namespace quelm::cli {

namespace {

constexpr double kMostSecondsPerDetector = 3600;

bool Value(const std::vector<std::string>& args, std::size_t& i, const std::string& name, std::string& value,
           std::string& error) {
    const std::string& a = args[i];
    if (a.rfind(name + "=", 0) == 0) {
        value = a.substr(name.size() + 1);
    } else if (a == name) {
        value = i + 1 < args.size() ? args[++i] : "";
    } else {
        return false;
    }
    if (value.empty()) error = name + " needs a value";
    return true;
}

// Seconds as plain decimal digits with an optional fraction, above 0.
bool Seconds(const std::string& text, double& seconds) {
    if (text.empty() || text.find_first_not_of("0123456789.") != std::string::npos) return false;
    double v = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v, std::chars_format::fixed);
    if (ec != std::errc() || end != text.data() + text.size() || !(v > 0) || v > kMostSecondsPerDetector) return false;
    seconds = v;
    return true;
}

const char* Wanted(const std::string& command) {
    if (command == "survey") return "survey takes detector numbers, such as 300-320,400";
    if (command == "apply") return "apply takes one plan file (.csv or .json)";
    return "audit takes one folder of project files";
}

} // namespace

bool IsSiteCommand(const std::string& command) {
    return command == "survey" || command == "apply" || command == "audit";
}

bool ParseSiteOption(const std::vector<std::string>& args, std::size_t& i, SiteOptions& site, std::string& error) {
    std::string value;
    error.clear();
    if (args[i] == "--dry-run") {
        site.dryRun = true;
    } else if (args[i] == "--stop-on-error") {
        site.stopOnError = true;
    } else if (Value(args, i, "--save-dir", value, error)) {
        site.saveDir = value;
    } else if (Value(args, i, "--report", value, error)) {
        site.reportFile = value;
    } else if (Value(args, i, "--per-detector", value, error)) {
        if (error.empty() && !Seconds(value, site.perDetectorSeconds))
            error = "--per-detector takes seconds as plain decimal digits, above 0 and at most 3600: \"" + value + "\"";
    } else {
        return false;
    }
    site.given = true;
    return error.empty();
}

bool CheckSiteCommand(const std::vector<std::string>& words, Options& o, std::string& error) {
    const SiteOptions& s = o.site;
    if (!IsSiteCommand(o.command)) {
        if (s.given)
            error = "--save-dir, --report, --dry-run, --stop-on-error and --per-detector go with survey, apply "
                    "and audit";
        return error.empty();
    }
    if (words.size() != 2) {
        error = Wanted(o.command);
        return false;
    }
    o.number = words[1];
    if (!o.saveFile.empty())
        error = "--save goes with read-params; survey takes --save-dir";
    else if (o.withAddresses && o.command != "survey")
        error = "--with-addresses goes with survey or read-params";
    else if (!s.saveDir.empty() && o.command != "survey")
        error = "--save-dir goes with survey";
    else if ((s.dryRun || s.stopOnError) && o.command != "apply")
        error = "--dry-run and --stop-on-error go with apply";
    if (!error.empty()) return false;
    if (o.command == "survey" && !ParseDetectorList(o.number, o.site.detectors, error)) return false;
    return true;
}

} // namespace quelm::cli
