#pragma once
// The three tables of texts the window shows: messages (box table) and
// captions (frame and option tables), 50 lines each, named by line number.
#include <array>
#include <string>

namespace quelm {

struct LanguageTables {
    static constexpr int kLines = 50;
    std::array<std::string, kLines + 1> box{}, frame{}, option{};

    // Line k of a table; empty text for a line never loaded or out of range.
    static const std::string& line(const std::array<std::string, kLines + 1>& table, int k) {
        static const std::string empty;
        return (k >= 1 && k <= kLines) ? table[static_cast<std::size_t>(k)] : empty;
    }
    const std::string& boxLine(int k) const { return line(box, k); }
};

} // namespace quelm
