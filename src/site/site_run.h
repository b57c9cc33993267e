#pragma once
// What a site run is made of: its steps, its settings, its progress and its
// result, shared by the runner and the work on each detector.
#include "site/site_report.h"

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

namespace quelm {

// What the runner is doing, for a progress line or bar.
enum class SiteStep { probe, readParameters, readAddresses, sendParameters, sendAddresses, programNumber, saveFile };
// The step in words, in the window's language (1 French, else English).
std::string StepName(SiteStep step, int language);

struct SiteProgress {
    std::size_t index = 0; // of the detector worked on, from 0
    std::size_t count = 0;
    std::size_t finished = 0; // detectors done with, whatever their state
    std::string detector;
    SiteStep step = SiteStep::readParameters;
    double elapsedSeconds = 0;
};

struct SiteSettings {
    // The longest any one operation on a detector may take: a detector that
    // does not answer costs this once, and the run goes on.
    double perDetectorSeconds = 12;
    double timeoutSeconds = 0; // the whole run; 0 for no limit
    // Each number is first asked with the presence probe, and one that
    // stays silent to it is recorded absent; without, every number is read
    // with the reply watchdog's whole wait.
    bool probe = true;
    // Every try of the probe waits a second: numbers a run recorded absent
    // asked again.
    bool patientProbe = false;
    std::function<bool()> stopAsked; // a key, a signal: asked after every tick
    std::function<void(const SiteProgress&)> progress;
    std::function<void(const DetectorReport&)> detectorDone;
};

struct SiteRun {
    std::vector<DetectorReport> rows; // one per detector asked for, in order
    bool stopped = false;             // a stop ended the run
    bool timedOut = false;            // the run's time-out ended it
    bool noBox = false;               // no box to use, or several
};

} // namespace quelm
