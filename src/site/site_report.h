#pragma once
// The report of a site run: one row per detector, as CSV or JSON with the
// same columns, and a summary.
#include "form/parameters.h"
#include "site/parameter_fields.h"
#include "site/project_values.h"

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace quelm {

enum class DetectorState {
    notRun,   // the run ended before this detector
    done,     // every step done: read (and saved), written and confirmed, or agrees
    differs,  // holds other values than the plan (dry run) or its file (audit)
    failed,   // answered, but a step did not end well
    noAnswer, // no answer within the wait
    absent,   // silent to the presence probe: no detector has the number, or the link lost its tries
    stopped,  // the stop came while it was being worked on
    noBox,    // no box to use, or several
};

// "done", "differs", "failed", "no answer", "absent (probe)", "stopped",
// "no box", "not run": the JSON report's fixed names.
const char* StateName(DetectorState state);
// The state as the CSV report and the messages say it in `language` (1
// French, else English).
const char* StateName(DetectorState state, int language);
// The state a name stands for, in either language; nothing for another.
std::optional<DetectorState> StateOfName(const std::string& name);

// A write of an operation that did not end well, and how far it went.
struct CutWrite {
    std::string field;   // "outputPower", "address4", "number"
    std::string value;   // "max", "70", "1004"
    std::string reached; // "sent", "acknowledged" (by the box), "confirmed" (by the detector)
    bool operator==(const CutWrite&) const = default;
};

struct DetectorReport {
    std::string detector;
    DetectorState state = DetectorState::notRun;
    bool reached = false;                     // the detector answered a read
    std::optional<DetectorParameters> read;   // as last read
    std::optional<AddressList> addresses;     // as last read
    std::string newNumber;                    // the number it now answers to, once programmed
    std::vector<std::string> written;         // fields written and confirmed by a read
    std::vector<FieldDifference> differences; // detector against plan or file
    std::string failure;                      // why it is not done
    double seconds = 0;                       // time spent on it
    std::string projectFile;                  // saved (survey) or compared with (audit)
    std::vector<CutWrite> cutWrites;          // writes of an operation cut short or failed
    // A write went out and was not read back: the detector may hold other
    // values (or answer to another number) than the row says.
    bool uncertain = false;
    // "parameters", "addresses": read again, something unusual having been
    // seen on the line during the read, until two reads agreed.
    std::vector<std::string> readTwice;
};

struct SiteSummary {
    std::size_t detectors = 0, reached = 0, done = 0, differing = 0, failed = 0, stopped = 0, absent = 0, notRun = 0;
};
SiteSummary Summarize(const std::vector<DetectorReport>& rows);
// Counts `row` into `s`.
void Tally(SiteSummary& s, const DetectorReport& row);
// "20 detectors: 16 reached, 15 done, 1 differing, 4 failed, 80 absent, 0 not
// run" in `language` (1 French, else English); "stopped" and "absent" only
// when some are. The detector a stop cut is stopped, not failed.
std::string SummaryLine(const SiteSummary& s, int language = 2);

// The columns, in order, by their fixed names (the JSON report's keys).
const std::vector<std::string>& ReportColumns();
// A column's header, or a field's name ("address4", "number"), in
// `language` (1 French, else the fixed name).
std::string ColumnHeader(const std::string& column, int language);
// The fixed name of the column a header names in either language, case
// not minded; nothing for another header.
std::optional<std::string> ColumnOfHeader(const std::string& header);
// A header, one line per detector and the summary as a last "#" line, in
// `language`: French with ';' between cells, a decimal comma and a UTF-8
// byte-order mark, as a French spreadsheet reads it; English with ',' and a
// decimal point.
std::string ReportCsv(const std::vector<DetectorReport>& rows, int language = 2);
// What a run does to its detectors; a report names it by SiteModeName.
enum class SiteMode { survey, audit, apply, applyDryRun };
// "survey", "audit", "apply", "apply --dry-run".
const char* SiteModeName(SiteMode mode);
// {"command": SiteModeName(mode), "detectors": [...], "summary": {...}}.
std::string ReportJson(SiteMode mode, const std::vector<DetectorReport>& rows);
// The report in its three parts, so that a report kept on the disk during a
// run adds a row where the rows end and redoes only what follows: the
// head (CSV: the header line; JSON: up to the opening of the detectors'
// array), a row (`first`: the first of the report), and the tail after
// the last row (CSV: the summary line; JSON: the array's end and the
// summary). JSON is in no language; ReportCsv and ReportJson are the head,
// every row and the tail.
std::string ReportHead(SiteMode mode, bool json, int language);
std::string ReportRow(const DetectorReport& row, bool json, bool first, int language);
std::string ReportTail(const SiteSummary& s, bool json, bool anyRow, int language);
// Whether a report named `file` is JSON: its name ends in ".json", in any case.
bool ReportIsJson(const std::filesystem::path& file);
// The report as ReportIsJson(file) says (the JSON one in no language);
// replaced whole or not at all.
bool WriteReport(const std::filesystem::path& file, SiteMode mode, const std::vector<DetectorReport>& rows,
                 std::string& error, int language = 2);

// What a file is to the run that reads or writes it.
enum class RunFileKind { plan, projectFile, retriedReport, boxFile };
// "the plan of this run", "a project file of this run", ... in `language` (1 French, else English).
std::string RunFileName(RunFileKind kind, int language);
struct RunFile {
    std::filesystem::path file;
    RunFileKind kind = RunFileKind::projectFile;
};
// Whether the report may go to `file`, said before the run starts so that
// no work is lost to a report that cannot be written: a regular file or a
// new name in a folder where files can be made (see CheckWritable), and
// none of the run's own files, which the report would destroy: the same
// file under any name (a link, another path) is refused. The refusal of
// a run's file is said in `language`.
bool CheckReportFile(const std::filesystem::path& file, const std::vector<RunFile>& runFiles, std::string& error,
                     int language = 2);

// "outputPower: med -> max; address4: 1004 -> 4444", with the columns'
// headers in `language`.
std::string DescribeDifferences(const std::vector<FieldDifference>& differences, int language = 2);
// A decimal point made a comma for language 1: "0.5 s" -> "0,5 s".
std::string DecimalText(std::string text, int language);
// "outputPower max (acknowledged); levelOnPlus 70 (confirmed)".
std::string DescribeCutWrites(const std::vector<CutWrite>& writes);
// Seconds with two decimals, whatever the locale.
std::string SecondsText(double seconds);

} // namespace quelm
