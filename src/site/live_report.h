#pragma once
// The report of a site run kept true on the disk while the run goes on, at
// a cost per detector that does not grow with the site. The file is the
// report's head, the rows of the detectors done with, in order, then the
// row of the detector being written (when one is) and the tail with the
// summary as it stands; each detector adds its row where the rows end and
// redoes only what follows, flushed to the disk before the run goes on. A
// run cut by a crash or a pulled plug leaves a whole report of what was
// done, the detector it was writing said to be read again, and the
// detectors not reached counted as not run. The end of the run writes the
// whole report, every detector's row, atomically in its place.
#include "platform/kept_file.h"
#include "site/site_report.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace quelm {

class LiveReport {
public:
    // The report of a run of `detectors` detectors; CSV or JSON as
    // ReportIsJson(file) says.
    LiveReport(std::filesystem::path file, SiteMode mode, std::size_t detectors, int language);

    // The report before the first detector, written whole and kept open.
    bool start(std::string& error);
    // The detector after the last one done is about to be written: its row
    // says so, stopped and uncertain, until it is done with. Once for a
    // detector; nothing when the report could not be kept.
    bool writing(const std::string& detector, const std::string& step, std::string& error);
    // The next detector is done with: its row takes its place.
    bool done(const DetectorReport& row, std::string& error);
    // The whole report, every row, atomically in the place of the kept one.
    bool finish(const std::vector<DetectorReport>& rows, std::string& error);
    // Whether the file is still kept current: false once a write failed.
    bool kept() const { return file_.isOpen(); }

private:
    // The rows after the done ones, then the tail, from where the done rows end.
    bool redoEnd(const std::string& rows, const SiteSummary& summary, std::string& error);

    std::filesystem::path name_;
    SiteMode mode_;
    bool json_;
    int language_;
    std::size_t detectors_;
    std::size_t doneRows_ = 0;
    std::uint64_t rowsEnd_ = 0; // where the done rows end
    bool writingShown_ = false; // the next detector's row says it is being written
    SiteSummary summary_;       // of the done rows
    platform::KeptFile file_;
};

} // namespace quelm
