#pragma once
// Comma-separated text as spreadsheets write it: cells in double quotes may
// hold the separator, quotes (doubled) and line ends. A line ends with LF,
// CR LF or CR alone.
#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace quelm {

// Cells of one record a reader holds at most: no table a person keeps has
// more, and a line of nothing but separators holds no more memory.
inline constexpr std::size_t kMostCsvCells = 256;

struct CsvRecord {
    int line = 0; // where the record starts, from 1
    std::vector<std::string> cells;
    bool cut = false; // more than kMostCsvCells cells: the rest are run into the last one
};

// The separator of a table whose first line is its header: ';' when that
// line has semicolons and no comma, ',' otherwise.
char CsvSeparator(std::string_view text);

// Each record of `text` in turn, separated by `separator` (',' or ';'), to
// `take`, which returns false to end the reading there; blank lines and
// lines starting with '#' are left out. Only the record being read is held.
// False when a quoted cell is not closed, with the line where it opened.
bool SplitCsv(const std::string& text, char separator, const std::function<bool(const CsvRecord&)>& take,
              int& openQuoteLine);

// A cell as written: quoted when it holds the separator (for ',', ';' as
// well, which a reader may take for one), a quote, a line end
// or blanks at either end. A cell a spreadsheet would take for a formula
// (starting with '=', '+', '-', '@', a tab or a carriage return) starts with
// an apostrophe, which the spreadsheet reads as "show the rest as text".
std::string CsvCell(const std::string& text, char separator = ',');

} // namespace quelm
