#include "site/csv.h"

namespace quelm {

namespace {

bool Skipped(const CsvRecord& r) {
    if (r.cells.size() == 1 && r.cells[0].find_first_not_of(" \t") == std::string::npos) return true;
    return !r.cells.empty() && !r.cells[0].empty() && r.cells[0][0] == '#';
}

} // namespace

bool SplitCsv(const std::string& text, char separator, std::vector<CsvRecord>& records, int& openQuoteLine) {
    CsvRecord record{1, {""}};
    int line = 1;
    bool quoted = false;
    int quoteLine = 0;
    const auto endRecord = [&] {
        if (!Skipped(record)) records.push_back(record);
        record = {line, {""}};
    };
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        std::string& cell = record.cells.back();
        if (quoted) {
            if (c == '"' && i + 1 < text.size() && text[i + 1] == '"') {
                cell += '"';
                ++i;
            } else if (c == '"') {
                quoted = false;
            } else {
                if (c == '\n') ++line;
                cell += c;
            }
        } else if (c == '"') {
            quoted = true;
            quoteLine = line;
        } else if (c == separator) {
            record.cells.emplace_back();
        } else if (c == '\n') {
            ++line;
            endRecord();
        } else if (c != '\r') {
            cell += c;
        }
    }
    if (quoted) {
        openQuoteLine = quoteLine;
        return false;
    }
    endRecord();
    return true;
}

std::string CsvCell(const std::string& text) {
    const bool quote = text.find_first_of(",;\"\r\n") != std::string::npos ||
                       (!text.empty() && (text.front() == ' ' || text.back() == ' '));
    if (!quote) return text;
    std::string s = "\"";
    for (char c : text) s += c == '"' ? std::string("\"\"") : std::string(1, c);
    return s + "\"";
}

} // namespace quelm
