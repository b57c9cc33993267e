#include "site/plan_json.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cmath>

namespace quelm {

namespace {

using nlohmann::json;

int LineAt(const std::string& text, std::size_t offset) {
    offset = std::min(offset, text.size());
    return 1 + static_cast<int>(std::count(text.begin(), text.begin() + static_cast<long>(offset), '\n'));
}

// The lines where the objects at `depth` start ('[' and '{' each open one
// level), in order: the entries of the plan's list.
std::vector<int> ObjectLines(const std::string& text, int depth) {
    std::vector<int> lines;
    int level = 0, line = 1;
    bool inString = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\n') ++line;
        if (inString) {
            if (c == '\\')
                ++i;
            else if (c == '"')
                inString = false;
        } else if (c == '"') {
            inString = true;
        } else if (c == '[' || c == '{') {
            if (++level == depth && c == '{') lines.push_back(line);
        } else if (c == ']' || c == '}') {
            --level;
        }
    }
    return lines;
}

// A value as a CSV cell would hold it; false for a kind no column takes.
bool CellText(const json& v, std::string& text) {
    switch (v.type()) {
    case json::value_t::null: text.clear(); return true;
    case json::value_t::boolean: text = v.get<bool>() ? "true" : "false"; return true;
    case json::value_t::string: text = v.get<std::string>(); return true;
    case json::value_t::number_integer:
    case json::value_t::number_unsigned: text = v.dump(); return true;
    case json::value_t::number_float: {
        const double d = v.get<double>();
        text = d == std::floor(d) && std::fabs(d) < 1e9 ? std::to_string(static_cast<long long>(d)) : v.dump();
        return true;
    }
    case json::value_t::array:
        text.clear();
        for (const json& item : v) {
            std::string one;
            if (item.is_array() || item.is_object() || !CellText(item, one)) return false;
            text += (text.empty() ? "" : " ") + one;
        }
        return true;
    default: return false;
    }
}

} // namespace

std::vector<PlanEntry> PlanEntriesFromJson(const std::string& text, std::vector<PlanError>& errors) {
    json root;
    try {
        root = json::parse(text);
    } catch (const json::parse_error& e) {
        const std::string what = e.what();
        const std::size_t colon = what.find(": ", what.find("column"));
        errors.push_back({LineAt(text, e.byte == 0 ? 0 : e.byte - 1),
                          "not JSON: " + (colon == std::string::npos ? what : what.substr(colon + 2))});
        return {};
    } catch (const json::exception& e) {
        // A number too large for any type, say: no place to point at.
        errors.push_back({0, std::string("not a plan: ") + e.what()});
        return {};
    }
    const bool listed = root.is_object() && root.contains("detectors") && root["detectors"].is_array();
    if (!root.is_array() && !listed) {
        errors.push_back({1, "a JSON plan is a list of objects, or an object with a \"detectors\" list"});
        return {};
    }
    const json& list = listed ? root["detectors"] : root;
    const std::vector<int> lines = ObjectLines(text, listed ? 3 : 2);
    std::vector<PlanEntry> entries;
    std::size_t object = 0;
    for (std::size_t i = 0; i < list.size(); ++i) {
        const json& item = list[i];
        if (!item.is_object()) {
            errors.push_back({0, "entry " + std::to_string(i + 1) + " of the list is not an object"});
            continue;
        }
        PlanEntry e;
        e.line = object < lines.size() ? lines[object] : 0;
        ++object;
        for (const auto& [key, value] : item.items()) {
            std::string cell;
            if (CellText(value, cell))
                e.cells.emplace_back(key, cell);
            else if (key != "differences" && key != "written" && key != "cutWrites")
                errors.push_back({e.line, "\"" + key + "\": " + value.type_name() + " is no value of a plan"});
        }
        entries.push_back(std::move(e));
    }
    return entries;
}

} // namespace quelm
