#include "site/site_report.h"

#include "core/printable.h"
#include "files/text_file.h"
#include "platform/path_text.h"
#include "site/csv.h"

#include <nlohmann/json.hpp>

#include <cctype>
#include <charconv>
#include <cmath>

namespace quelm {

namespace {

using Json = nlohmann::ordered_json;

bool Failed(DetectorState s) {
    return s == DetectorState::failed || s == DetectorState::noAnswer || s == DetectorState::stopped ||
           s == DetectorState::noBox;
}

std::string Joined(const std::vector<std::string>& items, const char* between) {
    std::string s;
    for (const std::string& item : items) s += (s.empty() ? "" : between) + item;
    return s;
}

std::string AddressText(const std::optional<AddressList>& addresses) {
    if (!addresses) return "";
    return Joined(std::vector<std::string>(addresses->begin(), addresses->end()), " ");
}

// The cells of a row in column order, as CSV writes them.
std::vector<std::string> CsvCells(const DetectorReport& r) {
    std::vector<std::string> cells = {r.detector, StateName(r.state), r.reached ? "yes" : "no"};
    for (std::size_t field = 0; field < ParameterFields().size(); ++field)
        cells.push_back(r.read ? ShownValue(*r.read, field) : "");
    cells.push_back(AddressText(r.addresses));
    cells.push_back(r.newNumber);
    cells.push_back(Joined(r.written, " "));
    cells.push_back(DescribeDifferences(r.differences));
    cells.push_back(r.failure);
    cells.push_back(SecondsText(r.seconds));
    cells.push_back(r.projectFile);
    cells.push_back(DescribeCutWrites(r.cutWrites));
    cells.push_back(r.uncertain ? "yes" : "no");
    cells.push_back(Joined(r.readTwice, " "));
    return cells;
}

Json NumberOrNull(const std::string& digits) {
    if (digits.empty()) return nullptr;
    return std::stoll(digits);
}

Json TextOrNull(const std::string& text) { return text.empty() ? Json(nullptr) : Json(text); }

// Every text of `value` as valid UTF-8: a file name or a file's line in
// another encoding keeps its other bytes written \xNN.
void MakeValidUtf8(Json& value) {
    if (value.is_string()) value = EscapeInvalidUtf8(value.get_ref<const std::string&>());
    if (value.is_structured())
        for (Json& item : value) MakeValidUtf8(item);
}

Json JsonRow(const DetectorReport& r) {
    Json row;
    row["detector"] = NumberOrNull(r.detector);
    row["state"] = StateName(r.state);
    row["reached"] = r.reached;
    for (std::size_t field = 0; field < ParameterFields().size(); ++field) {
        const ParameterField& f = ParameterFields()[field];
        const std::string value = r.read ? ShownValue(*r.read, field) : "";
        row[f.key] = f.levelText != 0 ? NumberOrNull(value) : TextOrNull(value);
    }
    row["addresses"] = nullptr;
    if (r.addresses) {
        row["addresses"] = Json::array();
        for (const std::string& a : *r.addresses) {
            std::string plain;
            row["addresses"].push_back(PlainNumber(a, plain) ? Json(std::stoll(plain)) : Json(a));
        }
    }
    row["newNumber"] = NumberOrNull(r.newNumber);
    row["written"] = r.written;
    row["differences"] = Json::array();
    for (const FieldDifference& d : r.differences)
        row["differences"].push_back({{"field", d.field}, {"detector", d.detector}, {"wanted", d.wanted}});
    row["failure"] = TextOrNull(r.failure);
    row["seconds"] = std::round(r.seconds * 100) / 100;
    row["projectFile"] = TextOrNull(r.projectFile);
    row["cutWrites"] = Json::array();
    for (const CutWrite& w : r.cutWrites)
        row["cutWrites"].push_back({{"field", w.field}, {"value", w.value}, {"reached", w.reached}});
    row["uncertain"] = r.uncertain;
    row["readTwice"] = r.readTwice;
    return row;
}

} // namespace

const char* StateName(DetectorState state) {
    switch (state) {
    case DetectorState::done: return "done";
    case DetectorState::differs: return "differs";
    case DetectorState::failed: return "failed";
    case DetectorState::noAnswer: return "no answer";
    case DetectorState::stopped: return "stopped";
    case DetectorState::noBox: return "no box";
    default: return "not run";
    }
}

SiteSummary Summarize(const std::vector<DetectorReport>& rows) {
    SiteSummary s;
    s.detectors = rows.size();
    for (const DetectorReport& r : rows) {
        s.reached += r.reached ? 1 : 0;
        s.done += r.state == DetectorState::done ? 1 : 0;
        s.differing += r.state == DetectorState::differs ? 1 : 0;
        s.failed += Failed(r.state) ? 1 : 0;
        s.notRun += r.state == DetectorState::notRun ? 1 : 0;
    }
    return s;
}

std::string SummaryLine(const SiteSummary& s) {
    return std::to_string(s.detectors) + " detector" + (s.detectors == 1 ? "" : "s") + ": " +
           std::to_string(s.reached) + " reached, " + std::to_string(s.done) + " done, " + std::to_string(s.differing) +
           " differing, " + std::to_string(s.failed) + " failed, " + std::to_string(s.notRun) + " not run";
}

const std::vector<std::string>& ReportColumns() {
    static const std::vector<std::string> columns = [] {
        std::vector<std::string> c = {"detector", "state", "reached"};
        for (const ParameterField& f : ParameterFields()) c.push_back(f.key);
        for (const char* k : {"addresses", "newNumber", "written", "differences", "failure", "seconds", "projectFile",
                              "cutWrites", "uncertain", "readTwice"})
            c.push_back(k);
        return c;
    }();
    return columns;
}

std::string ReportCsv(const std::vector<DetectorReport>& rows) {
    std::string s = Joined(ReportColumns(), ",") + "\n";
    for (const DetectorReport& r : rows) {
        std::vector<std::string> cells = CsvCells(r);
        for (std::string& c : cells) c = CsvCell(c);
        s += Joined(cells, ",") + "\n";
    }
    // One cell, quoted: a spreadsheet shows it whole, and a plan reader
    // skips it as a line starting with '#'.
    return s + "\"# " + SummaryLine(Summarize(rows)) + "\"\n";
}

std::string ReportJson(const std::string& command, const std::vector<DetectorReport>& rows) {
    Json report;
    report["command"] = command;
    report["detectors"] = Json::array();
    for (const DetectorReport& r : rows) report["detectors"].push_back(JsonRow(r));
    const SiteSummary s = Summarize(rows);
    report["summary"] = {{"detectors", s.detectors}, {"reached", s.reached}, {"done", s.done},
                         {"differing", s.differing}, {"failed", s.failed},   {"notRun", s.notRun}};
    MakeValidUtf8(report);
    return JsonControlsEscaped(report.dump(2)) + "\n";
}

bool ReportIsJson(const std::filesystem::path& file) {
    std::string suffix = platform::Utf8OfPath(file.extension());
    for (char& c : suffix) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return suffix == ".json";
}

bool WriteReport(const std::filesystem::path& file, const std::string& command, const std::vector<DetectorReport>& rows,
                 std::string& error) {
    return WriteFileAtomically(file, ReportIsJson(file) ? ReportJson(command, rows) : ReportCsv(rows), error);
}

bool CheckReportFile(const std::filesystem::path& file, const std::vector<RunFile>& runFiles, std::string& error) {
    std::filesystem::path target;
    if (!CheckWritable(file, target, error)) return false;
    std::error_code ec;
    const bool exists = std::filesystem::exists(target, ec);
    const std::filesystem::path where = exists ? target : std::filesystem::weakly_canonical(target, ec);
    for (const RunFile& own : runFiles) {
        // A file yet to be made is the same only under the same name.
        const bool same = exists ? std::filesystem::equivalent(target, own.file, ec)
                                 : own.file.filename() == target.filename() &&
                                       std::filesystem::weakly_canonical(own.file, ec) == where;
        if (!same) continue;
        error = "the report cannot go to " + platform::Utf8OfPath(file) + ": it is " + own.what + " of this run";
        return false;
    }
    return true;
}

std::string DescribeDifferences(const std::vector<FieldDifference>& differences) {
    std::vector<std::string> items;
    for (const FieldDifference& d : differences)
        items.push_back(d.field + ": " + (d.detector.empty() ? "(none)" : d.detector) + " -> " + d.wanted);
    return Joined(items, "; ");
}

std::string DescribeCutWrites(const std::vector<CutWrite>& writes) {
    std::vector<std::string> items;
    for (const CutWrite& w : writes) items.push_back(w.field + " " + w.value + " (" + w.reached + ")");
    return Joined(items, "; ");
}

std::string SecondsText(double seconds) {
    char text[32];
    const auto end = std::to_chars(text, text + sizeof text, seconds, std::chars_format::fixed, 2);
    return std::string(text, end.ptr);
}

} // namespace quelm
