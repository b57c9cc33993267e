#include "site/plan.h"

#include "files/text_file.h"
#include "platform/path_text.h"
#include "site/csv.h"
#include "site/detector_list.h"
#include "site/plan_json.h"

#include <algorithm>
#include <cctype>
#include <sstream>
#include <unordered_map>

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

// What a column or key stands for: a parameter whichever of its names gives
// it, anything else its name in any letter case.
std::string Meaning(const std::string& key) {
    if (const auto field = FindParameterField(key)) return ParameterFields()[*field].key;
    return Lower(key);
}

// "column 'Detector' named twice (as 'detector')": the earlier name when
// it is spelt otherwise.
std::string TwiceSaid(const std::string& said, const std::string& name, const std::string& earlier) {
    return said + (earlier != name ? " (as '" + earlier + "')" : "");
}

bool ParseAddresses(const std::string& text, AddressList& list, std::string& error) {
    std::string spaced = text;
    std::replace_if(
        spaced.begin(), spaced.end(), [](char c) { return c == ',' || c == ';' || c == '\t'; }, ' ');
    std::istringstream words(spaced);
    std::vector<std::string> items;
    for (std::string w; words >> w && items.size() <= 10;) items.push_back(w);
    if (items.size() != 10) {
        error = items.size() > 10 ? "addresses: ten numbers wanted, more given"
                                  : "addresses: ten numbers wanted, " + std::to_string(items.size()) + " given";
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

using Cells = std::vector<std::pair<std::string, std::string>>;

class RowReader {
public:
    RowReader(const std::filesystem::path& folder, std::vector<PlanError>& errors,
              const std::function<bool()>& stopAsked)
        : folder_(folder), errors_(errors), stopAsked_(stopAsked) {}

    // Whether the row at `line` is to be read: false, with the reason, once
    // a stop came, the plan holds more detectors than a run takes, or the
    // mistakes found are enough.
    bool admit(int line) {
        if (stopAsked_ && stopAsked_()) {
            stopped_ = true;
            errors_ = {{0, "the reading was stopped before the end of the plan"}};
            return false;
        }
        if (++count_ > kMostDetectorsPerRun) {
            errors_.push_back({line, "more than " + std::to_string(kMostDetectorsPerRun) + " detectors: at most " +
                                         std::to_string(kMostDetectorsPerRun) + " in one run; make several plans"});
            return false;
        }
        return errors_.size() < kMostPlanErrors;
    }

    bool stopped() const { return stopped_; }

    // One row from its cells (column or key, value); empty values give nothing.
    void read(int line, const Cells& cells, std::vector<PlanRow>& rows) {
        line_ = line;
        PlanRow row;
        row.line = line;
        std::vector<WantedParameter> given;
        std::unordered_map<std::string, std::string> named; // meaning -> first key giving it
        for (const auto& [key, value] : cells) {
            if (const auto [at, first] = named.emplace(Meaning(key), key); !first) {
                fail(TwiceSaid("'" + key + "' given twice", key, at->second));
                continue;
            }
            if (value.empty() || ReportOnly(key)) continue;
            readCell(key, value, row, given);
        }
        if (row.detector.empty()) {
            if (!failed_) fail("no detector number");
            failed_ = false;
            return;
        }
        takeFile(row);
        for (const WantedParameter& w : given) Put(row.parameters, w);
        checkNumbers(row);
        if (!failed_) rows.push_back(std::move(row));
        failed_ = false;
    }

    // A new number that another row's detector already has would leave two
    // detectors answering to it, whichever row ran first.
    void checkNewNumbers(const std::vector<PlanRow>& rows) {
        for (const PlanRow& row : rows)
            if (const auto at = detectors_.find(row.newNumber); !row.newNumber.empty() && at != detectors_.end())
                errors_.push_back({row.line, "newNumber " + row.newNumber + " is the number of the detector on line " +
                                                 std::to_string(at->second)});
    }

private:
    void readCell(const std::string& key, const std::string& value, PlanRow& row, std::vector<WantedParameter>& given) {
        const std::string k = Lower(key);
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
            if (ParseParameterValue(*field, value, w, error))
                given.push_back(w);
            else
                fail(error);
        } else {
            fail("'" + key + "' is no column of a plan");
        }
    }

    void fail(const std::string& reason) {
        if (errors_.size() < kMostPlanErrors) errors_.push_back({line_, reason});
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
        const std::filesystem::path given = platform::PathFromUtf8(row.file);
        row.fileRead = given.is_absolute() ? given : folder_ / given;
        FileSettings settings;
        std::string error;
        if (!ReadSettingsFile(row.fileRead, settings, error)) return fail(error);
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
        if (const auto at = answering_.find(row.newNumber); at != answering_.end())
            return fail("detector " + row.newNumber + " of line " + std::to_string(at->second) + " would answer to " +
                        row.newNumber + " as well");
        answering_[row.newNumber] = line_;
    }

    const std::filesystem::path& folder_;
    std::vector<PlanError>& errors_;
    const std::function<bool()>& stopAsked_;
    std::size_t count_ = 0; // rows met
    bool stopped_ = false;
    int line_ = 0;
    bool failed_ = false;
    std::unordered_map<std::string, int> detectors_; // by the line naming them
    std::unordered_map<std::string, int> answering_; // new numbers, by the line giving them
};

// The header's columns, each meaning named once.
bool CheckHeader(const CsvRecord& header, std::vector<PlanError>& errors) {
    const std::vector<std::string>& columns = header.cells;
    if (header.cut) {
        errors.push_back({header.line, "more than " + std::to_string(kMostCsvCells) + " columns: no plan has so many"});
        return false;
    }
    if (std::none_of(columns.begin(), columns.end(), [](const std::string& c) { return Lower(c) == "detector"; }))
        errors.push_back({header.line, "the header names no 'detector' column"});
    std::unordered_map<std::string, std::string> named; // meaning -> first column giving it
    for (const std::string& column : columns) {
        const auto [at, first] = named.emplace(Meaning(column), column);
        if (!first)
            errors.push_back({header.line, TwiceSaid("column '" + column + "' named twice", column, at->second)});
    }
    return errors.empty();
}

std::vector<PlanRow> ParseCsvPlan(const std::string& text, RowReader& reader, std::vector<PlanError>& errors) {
    const std::string header = text.substr(0, text.find('\n'));
    const char separator = header.find(',') == std::string::npos && header.find(';') != std::string::npos ? ';' : ',';
    std::vector<PlanRow> rows;
    std::vector<std::string> columns;
    bool headed = false;
    Cells cells;
    const auto take = [&](const CsvRecord& record) {
        if (!headed) {
            headed = true;
            columns = record.cells;
            return CheckHeader(record, errors);
        }
        if (!reader.admit(record.line)) return false;
        if (record.cut || record.cells.size() > columns.size()) {
            errors.push_back({record.line, (record.cut ? "more" : std::to_string(record.cells.size())) +
                                               " cells, the header names " + std::to_string(columns.size()) +
                                               " columns"});
            return true;
        }
        cells.clear();
        for (std::size_t i = 0; i < record.cells.size(); ++i) cells.emplace_back(columns[i], record.cells[i]);
        reader.read(record.line, cells, rows);
        return true;
    };
    int quoteLine = 0;
    if (!SplitCsv(text, separator, take, quoteLine))
        errors.push_back({quoteLine, "a quote opened here is never closed"});
    else if (!headed)
        errors.push_back({1, "no header line, and no detector"});
    return rows;
}

std::vector<PlanRow> ParseJsonPlan(const std::string& text, RowReader& reader, std::vector<PlanError>& errors) {
    std::vector<PlanRow> rows;
    PlanEntriesFromJson(
        text,
        [&](PlanEntry&& e) {
            if (!reader.admit(e.line)) return false;
            if (e.notObject.empty())
                reader.read(e.line, e.cells, rows);
            else
                errors.push_back({e.line, "entry " + std::to_string(e.index) + " of the list is not an object"});
            return true;
        },
        errors);
    return rows;
}

} // namespace

std::vector<PlanRow> ParsePlanText(const std::string& text, bool json, const std::filesystem::path& folder,
                                   std::vector<PlanError>& errors, const std::function<bool()>& stopAsked) {
    errors.clear();
    RowReader reader(folder, errors, stopAsked);
    std::vector<PlanRow> rows = json ? ParseJsonPlan(text, reader, errors) : ParseCsvPlan(text, reader, errors);
    if (reader.stopped()) return {};
    reader.checkNewNumbers(rows);
    if (errors.empty() && rows.empty()) errors.push_back({0, "the plan names no detector"});
    std::stable_sort(errors.begin(), errors.end(),
                     [](const PlanError& a, const PlanError& b) { return a.line < b.line; });
    if (errors.size() >= kMostPlanErrors) {
        errors.resize(kMostPlanErrors);
        errors.push_back({0, "the plan was read no further: its first mistakes are above"});
    }
    return errors.empty() ? rows : std::vector<PlanRow>{};
}

std::vector<PlanRow> ReadPlan(const std::filesystem::path& plan, std::vector<PlanError>& errors,
                              const std::function<bool()>& stopAsked) {
    std::string error;
    const auto text = ReadFileStart(plan, kPlanLimit + 1, error);
    if (!text || text->size() > kPlanLimit) {
        errors = {{0, text ? "larger than 4 MiB, not a plan" : error}};
        return {};
    }
    const bool json = Lower(platform::Utf8OfPath(plan.extension())) == ".json";
    return ParsePlanText(*text, json, plan.parent_path(), errors, stopAsked);
}

std::string DescribePlanErrors(const std::string& plan, const std::vector<PlanError>& errors) {
    std::string s;
    for (const PlanError& e : errors)
        s += plan + (e.line > 0 ? ": line " + std::to_string(e.line) : std::string()) + ": " + e.reason + "\n";
    return s;
}

} // namespace quelm
