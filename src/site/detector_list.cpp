#include "site/detector_list.h"

#include "site/project_values.h"

#include "core/texts.h"

#include <set>

namespace quelm {

namespace {

std::string Trimmed(const std::string& s) {
    const std::size_t first = s.find_first_not_of(" \t");
    if (first == std::string::npos) return "";
    return s.substr(first, s.find_last_not_of(" \t") - first + 1);
}

} // namespace

bool ParseDetectorList(const std::string& text, std::vector<std::string>& numbers, std::string& error, int language) {
    const auto say = [language](const char* english, const std::string& a1, const std::string& a2 = {}) {
        return Filled(Phrase(english, language), a1, a2);
    };
    const std::string most = std::to_string(kMostDetectorsPerRun);
    std::vector<std::string> list;
    std::set<long> seen;
    std::size_t start = 0;
    while (start <= text.size()) {
        const std::size_t comma = std::min(text.find(',', start), text.size());
        const std::string item = Trimmed(text.substr(start, comma - start));
        start = comma + 1;
        const std::size_t dash = item.find('-');
        std::string first, last;
        const bool ok = dash == std::string::npos ? PlainNumber(item, first) && PlainNumber(item, last)
                                                  : PlainNumber(Trimmed(item.substr(0, dash)), first) &&
                                                        PlainNumber(Trimmed(item.substr(dash + 1)), last);
        if (!ok) {
            error = say("'%1': a detector is a number from 0 to 1048574, a range is FIRST-LAST", item);
            return false;
        }
        const long from = std::stol(first), to = std::stol(last);
        if (from > to) {
            error = say("'%1': a range runs from the lower number to the higher", item);
            return false;
        }
        if (static_cast<std::size_t>(to - from) >= kMostDetectorsPerRun) {
            error = say("'%1': at most %2 detectors in one run", item, most);
            return false;
        }
        for (long n = from; n <= to; ++n)
            if (seen.insert(n).second) list.push_back(std::to_string(n));
        if (list.size() > kMostDetectorsPerRun) {
            error = say("at most %1 detectors in one run", most);
            return false;
        }
    }
    numbers = list;
    return true;
}

} // namespace quelm
