#include "site/absent_list.h"

#include "core/texts.h"
#include "files/text_file.h"
#include "site/csv.h"
#include "site/detector_list.h"
#include "site/plan_json.h"
#include "site/site_report.h"

#include <algorithm>
#include <map>

namespace quelm {

namespace {

constexpr std::size_t kReportLimit = 64 * 1024 * 1024;

using Cells = std::vector<std::pair<std::string, std::string>>;

// The rows of a report one after the other: the numbers recorded absent, and
// a report no run could have written refused as a plan would be (more
// detectors than one run takes, a detector given twice).
class AbsentRows {
public:
    AbsentRows(std::vector<std::string>& detectors, int language) : detectors_(detectors), language_(language) {}

    // False, with the reason, when the report is refused at this row.
    bool take(int line, const Cells& cells) {
        std::string detector, state;
        for (const auto& [key, value] : cells) {
            const auto column = ColumnOfHeader(key);
            if (column == "detector") detector = value;
            if (column == "state") state = value;
        }
        if (++rows_ > kMostDetectorsPerRun)
            return refuse(line, Filled(Phrase("more than %1 detectors: at most %1 in one run", language_),
                                       std::to_string(kMostDetectorsPerRun)));
        std::string number;
        if (!PlainNumber(detector, number)) return true;
        if (const auto [at, first] = lines_.emplace(number, line); !first)
            return refuse(line, Filled(Phrase("detector %1 is already on line %2", language_), number,
                                       std::to_string(at->second)));
        if (StateOfName(state) == DetectorState::absent) detectors_.push_back(number);
        return true;
    }
    const std::string& error() const { return error_; }

private:
    bool refuse(int line, const std::string& why) {
        error_ = Filled(Phrase("line %1", language_), std::to_string(line)) + (language_ == 1 ? " : " : ": ") + why;
        detectors_.clear();
        return false;
    }

    std::vector<std::string>& detectors_;
    int language_;
    std::size_t rows_ = 0;
    std::map<std::string, int> lines_; // detector -> line of its row
    std::string error_;
};

bool FromCsv(std::string_view all, AbsentRows& rows) {
    const std::string text(all.starts_with("\xEF\xBB\xBF") ? all.substr(3) : all);
    const char separator = CsvSeparator(text);
    std::vector<std::string> columns;
    bool known = false;
    Cells cells;
    int quoteLine = 0;
    const bool whole = SplitCsv(
        text, separator,
        [&](const CsvRecord& r) {
            if (columns.empty()) {
                columns = r.cells;
                known = std::any_of(columns.begin(), columns.end(),
                                    [](const std::string& c) { return ColumnOfHeader(c) == "state"; });
                return known;
            }
            cells.clear();
            for (std::size_t i = 0; i < r.cells.size() && i < columns.size(); ++i)
                cells.emplace_back(columns[i], r.cells[i]);
            return rows.take(r.line, cells);
        },
        quoteLine);
    return whole && known;
}

} // namespace

bool AbsentInReport(const std::filesystem::path& report, std::vector<std::string>& detectors, std::string& error,
                    int language) {
    const auto text = ReadFileStart(report, kReportLimit, error);
    if (!text) {
        error = Reason(error, language);
        return false;
    }
    bool read = true;
    AbsentRows rows(detectors, language);
    if (ReportIsJson(report)) {
        std::vector<PlanError> errors;
        PlanEntriesFromJson(
            *text, [&rows](PlanEntry&& e) { return rows.take(e.line, e.cells); }, errors, language);
        read = errors.empty();
    } else {
        read = FromCsv(*text, rows);
    }
    if (!rows.error().empty()) error = rows.error();
    if (!read && rows.error().empty()) error = Phrase("not a site report: no detector and state columns", language);
    return read && rows.error().empty();
}

} // namespace quelm
