#include "site/site_report.h"

#include "core/printable.h"
#include "files/text_file.h"
#include "platform/path_text.h"
#include "site/csv.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>

namespace quelm {

namespace {

using Json = nlohmann::ordered_json;

bool Failed(DetectorState s) {
    return s == DetectorState::failed || s == DetectorState::noAnswer || s == DetectorState::noBox;
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

// The columns' French headers, in the order of ReportColumns(): the
// parameters' come from their rows.
const std::vector<std::string>& FrenchHeaders() {
    static const std::vector<std::string> headers = [] {
        std::vector<std::string> h = {"détecteur", "état", "atteint"};
        for (const ParameterField& f : ParameterFields()) h.push_back(f.frenchColumn);
        for (const char* k : {"adresses", "nouveau numéro", "écrit", "différences", "motif", "secondes",
                              "fichier projet", "écritures coupées", "incertain", "lu deux fois"})
            h.push_back(k);
        return h;
    }();
    return headers;
}

std::string FoldedHeader(const std::string& text) {
    std::string s;
    for (char c : text)
        if (c != ' ' && c != '_') s += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

// The cells of a row in column order, as CSV writes them in `language`.
std::vector<std::string> CsvCells(const DetectorReport& r, int language) {
    const bool fr = language == 1;
    const char* yes = fr ? "oui" : "yes";
    const char* no = fr ? "non" : "no";
    std::vector<std::string> cells = {r.detector, StateName(r.state, language), r.reached ? yes : no};
    for (std::size_t field = 0; field < ParameterFields().size(); ++field)
        cells.push_back(r.read ? DecimalText(ShownValue(*r.read, field), language) : "");
    cells.push_back(AddressText(r.addresses));
    cells.push_back(r.newNumber);
    std::vector<std::string> written;
    for (const std::string& w : r.written) written.push_back(ColumnHeader(w, language));
    cells.push_back(Joined(written, fr ? ", " : " "));
    cells.push_back(DescribeDifferences(r.differences, language));
    cells.push_back(r.failure);
    cells.push_back(DecimalText(SecondsText(r.seconds), language));
    cells.push_back(r.projectFile);
    cells.push_back(DescribeCutWrites(r.cutWrites));
    cells.push_back(r.uncertain ? yes : no);
    std::vector<std::string> twice;
    for (const std::string& what : r.readTwice)
        twice.push_back(!fr ? what : what == "parameters" ? "paramètres" : "adresses");
    cells.push_back(Joined(twice, " "));
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

// `text` with `spaces` more at the start of each line but its first.
std::string Indented(const std::string& text, std::size_t spaces) {
    std::string s;
    s.reserve(text.size() + text.size() / 8);
    for (const char c : text) {
        s += c;
        if (c == '\n') s.append(spaces, ' ');
    }
    return s;
}

std::string WholeReport(SiteMode mode, const std::vector<DetectorReport>& rows, bool json, int language) {
    std::string s = ReportHead(mode, json, language);
    for (std::size_t i = 0; i < rows.size(); ++i) s += ReportRow(rows[i], json, i == 0, language);
    return s + ReportTail(Summarize(rows), json, !rows.empty(), language);
}

} // namespace

const char* StateName(DetectorState state) { return StateName(state, 2); }

const char* StateName(DetectorState state, int language) {
    const bool fr = language == 1;
    switch (state) {
    case DetectorState::done: return fr ? "fait" : "done";
    case DetectorState::differs: return fr ? "diffère" : "differs";
    case DetectorState::failed: return fr ? "en échec" : "failed";
    case DetectorState::noAnswer: return fr ? "pas de réponse" : "no answer";
    case DetectorState::absent: return fr ? "absent (sonde)" : "absent (probe)";
    case DetectorState::stopped: return fr ? "arrêté" : "stopped";
    case DetectorState::noBox: return fr ? "pas de BOX" : "no box";
    default: return fr ? "pas fait" : "not run";
    }
}

std::optional<DetectorState> StateOfName(const std::string& name) {
    for (const DetectorState s :
         {DetectorState::notRun, DetectorState::done, DetectorState::differs, DetectorState::failed,
          DetectorState::noAnswer, DetectorState::absent, DetectorState::stopped, DetectorState::noBox})
        if (name == StateName(s, 1) || name == StateName(s, 2)) return s;
    return std::nullopt;
}

void Tally(SiteSummary& s, const DetectorReport& r) {
    ++s.detectors;
    s.reached += r.reached ? 1 : 0;
    s.done += r.state == DetectorState::done ? 1 : 0;
    s.differing += r.state == DetectorState::differs ? 1 : 0;
    s.failed += Failed(r.state) ? 1 : 0;
    s.absent += r.state == DetectorState::absent ? 1 : 0;
    s.stopped += r.state == DetectorState::stopped ? 1 : 0;
    s.notRun += r.state == DetectorState::notRun ? 1 : 0;
}

SiteSummary Summarize(const std::vector<DetectorReport>& rows) {
    SiteSummary s;
    for (const DetectorReport& r : rows) Tally(s, r);
    return s;
}

std::string SummaryLine(const SiteSummary& s, int language) {
    const auto n = [](std::size_t v) { return std::to_string(v); };
    if (language == 1) {
        // French counts under two in the singular: "0 détecteur", "1 fait", "3 faits".
        const auto fr = [&n](std::size_t v, const char* one, const char* many) { return n(v) + (v < 2 ? one : many); };
        return fr(s.detectors, " détecteur : ", " détecteurs : ") + fr(s.reached, " atteint, ", " atteints, ") +
               fr(s.done, " fait, ", " faits, ") + fr(s.differing, " différent, ", " différents, ") + n(s.failed) +
               " en échec, " + (s.stopped == 0 ? "" : fr(s.stopped, " arrêté, ", " arrêtés, ")) +
               (s.absent == 0 ? "" : fr(s.absent, " absent, ", " absents, ")) + fr(s.notRun, " pas fait", " pas faits");
    }
    return n(s.detectors) + " detector" + (s.detectors == 1 ? "" : "s") + ": " + n(s.reached) + " reached, " +
           n(s.done) + " done, " + n(s.differing) + " differing, " + n(s.failed) + " failed, " +
           (s.stopped == 0 ? "" : n(s.stopped) + " stopped, ") + (s.absent == 0 ? "" : n(s.absent) + " absent, ") +
           n(s.notRun) + " not run";
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

std::string ColumnHeader(const std::string& column, int language) {
    const std::vector<std::string>& columns = ReportColumns();
    const auto at = std::find(columns.begin(), columns.end(), column);
    if (language != 1) return column;
    if (at != columns.end()) return FrenchHeaders()[static_cast<std::size_t>(at - columns.begin())];
    // The fields a row names besides the columns: "address4", "number".
    if (column.starts_with("address")) return "adresse " + column.substr(7);
    return column == "number" ? "numéro" : column;
}

std::optional<std::string> ColumnOfHeader(const std::string& header) {
    const std::vector<std::string>& columns = ReportColumns();
    const std::string folded = FoldedHeader(header);
    for (std::size_t i = 0; i < columns.size(); ++i)
        if (folded == FoldedHeader(columns[i]) || folded == FoldedHeader(FrenchHeaders()[i])) return columns[i];
    return std::nullopt;
}

std::string ReportHead(SiteMode mode, bool json, int language) {
    if (json) return "{\n  \"command\": " + Json(SiteModeName(mode)).dump() + ",\n  \"detectors\": [";
    const bool fr = language == 1;
    std::vector<std::string> headers;
    for (const std::string& c : ReportColumns()) headers.push_back(ColumnHeader(c, language));
    // The byte-order mark tells a spreadsheet the text is UTF-8.
    return (fr ? "\xEF\xBB\xBF" : "") + Joined(headers, fr ? ";" : ",") + "\n";
}

std::string ReportRow(const DetectorReport& r, bool json, bool first, int language) {
    if (json) {
        Json row = JsonRow(r);
        MakeValidUtf8(row);
        return (first ? "\n    " : ",\n    ") + Indented(JsonControlsEscaped(row.dump(2)), 4);
    }
    const char separator = language == 1 ? ';' : ',';
    std::vector<std::string> cells = CsvCells(r, language);
    for (std::string& c : cells) c = CsvCell(c, separator);
    return Joined(cells, std::string(1, separator).c_str()) + "\n";
}

std::string ReportTail(const SiteSummary& s, bool json, bool anyRow, int language) {
    // One cell, quoted: a spreadsheet shows it whole, and a plan reader
    // skips it as a line starting with '#'.
    if (!json) return "\"# " + SummaryLine(s, language) + "\"\n";
    const Json summary = {{"detectors", s.detectors}, {"reached", s.reached}, {"done", s.done},
                          {"differing", s.differing}, {"failed", s.failed},   {"stopped", s.stopped},
                          {"absent", s.absent},       {"notRun", s.notRun}};
    return std::string(anyRow ? "\n  ]" : "]") + ",\n  \"summary\": " + Indented(summary.dump(2), 2) + "\n}\n";
}

std::string ReportCsv(const std::vector<DetectorReport>& rows, int language) {
    return WholeReport(SiteMode::survey, rows, false, language);
}

const char* SiteModeName(SiteMode mode) {
    switch (mode) {
    case SiteMode::survey: return "survey";
    case SiteMode::audit: return "audit";
    case SiteMode::apply: return "apply";
    case SiteMode::applyDryRun: return "apply --dry-run";
    }
    return "apply";
}

std::string ReportJson(SiteMode mode, const std::vector<DetectorReport>& rows) {
    return WholeReport(mode, rows, true, 2);
}

bool ReportIsJson(const std::filesystem::path& file) {
    std::string suffix = platform::Utf8OfPath(file.extension());
    for (char& c : suffix) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return suffix == ".json";
}

bool WriteReport(const std::filesystem::path& file, SiteMode mode, const std::vector<DetectorReport>& rows,
                 std::string& error, int language) {
    return WriteFileAtomically(file, WholeReport(mode, rows, ReportIsJson(file), language), error);
}

std::string RunFileName(RunFileKind kind, int language) {
    const bool fr = language == 1;
    switch (kind) {
    case RunFileKind::plan: return fr ? "le plan de cette exécution" : "the plan of this run";
    case RunFileKind::retriedReport:
        return fr ? "le rapport que reprend cette exécution" : "the report this run retries";
    case RunFileKind::boxFile: return fr ? "le fichier de la BOX simulée" : "the simulated box's file";
    default: return fr ? "un fichier de projet de cette exécution" : "a project file of this run";
    }
}

bool CheckReportFile(const std::filesystem::path& file, const std::vector<RunFile>& runFiles, std::string& error,
                     int language) {
    std::filesystem::path target;
    if (!CheckWritable(file, target, error)) return false;
    std::error_code ec;
    const bool exists = std::filesystem::exists(target, ec);
    const std::filesystem::path where = exists ? target : std::filesystem::weakly_canonical(target, ec);
    for (const RunFile& own : runFiles) {
        // An existing file is the same through any link or path; a file yet
        // to be made only under the same name.
        const bool same = exists ? std::filesystem::equivalent(target, own.file, ec)
                                 : own.file.filename() == target.filename() &&
                                       std::filesystem::weakly_canonical(own.file, ec) == where;
        if (!same) continue;
        const std::string name = platform::Utf8OfPath(file), what = RunFileName(own.kind, language);
        error = language == 1 ? "le rapport ne peut pas aller dans " + name + " : c'est " + what
                              : "the report cannot go to " + name + ": it is " + what;
        return false;
    }
    return true;
}

std::string DescribeDifferences(const std::vector<FieldDifference>& differences, int language) {
    const bool fr = language == 1;
    std::vector<std::string> items;
    for (const FieldDifference& d : differences) {
        items.push_back(ColumnHeader(d.field, language) + (fr ? " : " : ": ") +
                        (d.detector.empty() ? (fr ? "(aucun)" : "(none)") : DecimalText(d.detector, language)) +
                        " -> " + DecimalText(d.wanted, language));
    }
    return Joined(items, "; ");
}

std::string DecimalText(std::string text, int language) {
    if (language != 1) return text;
    for (std::size_t i = 1; i + 1 < text.size(); ++i)
        if (text[i] == '.' && std::isdigit(static_cast<unsigned char>(text[i - 1])) &&
            std::isdigit(static_cast<unsigned char>(text[i + 1])))
            text[i] = ',';
    return text;
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
