#include "site/plan.h"

#include "files/text_file.h"
#include "platform/path_text.h"
#include "site/csv.h"
#include "site/detector_list.h"
#include "site/plan_json.h"
#include "site/site_report.h"

#include "core/printable.h"
#include "core/texts.h"

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

// A plan's sentence in `language`, from the catalogue, its %1, %2, %3 filled.
std::string Say(int language, const char* english, const std::string& a1 = {}, const std::string& a2 = {},
                const std::string& a3 = {}) {
    return Filled(Phrase(english, language), a1, a2, a3);
}

// What a column or key stands for: a parameter whichever of its names gives
// it, a report's column by its header in either language, anything else its
// name in any letter case.
std::string Meaning(const std::string& key) {
    if (const auto field = FindParameterField(key)) return ParameterFields()[*field].key;
    if (const auto column = ColumnOfHeader(key)) return Lower(*column);
    if (Lower(key) == "fichier") return "file";
    return Lower(key);
}

bool ReportOnly(const std::string& key) {
    const std::string meaning = Meaning(key);
    return std::any_of(std::begin(kReportOnly), std::end(kReportOnly),
                       [&](const char* k) { return Lower(k) == meaning; });
}

// "column 'Detector' named twice (as 'detector')": the earlier name when
// it is spelt otherwise.
std::string TwiceSaid(int language, const std::string& said, const std::string& name, const std::string& earlier) {
    return said + (earlier != name ? Say(language, " (as '%1')", earlier) : "");
}

bool ParseAddresses(const std::string& text, AddressList& list, std::string& error, int language) {
    std::string spaced = text;
    std::replace_if(
        spaced.begin(), spaced.end(), [](char c) { return c == ',' || c == ';' || c == '\t'; }, ' ');
    std::istringstream words(spaced);
    std::vector<std::string> items;
    for (std::string w; words >> w && items.size() <= 10;) items.push_back(w);
    if (items.size() != 10) {
        error = items.size() > 10
                    ? Say(language, "addresses: ten numbers wanted, more given")
                    : Say(language, "addresses: ten numbers wanted, %1 given", std::to_string(items.size()));
        return false;
    }
    for (std::size_t i = 0; i < 10; ++i) {
        if (!PlainNumber(items[i], list[i])) {
            error = Say(language, "address %1 '%2' is not a whole number from 0 to 1048574", std::to_string(i + 1),
                        items[i]);
            return false;
        }
    }
    return true;
}

using Cells = std::vector<std::pair<std::string, std::string>>;

class RowReader {
public:
    RowReader(const std::filesystem::path& folder, std::vector<PlanError>& errors,
              const std::function<bool()>& stopAsked, int language)
        : folder_(folder), errors_(errors), stopAsked_(stopAsked), language_(language) {}
    int language() const { return language_; }

    // Whether the row at `line` is to be read: false, with the reason, once
    // a stop came, the plan holds more detectors than a run takes, or the
    // mistakes found are enough.
    bool admit(int line) {
        if (stopAsked_ && stopAsked_()) {
            stopped_ = true;
            errors_ = {{0, Say(language_, "the reading was stopped before the end of the plan")}};
            return false;
        }
        if (++count_ > kMostDetectorsPerRun) {
            errors_.push_back({line, Say(language_, "more than %1 detectors: at most %1 in one run; make several plans",
                                         std::to_string(kMostDetectorsPerRun))});
            return false;
        }
        return errors_.size() < kMostPlanErrors;
    }

    bool stopped() const { return stopped_; }

    // One row from its cells (column or key, value); empty values give nothing.
    void read(int line, const Cells& cells, std::vector<PlanRow>& rows) {
        line_ = line;
        const std::size_t firstError = errors_.size();
        PlanRow row;
        row.line = line;
        std::vector<WantedParameter> given;
        std::unordered_map<std::string, std::string> named; // meaning -> first key giving it
        for (const auto& [key, value] : cells) {
            if (const auto [at, first] = named.emplace(Meaning(key), key); !first) {
                fail(TwiceSaid(language_, Say(language_, "'%1' given twice", key), key, at->second));
                continue;
            }
            if (value.empty() || ReportOnly(key)) continue;
            readCell(key, value, row, given);
        }
        if (row.detector.empty()) {
            if (!failed_) fail(Say(language_, "no detector number"));
            failed_ = false;
            return;
        }
        takeFile(row);
        for (const WantedParameter& w : given) Put(row.parameters, w);
        checkNumbers(row);
        // Each mistake of the row names the detector it is about.
        for (std::size_t i = firstError; i < errors_.size(); ++i) errors_[i].detector = row.detector;
        if (!failed_) rows.push_back(std::move(row));
        failed_ = false;
    }

    // A new number that another row's detector already has would leave two
    // detectors answering to it, whichever row ran first.
    void checkNewNumbers(const std::vector<PlanRow>& rows) {
        for (const PlanRow& row : rows)
            if (const auto at = detectors_.find(row.newNumber); !row.newNumber.empty() && at != detectors_.end())
                errors_.push_back({row.line,
                                   Say(language_, "newNumber %1 is the number of the detector on line %2",
                                       row.newNumber, std::to_string(at->second)),
                                   row.detector});
    }

private:
    void readCell(const std::string& key, const std::string& value, PlanRow& row, std::vector<WantedParameter>& given) {
        // A column by any of its names: "détecteur", "Puissance", "dyn+".
        const std::string k = Meaning(key);
        if (k == "detector") {
            if (!PlainNumber(value, row.detector))
                fail(Say(language_, "detector '%1': a number from 0 to 1048574", value));
        } else if (k == "newnumber") {
            if (!PlainNumber(value, row.newNumber))
                fail(Say(language_, "newNumber '%1': a number from 0 to 1048574", value));
        } else if (k == "addresses") {
            AddressList list;
            std::string error;
            if (ParseAddresses(value, list, error, language_))
                row.addresses = list;
            else
                fail(error);
        } else if (k == "file") {
            row.file = value;
        } else if (const auto field = FindParameterField(k)) {
            WantedParameter w;
            std::string error;
            if (ParseParameterValue(*field, value, w, error))
                given.push_back(w);
            else
                fail(ValueRefused(*field, value));
        } else {
            fail(Say(language_, "'%1' is no column of a plan", key));
        }
    }

    // A value the field does not take, said with the values it takes.
    std::string ValueRefused(std::size_t field, const std::string& value) const {
        const ParameterField& f = ParameterFields()[field];
        if (f.levelText != 0)
            return Say(language_, "%1='%2': a level is a whole percent from 0 to %3", f.cliName, value,
                       std::to_string(kMostLevelSent));
        return Say(language_, "%1='%2': use %3", f.cliName, value, ChoiceNames(field));
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
        // The name would end at the NUL, and another file be read.
        if (row.file.find('\0') != std::string::npos)
            return fail(Say(language_, "file '%1': a file name holds no NUL character", Printable(row.file)));
        const std::filesystem::path given = platform::PathFromUtf8(row.file);
        row.fileRead = given.is_absolute() ? given : folder_ / given;
        FileSettings settings;
        std::string error;
        if (!ReadSettingsFile(row.fileRead, settings, error)) return fail(Reason(error, language_));
        // A survey records a level as the detector holds it; a send writes
        // at most 100.
        for (const WantedParameter& w : settings.parameters)
            if (w.level > kMostLevelSent)
                return fail(row.file + ": " + ColumnHeader(ParameterFields()[FieldOf(w)].key, language_) + " " +
                            std::to_string(w.level) +
                            Say(language_, ": a level is sent as a whole percent from 0 to 100"));
        row.parameters = settings.parameters;
        if (!row.addresses) row.addresses = settings.addresses;
    }

    // A detector once only; no two detectors answering to the same number.
    void checkNumbers(const PlanRow& row) {
        if (const auto at = detectors_.find(row.detector); at != detectors_.end())
            fail(Say(language_, "detector %1 is already on line %2", row.detector, std::to_string(at->second)));
        else
            detectors_[row.detector] = line_;
        if (row.newNumber.empty()) return;
        if (row.newNumber == row.detector) return fail(Say(language_, "newNumber is the detector's own number"));
        if (const auto at = answering_.find(row.newNumber); at != answering_.end())
            return fail(Say(language_, "the detector of line %2 would answer to %1 as well", row.newNumber,
                            std::to_string(at->second)));
        answering_[row.newNumber] = line_;
    }

    const std::filesystem::path& folder_;
    std::vector<PlanError>& errors_;
    const std::function<bool()>& stopAsked_;
    int language_;
    std::size_t count_ = 0; // rows met
    bool stopped_ = false;
    int line_ = 0;
    bool failed_ = false;
    std::unordered_map<std::string, int> detectors_; // by the line naming them
    std::unordered_map<std::string, int> answering_; // new numbers, by the line giving them
};

// The header's columns, each meaning named once.
bool CheckHeader(const CsvRecord& header, std::vector<PlanError>& errors, int language) {
    const std::vector<std::string>& columns = header.cells;
    if (header.cut) {
        errors.push_back(
            {header.line, Say(language, "more than %1 columns: no plan has so many", std::to_string(kMostCsvCells))});
        return false;
    }
    if (std::none_of(columns.begin(), columns.end(), [](const std::string& c) { return Meaning(c) == "detector"; }))
        errors.push_back({header.line, Say(language, "the header names no 'detector' column")});
    std::unordered_map<std::string, std::string> named; // meaning -> first column giving it
    for (const std::string& column : columns) {
        const auto [at, first] = named.emplace(Meaning(column), column);
        if (!first)
            errors.push_back({header.line, TwiceSaid(language, Say(language, "column '%1' named twice", column), column,
                                                     at->second)});
    }
    return errors.empty();
}

// A spreadsheet writes as many separators as its widest line has cells:
// empty cells at the end of a header or a row stand for nothing.
void DropEmptyEnd(std::vector<std::string>& cells) {
    while (cells.size() > 1 && cells.back().find_first_not_of(" \t") == std::string::npos) cells.pop_back();
}

std::vector<PlanRow> ParseCsvPlan(std::string_view all, RowReader& reader, std::vector<PlanError>& errors) {
    const int language = reader.language();
    // The byte-order mark a spreadsheet's "CSV UTF-8" puts first.
    const std::string text(all.starts_with("\xEF\xBB\xBF") ? all.substr(3) : all);
    const char separator = CsvSeparator(text);
    std::vector<PlanRow> rows;
    std::vector<std::string> columns;
    bool headed = false;
    Cells cells;
    const auto take = [&](const CsvRecord& record) {
        if (!headed) {
            headed = true;
            CsvRecord header = record;
            DropEmptyEnd(header.cells);
            columns = header.cells;
            return CheckHeader(header, errors, language);
        }
        if (!reader.admit(record.line)) return false;
        std::vector<std::string> given = record.cells;
        DropEmptyEnd(given);
        // A line of nothing but separators is a blank line.
        if (given.size() == 1 && given[0].find_first_not_of(" \t") == std::string::npos) return true;
        if (record.cut || given.size() > columns.size()) {
            std::string detector;
            for (std::size_t i = 0; i < columns.size() && i < given.size(); ++i)
                if (Meaning(columns[i]) == "detector") detector = given[i];
            errors.push_back(
                {record.line,
                 Say(language, "%1 cells, the header names %2 columns",
                     record.cut ? Say(language, "more") : std::to_string(given.size()), std::to_string(columns.size())),
                 detector});
            return true;
        }
        cells.clear();
        for (std::size_t i = 0; i < given.size(); ++i) cells.emplace_back(columns[i], given[i]);
        reader.read(record.line, cells, rows);
        return true;
    };
    int quoteLine = 0;
    if (!SplitCsv(text, separator, take, quoteLine))
        errors.push_back({quoteLine, Say(language, "a quote opened here is never closed")});
    else if (!headed)
        errors.push_back({1, Say(language, "no header line, and no detector")});
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
                errors.push_back(
                    {e.line, Say(reader.language(), "entry %1 of the list is not an object", std::to_string(e.index))});
            return true;
        },
        errors, reader.language());
    return rows;
}

} // namespace

std::vector<PlanRow> ParsePlanText(const std::string& text, bool json, const std::filesystem::path& folder,
                                   std::vector<PlanError>& errors, const std::function<bool()>& stopAsked,
                                   int language) {
    errors.clear();
    RowReader reader(folder, errors, stopAsked, language);
    std::vector<PlanRow> rows = json ? ParseJsonPlan(text, reader, errors) : ParseCsvPlan(text, reader, errors);
    if (reader.stopped()) return {};
    reader.checkNewNumbers(rows);
    if (errors.empty() && rows.empty()) errors.push_back({0, Say(language, "the plan names no detector")});
    std::stable_sort(errors.begin(), errors.end(),
                     [](const PlanError& a, const PlanError& b) { return a.line < b.line; });
    if (errors.size() >= kMostPlanErrors) {
        errors.resize(kMostPlanErrors);
        errors.push_back({0, Say(language, "the plan was read no further: its first mistakes are above")});
    }
    return errors.empty() ? rows : std::vector<PlanRow>{};
}

std::vector<PlanRow> ReadPlan(const std::filesystem::path& plan, std::vector<PlanError>& errors,
                              const std::function<bool()>& stopAsked, int language) {
    std::string error;
    const auto text = ReadFileStart(plan, kPlanLimit + 1, error);
    if (!text || text->size() > kPlanLimit) {
        errors = {{0, text ? Say(language, "larger than 4 MiB, not a plan") : Reason(error, language)}};
        return {};
    }
    const bool json = Lower(platform::Utf8OfPath(plan.extension())) == ".json";
    return ParsePlanText(*text, json, plan.parent_path(), errors, stopAsked, language);
}

std::string DescribePlanError(const std::string& plan, const PlanError& e, int language) {
    const std::string colon = language == 1 ? " : " : ": ";
    return plan + (e.line > 0 ? colon + Say(language, "line %1", std::to_string(e.line)) : std::string()) +
           (e.detector.empty() ? std::string() : colon + Say(language, "detector %1", e.detector)) + colon + e.reason;
}

std::string DescribePlanErrors(const std::string& plan, const std::vector<PlanError>& errors, int language) {
    std::string s;
    for (const PlanError& e : errors) s += DescribePlanError(plan, e, language) + "\n";
    return s;
}

} // namespace quelm
