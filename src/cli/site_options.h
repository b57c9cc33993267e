#pragma once
// The arguments of the site commands: survey NUMBERS, apply PLAN, audit DIR.
#include "site/site_report.h"

#include <string>
#include <vector>

namespace quelm::cli {

struct SiteOptions {
    SiteMode mode = SiteMode::survey;   // what the command does
    std::string detectorsGiven;         // survey: NUMBERS as given
    std::vector<std::string> detectors; // survey: the numbers of NUMBERS
    std::string plan;                   // apply: the plan file
    std::string folder;                 // audit: the folder of project files
    std::string saveDir;                // survey --save-dir
    std::string reportFile;             // --report
    std::string retryAbsent;            // survey --retry-absent REPORT
    bool dryRun = false;                // apply --dry-run
    bool stopOnError = false;           // apply --stop-on-error
    double perDetectorSeconds = 12;     // --per-detector: three reply watchdog periods
    bool given = false;                 // any of these options was given
};

// A site option at args[i] (i moves past its value): true when it was one;
// false with `error` set, in the user's language, when it was one but its
// value is wrong.
bool ParseSiteOption(const std::vector<std::string>& args, std::size_t& i, SiteOptions& site, std::string& error);

} // namespace quelm::cli
