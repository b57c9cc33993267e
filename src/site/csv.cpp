#include "site/csv.h"

#include <string_view>

namespace quelm {

namespace {

bool Skipped(const CsvRecord& r) {
    if (r.cells.size() == 1 && r.cells[0].find_first_not_of(" \t") == std::string::npos) return true;
    return !r.cells.empty() && !r.cells[0].empty() && r.cells[0][0] == '#';
}

// Whether text[i] ends a line: a line feed, or a carriage return not
// followed by one (the files of older spreadsheets end their lines so).
bool LineEnd(const std::string& text, std::size_t i) {
    return text[i] == '\n' || (text[i] == '\r' && (i + 1 == text.size() || text[i + 1] != '\n'));
}

} // namespace

char CsvSeparator(std::string_view text) {
    const std::string_view header = text.substr(0, text.find_first_of("\r\n"));
    return header.find(',') == std::string_view::npos && header.find(';') != std::string_view::npos ? ';' : ',';
}

bool SplitCsv(const std::string& text, char separator, const std::function<bool(const CsvRecord&)>& take,
              int& openQuoteLine) {
    CsvRecord record{1, {""}};
    int line = 1;
    bool quoted = false;
    int quoteLine = 0;
    // False when `take` wants no more.
    const auto endRecord = [&] {
        const bool more = Skipped(record) || take(record);
        record = {line, {""}};
        return more;
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
                if (LineEnd(text, i)) ++line;
                cell += c;
            }
        } else if (c == '"') {
            quoted = true;
            quoteLine = line;
        } else if (c == separator && record.cells.size() < kMostCsvCells) {
            record.cells.emplace_back();
        } else if (c == separator) {
            record.cut = true;
        } else if (LineEnd(text, i)) {
            ++line;
            if (!endRecord()) return true;
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

std::string CsvCell(const std::string& cell, char separator) {
    const bool formula = !cell.empty() && std::string_view("=+-@\t\r").find(cell.front()) != std::string_view::npos;
    const std::string text = formula ? "'" + cell : cell;
    const bool quote = text.find_first_of(separator == ',' ? ",;\"\r\n" : ";\"\r\n") != std::string::npos ||
                       (!text.empty() && (text.front() == ' ' || text.back() == ' '));
    if (!quote) return text;
    std::string s = "\"";
    for (char c : text) s += c == '"' ? std::string("\"\"") : std::string(1, c);
    return s + "\"";
}

} // namespace quelm
