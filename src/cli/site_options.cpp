#include "cli/site_options.h"

#include "cli/cli_language.h"

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
    if (value.empty()) error = name + Tr(" needs a value");
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

} // namespace

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
    } else if (Value(args, i, "--retry-absent", value, error)) {
        site.retryAbsent = value;
    } else if (Value(args, i, "--per-detector", value, error)) {
        if (error.empty() && !Seconds(value, site.perDetectorSeconds))
            error = Tr("--per-detector takes seconds as plain decimal digits, above 0 and at most 3600: ") +
                    ("\"" + value + "\"");
    } else {
        return false;
    }
    site.given = true;
    return error.empty();
}

} // namespace quelm::cli
