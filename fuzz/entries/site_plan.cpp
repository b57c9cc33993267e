// The site plan reader: CSV or JSON (the first byte chooses), every row it
// gives well formed, every refusal with a reason.
#include "fuzz/entries.h"
#include "site/plan.h"

#include <cstdlib>
#include <set>
#include <string>

namespace quelm::fuzz {

namespace {

bool PlainNumber(const std::string& n) {
    return !n.empty() && n.size() <= 7 && n.find_first_not_of("0123456789") == std::string::npos &&
           (n == "0" || n[0] != '0') && std::stol(n) <= 1048574;
}

} // namespace

int SitePlan(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const bool json = (data[0] & 1) != 0;
    const std::string text(reinterpret_cast<const char*>(data + 1), size - 1);
    std::vector<PlanError> errors;
    // Files a row names are looked for where none is.
    const std::vector<PlanRow> rows = ParsePlanText(text, json, "/nonexistent/quelm-fuzz", errors);
    for (const PlanError& e : errors)
        if (e.reason.empty() || e.line < 0) std::abort();
    if (!errors.empty()) {
        if (!rows.empty()) std::abort();
        return 0;
    }
    if (rows.empty()) std::abort();
    std::set<std::string> detectors;
    for (const PlanRow& r : rows) {
        if (!PlainNumber(r.detector) || !detectors.insert(r.detector).second) std::abort();
        if (!r.newNumber.empty() && (!PlainNumber(r.newNumber) || r.newNumber == r.detector)) std::abort();
        if (r.addresses)
            for (const std::string& a : *r.addresses)
                if (!PlainNumber(a)) std::abort();
        std::set<std::size_t> fields;
        for (const WantedParameter& w : r.parameters) {
            if (!fields.insert(FieldOf(w)).second) std::abort();
            if (w.levelText != 0 && (w.level < 0 || w.level > 100)) std::abort();
        }
    }
    return 0;
}

} // namespace quelm::fuzz
