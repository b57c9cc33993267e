#include "site/plan_json.h"

#include "core/texts.h"

#include <nlohmann/json.hpp>

#include <iterator>
#include <unordered_set>

namespace quelm {

namespace {

using nlohmann::json;

// Members of an object a plan reads at most: a plan has far fewer columns.
constexpr std::size_t kMostMembers = 256;

// Walks the text as the JSON reader takes it, counting the line ends it
// passes, so that each event of the reader knows its line.
class LineCounter {
public:
    using iterator_category = std::forward_iterator_tag;
    using value_type = char;
    using difference_type = std::ptrdiff_t;
    using pointer = const char*;
    using reference = const char&;

    LineCounter(const char* at, const char* end, int* line) : at_(at), end_(end), line_(line) {}
    reference operator*() const { return *at_; }
    // A line ends with a line feed, or with a carriage return alone (the
    // files of older spreadsheets).
    LineCounter& operator++() {
        if (*at_ == '\n' || (*at_ == '\r' && (at_ + 1 == end_ || at_[1] != '\n'))) ++*line_;
        ++at_;
        return *this;
    }
    LineCounter operator++(int) {
        LineCounter was = *this;
        ++*this;
        return was;
    }
    bool operator==(const LineCounter& other) const { return at_ == other.at_; }

private:
    const char* at_;
    const char* end_;
    int* line_;
};

// What an open list or object is to the plan; lists and objects inside
// anything else are passed over without being held.
enum class Role { root, list, entry, memberList };

struct Open {
    Role role;
    bool object;
    std::unordered_set<std::string> keys; // of an object, to refuse a key given twice
    std::string key;                      // the member being read
    bool keyRefused = false;              // the member's key was given before
};

// Turns the reader's events into entries, holding one entry at a time.
class EntryReader : public nlohmann::json_sax<json> {
public:
    EntryReader(const int& line, const std::function<bool(PlanEntry&&)>& take, std::vector<PlanError>& errors,
                int language)
        : line_(line), take_(take), errors_(errors), language_(language) {}

    bool null() override { return scalar(""); }
    bool boolean(bool v) override { return scalar(v ? "true" : "false"); }
    // A number is taken as written, as a CSV cell is: "300.0", "1e3" and
    // "-0" are no detector and no level. Only a number written with a minus
    // sign comes to number_integer.
    bool number_integer(number_integer_t v) override { return scalar(v == 0 ? "-0" : std::to_string(v)); }
    bool number_unsigned(number_unsigned_t v) override { return scalar(std::to_string(v)); }
    bool number_float(number_float_t, const string_t& written) override { return scalar(written); }
    bool string(string_t& v) override { return scalar(v); }
    bool binary(binary_t&) override { return scalar(""); }
    bool start_object(std::size_t) override { return open(true); }
    bool start_array(std::size_t) override { return open(false); }
    bool end_object() override { return close(); }
    bool end_array() override { return close(); }
    bool key(string_t& k) override {
        if (ignored_ > 0) return true;
        Open& top = opened_.back();
        top.key = k;
        top.keyRefused = !top.keys.insert(k).second;
        if (top.keyRefused) return fail(say("%1 given twice", "\"" + k + "\""));
        if (top.keys.size() <= kMostMembers) return true;
        fail(say("more than %1 members in one object: no plan has so many", std::to_string(kMostMembers)));
        return false;
    }
    bool parse_error(std::size_t, const std::string&, const nlohmann::detail::exception& e) override {
        const std::string what = e.what();
        const std::size_t colon = what.find(": ", what.find("column"));
        const std::size_t tag = what.find("] ");
        fail(say("not JSON: %1", colon != std::string::npos ? what.substr(colon + 2)
                                 : tag != std::string::npos ? what.substr(tag + 2)
                                                            : what));
        return false;
    }

    // No list of entries anywhere: no plan.
    bool listed() const { return listed_; }

private:
    // A sentence of the catalogue in the reader's language, %1 and %2 filled.
    std::string say(const char* english, const std::string& a1, const std::string& a2 = {}) const {
        return Filled(Phrase(english, language_), a1, a2);
    }
    bool fail(const std::string& reason) {
        errors_.push_back({line_, reason});
        return errors_.size() < kMostPlanErrors;
    }

    // A value that is not one a column takes, under a key a report writes
    // for its readers only.
    bool refuseMember(const Open& member, const char* kind) {
        if (member.keyRefused || member.key == "differences" || member.key == "written" || member.key == "cutWrites")
            return true;
        return fail(say("\"%1\": %2 is no value of a plan", member.key, Phrase(kind, language_)));
    }

    // An entry of the list that is not an object.
    bool notObject(const char* kind) {
        PlanEntry e;
        e.line = line_;
        e.index = ++items_;
        e.notObject = kind;
        return take_(std::move(e));
    }

    bool scalar(const std::string& text) {
        if (ignored_ > 0 || opened_.empty()) return true;
        Open& top = opened_.back();
        if (top.role == Role::list) return notObject("value");
        if (top.role == Role::entry && !top.keyRefused) entry_.cells.emplace_back(top.key, text);
        if (top.role == Role::memberList) cell_ += (cell_.empty() ? "" : " ") + text;
        return true;
    }

    bool open(bool object) {
        if (ignored_ > 0) return ++ignored_, true;
        if (opened_.empty()) return push(object ? Role::root : Role::list, object);
        Open& top = opened_.back();
        switch (top.role) {
        case Role::root:
            if (!object && top.key == "detectors" && !listed_ && !top.keyRefused) return push(Role::list, false);
            break;
        case Role::list:
            if (!object) return ++ignored_, notObject("array");
            entry_ = {};
            entry_.line = line_;
            entry_.index = ++items_;
            return push(Role::entry, true);
        case Role::entry:
            if (!object) return cell_.clear(), push(Role::memberList, false);
            ++ignored_;
            return refuseMember(top, "object");
        case Role::memberList: cellRefused_ = true; break;
        }
        ++ignored_;
        return true;
    }

    bool push(Role role, bool object) {
        listed_ = listed_ || role == Role::list;
        opened_.push_back({role, object, {}, {}, false});
        return true;
    }

    bool close() {
        if (ignored_ > 0) return --ignored_, true;
        const Role role = opened_.back().role;
        opened_.pop_back();
        if (role == Role::entry) return take_(std::move(entry_));
        if (role != Role::memberList) return true;
        const Open& member = opened_.back();
        if (cellRefused_) {
            cellRefused_ = false;
            return refuseMember(member, "array");
        }
        if (!member.keyRefused) entry_.cells.emplace_back(member.key, cell_);
        return true;
    }

    const int& line_;
    const std::function<bool(PlanEntry&&)>& take_;
    std::vector<PlanError>& errors_;
    int language_;
    std::vector<Open> opened_; // at most the root, the list, an entry and a member's list
    std::size_t ignored_ = 0;  // depth inside a value passed over
    bool listed_ = false;
    std::size_t items_ = 0;
    PlanEntry entry_;
    std::string cell_; // a member's list, its items separated by blanks
    bool cellRefused_ = false;
};

} // namespace

void PlanEntriesFromJson(const std::string& text, const std::function<bool(PlanEntry&&)>& take,
                         std::vector<PlanError>& errors, int language) {
    int line = 1;
    const char* end = text.data() + text.size();
    EntryReader reader(line, take, errors, language);
    const bool read = json::sax_parse(LineCounter(text.data(), end, &line), LineCounter(end, end, &line), &reader);
    if (read && !reader.listed())
        errors.push_back(
            {1, Phrase("a JSON plan is a list of objects, or an object with a \"detectors\" list", language)});
}

} // namespace quelm
