#include "site/plan.h"

#include "files/text_file.h"
#include "site/csv.h"
#include "site/plan_json.h"

#include <algorithm>
#include <cctype>
#include <map>
#include <sstream>

namespace quelm {

namespace {

// A plan larger than this is no plan of a site.
constexpr std::size_t kPlanLimit = 4 * 1024 * 1024;

// The report's columns a plan leaves aside.
const char* const kReportOnly[] = {"state",   "reached",     "written",   "differences", "failure",
                                   "seconds", "projectFile", "cutWrites", "uncertain",   "readTwice"};

std::string Lower(std::string s) {
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

bool ReportOnly(const std::string& key) {
    return std::any_of(std::begin(kReportOnly), std::end(kReportOnly),
                       [&](const char* k) { return Lower(k) == Lower(key); });
}

bool ParseAddresses(const std::string& text, AddressList& list, std::string& error) {
    std::string spaced = text;
    std::replace_if(
        spaced.begin(), spaced.end(), [](char c) { return c == ',' || c == ';' || c == '\t'; }, ' ');
    std::istringstream words(spaced);
    std::vector<std::string> items;
    for (std::string w; words >> w;) items.push_back(w);
    if (items.size() != 10) {
        error = "addresses: ten numbers wanted, " + std::to_string(items.size()) + " given";
        return false;
    }
    for (std::size_t i = 0; i < 10; ++i) {
        if (!PlainNumber(items[i], list[i])) {
            error = "address " + std::to_string(i + 1) + " '" + items[i] + "' is not a whole number from 0 to 1048574";
            return false;
        }
    }
    return true;
}

class RowReader {
public:
    // A new number that another row's detector already has would leave two
    // detectors answering to it, whichever row ran first.
    void checkNewNumbers(const std::vector<PlanRow>& rows) {
        for (const PlanRow& row : rows)
            if (const auto at = detectors_.find(row.newNumber); !row.newNumber.empty() && at != detectors_.end())
                errors_.push_back({row.line, "newNumber " + row.newNumber + " is the number of the detector on line " +
                                                 std::to_string(at->second)});
    }

    RowReader(const std::filesystem::path& folder, std::vector<PlanError>& errors) : folder_(folder), errors_(errors) {}

    // One row from its cells (column or key, value); empty values give nothing.
    void read(int line, const std::vector<std::pair<std::string, std::string>>& cells, std::vector<PlanRow>& rows) {
        line_ = line;
        PlanRow row;
        row.line = line;
        std::vector<WantedParameter> given;
        std::vector<std::size_t> fields;
        for (const auto& [key, value] : cells) {
            const std::string k = Lower(key);
            if (value.empty() || ReportOnly(key)) continue;
            if (k == "detector") {
                if (!PlainNumber(value, row.detector)) fail("detector '" + value + "': a number from 0 to 1048574");
            } else if (k == "newnumber") {
                if (!PlainNumber(value, row.newNumber)) fail("newNumber '" + value + "': a number from 0 to 1048574");
            } else if (k == "addresses") {
                AddressList list;
                std::string error;
                if (ParseAddresses(value, list, error))
                    row.addresses = list;
                else
                    fail(error);
            } else if (k == "file") {
                row.file = value;
            } else if (const auto field = FindParameterField(key)) {
                WantedParameter w;
                std::string error;
                if (std::find(fields.begin(), fields.end(), *field) != fields.end())
                    fail(std::string(ParameterFields()[*field].key) + " given twice");
                else if (ParseParameterValue(*field, value, w, error))
                    given.push_back(w), fields.push_back(*field);
                else
                    fail(error);
            } else {
                fail("'" + key + "' is no column of a plan");
            }
        }
        if (row.detector.empty()) {
            if (!failed_) fail("no detector number");
            failed_ = false;
            return;
        }
        takeFile(row);
        for (const WantedParameter& w : given) Put(row.parameters, w);
        checkNumbers(row);
        if (!failed_) rows.push_back(row);
        failed_ = false;
    }

private:
    void fail(const std::string& reason) {
        errors_.push_back({line_, reason});
        failed_ = true;
    }

    static void Put(std::vector<WantedParameter>& list, const WantedParameter& w) {
        const auto same =
            std::find_if(list.begin(), list.end(), [&](const WantedParameter& x) { return FieldOf(x) == FieldOf(w); });
        if (same != list.end())
            *same = w;
        else
            list.push_back(w);
    }

    void takeFile(PlanRow& row) {
        if (row.file.empty()) return;
        const std::filesystem::path given(row.file);
        const std::filesystem::path path = given.is_absolute() ? given : folder_ / given;
        FileSettings settings;
        std::string error;
        if (!ReadSettingsFile(path, settings, error)) return fail(error);
        // A survey records a level as the detector holds it; a send writes
        // at most 100.
        for (const WantedParameter& w : settings.parameters)
            if (w.level > kMostLevelSent)
                return fail(row.file + ": " + ParameterFields()[FieldOf(w)].key + " " + std::to_string(w.level) +
                            ": a level is sent as a whole percent from 0 to 100");
        row.parameters = settings.parameters;
        if (!row.addresses) row.addresses = settings.addresses;
    }

    // A detector once only; no two detectors answering to the same number.
    void checkNumbers(const PlanRow& row) {
        if (const auto at = detectors_.find(row.detector); at != detectors_.end())
            fail("detector " + row.detector + " is already on line " + std::to_string(at->second));
        else
            detectors_[row.detector] = line_;
        if (row.newNumber.empty()) return;
        if (row.newNumber == row.detector) return fail("newNumber is the detector's own number");
        for (const auto& [number, line] : answering_)
            if (number == row.newNumber)
                return fail("detector " + number + " of line " + std::to_string(line) + " would answer to " + number +
                            " as well");
        answering_[row.newNumber] = line_;
    }

    const std::filesystem::path& folder_;
    std::vector<PlanError>& errors_;
    int line_ = 0;
    bool failed_ = false;
    std::map<std::string, int> detectors_;
    std::map<std::string, int> answering_; // new numbers, by the line giving them
};

std::vector<PlanRow> ParseCsvPlan(const std::string& text, const std::filesystem::path& folder,
                                  std::vector<PlanError>& errors) {
    const std::string header = text.substr(0, text.find('\n'));
    const char separator = header.find(',') == std::string::npos && header.find(';') != std::string::npos ? ';' : ',';
    std::vector<CsvRecord> records;
    int quoteLine = 0;
    if (!SplitCsv(text, separator, records, quoteLine)) {
        errors.push_back({quoteLine, "a quote opened here is never closed"});
        return {};
    }
    if (records.empty()) {
        errors.push_back({1, "no header line, and no detector"});
        return {};
    }
    const std::vector<std::string>& columns = records.front().cells;
    if (std::none_of(columns.begin(), columns.end(), [](const std::string& c) { return Lower(c) == "detector"; }))
        errors.push_back({records.front().line, "the header names no 'detector' column"});
    for (std::size_t i = 0; i < columns.size(); ++i)
        if (std::find(columns.begin(), columns.begin() + static_cast<long>(i), columns[i]) !=
            columns.begin() + static_cast<long>(i))
            errors.push_back({records.front().line, "column '" + columns[i] + "' named twice"});
    if (!errors.empty()) return {};
    std::vector<PlanRow> rows;
    RowReader reader(folder, errors);
    for (std::size_t r = 1; r < records.size(); ++r) {
        const CsvRecord& record = records[r];
        if (record.cells.size() > columns.size()) {
            errors.push_back({record.line, std::to_string(record.cells.size()) + " cells, the header names " +
                                               std::to_string(columns.size()) + " columns"});
            continue;
        }
        std::vector<std::pair<std::string, std::string>> cells;
        for (std::size_t i = 0; i < record.cells.size(); ++i) cells.emplace_back(columns[i], record.cells[i]);
        reader.read(record.line, cells, rows);
    }
    reader.checkNewNumbers(rows);
    return rows;
}

} // namespace

std::vector<PlanRow> ParsePlanText(const std::string& text, bool json, const std::filesystem::path& folder,
                                   std::vector<PlanError>& errors) {
    errors.clear();
    std::vector<PlanRow> rows;
    if (json) {
        RowReader reader(folder, errors);
        for (const PlanEntry& e : PlanEntriesFromJson(text, errors)) reader.read(e.line, e.cells, rows);
        reader.checkNewNumbers(rows);
    } else {
        rows = ParseCsvPlan(text, folder, errors);
    }
    if (errors.empty() && rows.empty()) errors.push_back({0, "the plan names no detector"});
    std::stable_sort(errors.begin(), errors.end(),
                     [](const PlanError& a, const PlanError& b) { return a.line < b.line; });
    return errors.empty() ? rows : std::vector<PlanRow>{};
}

std::vector<PlanRow> ReadPlan(const std::filesystem::path& plan, std::vector<PlanError>& errors) {
    std::string error;
    const auto text = ReadFileStart(plan, kPlanLimit + 1, error);
    if (!text || text->size() > kPlanLimit) {
        errors = {{0, text ? "larger than 4 MiB, not a plan" : error}};
        return {};
    }
    const bool json = Lower(plan.extension().string()) == ".json";
    return ParsePlanText(*text, json, plan.parent_path(), errors);
}

std::string DescribePlanErrors(const std::string& plan, const std::vector<PlanError>& errors) {
    std::string s;
    for (const PlanError& e : errors)
        s += plan + (e.line > 0 ? ": line " + std::to_string(e.line) : std::string()) + ": " + e.reason + "\n";
    return s;
}

} // namespace quelm
