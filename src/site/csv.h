#pragma once
// Comma-separated text as spreadsheets write it: cells in double quotes may
// hold the separator, quotes (doubled) and line ends.
#include <string>
#include <vector>

namespace quelm {

struct CsvRecord {
    int line = 0; // where the record starts, from 1
    std::vector<std::string> cells;
};

// The records of `text`, separated by `separator` (',' or ';'); blank lines
// and lines starting with '#' are left out. False when a quoted cell is not
// closed, with the line where it opened.
bool SplitCsv(const std::string& text, char separator, std::vector<CsvRecord>& records, int& openQuoteLine);

// A cell as written: quoted when it holds a separator, a quote, a line end
// or blanks at either end.
std::string CsvCell(const std::string& text);

} // namespace quelm
