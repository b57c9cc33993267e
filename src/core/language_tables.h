#pragma once
// The three tables of texts the window shows: messages (message table) and
// captions (frame and option tables), named by line number. The frame and
// option tables have 50 lines; the message table has the tool's own messages
// after its fiftieth line.
#include "core/check.h"

#include <array>
#include <string>

namespace quelm {

struct LanguageTables {
    static constexpr int kLines = 50;
    static constexpr int kMessageLines = 57;
    std::array<std::string, kMessageLines + 1> messages{};
    std::array<std::string, kLines + 1> frame{}, option{};

    // Line k of a table; empty text for a line never loaded or out of range.
    template <std::size_t N>
    static const std::string& line(const std::array<std::string, N>& table, int k) {
        static const std::string empty;
        return (k >= 1 && static_cast<std::size_t>(k) < N) ? table[static_cast<std::size_t>(k)] : empty;
    }
    // Line k of the message table; 0 stands for no line and gives the empty text.
    const std::string& messageLine(int k) const {
        QUELM_CHECK(k >= 0 && k <= kMessageLines);
        return line(messages, k);
    }
};

} // namespace quelm
