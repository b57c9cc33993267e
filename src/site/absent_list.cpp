#include "site/absent_list.h"

#include "core/texts.h"
#include "files/text_file.h"
#include "site/csv.h"
#include "site/detector_list.h"
#include "site/plan_json.h"
#include "site/site_report.h"

#include <algorithm>

namespace quelm {

namespace {

constexpr std::size_t kReportLimit = 64 * 1024 * 1024;

using Cells = std::vector<std::pair<std::string, std::string>>;

// The row's number when its state is the probe's absence.
void TakeIfAbsent(const Cells& cells, std::vector<std::string>& detectors) {
    std::string detector, state;
    for (const auto& [key, value] : cells) {
        const auto column = ColumnOfHeader(key);
        if (column == "detector") detector = value;
        if (column == "state") state = value;
    }
    std::string number;
    if (StateOfName(state) == DetectorState::absent && PlainNumber(detector, number)) detectors.push_back(number);
}

bool FromCsv(std::string_view all, std::vector<std::string>& detectors) {
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
            TakeIfAbsent(cells, detectors);
            return true;
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
    if (ReportIsJson(report)) {
        std::vector<PlanError> errors;
        PlanEntriesFromJson(
            *text,
            [&](PlanEntry&& e) {
                TakeIfAbsent(e.cells, detectors);
                return true;
            },
            errors, language);
        read = errors.empty();
    } else {
        read = FromCsv(*text, detectors);
    }
    if (!read) error = Phrase("not a site report: no detector and state columns", language);
    return read;
}

} // namespace quelm
