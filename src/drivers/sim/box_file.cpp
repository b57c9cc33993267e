// The box file: a line-based description of a simulated box and the
// detectors it reaches, written to be read and edited by a technician.
//
//   # a comment runs to the end of the line; blank lines are ignored
//   box-channel A                  channel of the box, A or B (default A)
//   turnaround-ms 5                request end to reply start, 0..60000 (default 5)
//   jitter-ms 35                   each reply starts up to this much later again,
//                                  drawn anew for each reply, 0..1000 (default 0)
//   boxes 1                        boxes the device count reports, 0..9 (default 1)
//   detector 300 power=med channel=B dyn=2min rise=1.5s fall=45s on=80 dyn+=60 dyn-=25 type=L1
//   addresses 300 1 2 3 4 5 6 7 8 9 10
//   report 300 after=1             answer the connection test with this number
//
// Detector fields, all optional (defaults: power=max channel=A dyn=5s
// rise=0.1s fall=10s on=100 dyn+=100 dyn-=10 type=L1+L3):
//   power max|med|min    channel A|B    dyn 5s|30s|1min|2min|5min|10min
//   rise 0.1s|0.5s|1s|1.5s|2s|3s|5s     fall 10s|20s|30s|45s|1min|2min|4min
//   on, dyn+, dyn- 0..255               type L1+L3|L1
// A choice field also takes codeN (N 0..255): the code itself, which may be
// one no choice stands for (dyn=code3), as a damaged write can leave it.
// Numbers (detectors, addresses) run from 0 to 1048574. "addresses" gives
// up to ten addresses, from address 0 on, of a detector declared above it;
// the others stay 0. Keywords and names are not case-sensitive.
//
// Only a regular file of at most kMaxBoxFileBytes is read; a message quotes
// at most kExcerptChars characters of the text at fault, control bytes
// escaped. The load takes time in proportion to the size of the file.
#include "drivers/sim/sim_box.h"

#include "core/printable.h"
#include "platform/files.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <span>
#include <string_view>
#include <unordered_map>

namespace quelm::sim {
namespace {

constexpr std::uint64_t kMaxNumber = 1048574;
// Room for some 250,000 detector lines; a larger file is refused unread.
constexpr std::size_t kMaxBoxFileBytes = 4u << 20;
constexpr std::size_t kExcerptChars = 40;

// At most kExcerptChars characters of `text`, then "..."; a control
// character, NUL included, is written \xNN so that the message shows whole.
std::string excerpt(std::string_view text) {
    std::size_t shown = std::min(text.size(), kExcerptChars);
    // Not in the middle of a UTF-8 character.
    while (shown > 0 && shown < text.size() && (static_cast<unsigned char>(text[shown]) & 0xC0) == 0x80) --shown;
    std::string out = Printable(text.substr(0, shown));
    if (text.size() > shown) out += "...";
    return out;
}

// 'text', shortened and escaped.
std::string quoted(std::string_view text) {
    std::string out(1, '\'');
    out += excerpt(text);
    out += '\'';
    return out;
}

struct Choice {
    std::string_view name;
    std::uint8_t code;
};

constexpr Choice kPower[] = {{"max", 0}, {"med", 1}, {"min", 2}};
constexpr Choice kChannel[] = {{"A", 0}, {"B", 1}};
constexpr Choice kDynamic[] = {{"5s", 0}, {"30s", 1}, {"1min", 2}, {"2min", 4}, {"5min", 6}, {"10min", 7}};
constexpr Choice kRise[] = {{"0.1s", 0}, {"0.5s", 1}, {"1s", 2}, {"1.5s", 3}, {"2s", 4}, {"3s", 5}, {"5s", 6}};
constexpr Choice kFall[] = {{"10s", 0}, {"20s", 1}, {"30s", 2}, {"45s", 3}, {"1min", 4}, {"2min", 5}, {"4min", 6}};
constexpr Choice kType[] = {{"L1+L3", 0}, {"L1", 1}};

// One detector field: a named choice, or a level 0..255 when `choices` is empty.
struct Field {
    std::string_view key;
    std::span<const Choice> choices;
    std::uint8_t Detector::*member;
};

const Field kFields[] = {
    {"power", kPower, &Detector::outputPower}, {"channel", kChannel, &Detector::channel},
    {"dyn", kDynamic, &Detector::dynamicTime}, {"rise", kRise, &Detector::riseTime},
    {"fall", kFall, &Detector::fallTime},      {"on", {}, &Detector::levelOnPlus},
    {"dyn+", {}, &Detector::levelDynPlus},     {"dyn-", {}, &Detector::levelDynMinus},
    {"type", kType, &Detector::commandType},
};

bool sameWord(std::string_view a, std::string_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
    });
}

std::vector<std::string_view> wordsOf(std::string_view line) {
    line = line.substr(0, line.find('#'));
    std::vector<std::string_view> words;
    std::size_t i = 0;
    while (i < line.size()) {
        const auto isBlank = [](char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; };
        while (i < line.size() && isBlank(line[i])) ++i;
        std::size_t end = i;
        while (end < line.size() && !isBlank(line[end])) ++end;
        if (end > i) words.push_back(line.substr(i, end - i));
        i = end;
    }
    return words;
}

std::string joinNames(std::span<const Choice> choices) {
    std::string out;
    for (const Choice& c : choices) out += (out.empty() ? "" : ", ") + std::string(c.name);
    return out;
}

class Parser {
public:
    std::optional<BoxConfig> run(const std::string& text, std::string& error);

private:
    bool line(const std::vector<std::string_view>& w);
    bool boxChannel(const std::vector<std::string_view>& w);
    bool detector(const std::vector<std::string_view>& w);
    bool field(Detector& d, std::string_view word, std::vector<std::string_view>& seen);
    bool addresses(const std::vector<std::string_view>& w);
    bool report(const std::vector<std::string_view>& w);
    bool number(std::string_view word, std::uint64_t max, std::string_view what, std::uint64_t& out);
    bool arguments(const std::vector<std::string_view>& w, std::size_t min, std::size_t max);
    bool fail(const std::string& message);

    BoxConfig config_;
    std::unordered_map<std::uint32_t, std::size_t> declared_; // detector number to its place in config_
    int lineNumber_ = 0;
    std::string error_;
    bool channelSeen_ = false;
};

std::optional<BoxConfig> Parser::run(const std::string& text, std::string& error) {
    const std::string_view all(text);
    for (std::size_t at = 0; at < all.size();) {
        std::size_t end = all.find('\n', at);
        if (end == std::string_view::npos) end = all.size();
        const std::string_view raw = all.substr(at, end - at);
        at = end + 1;
        ++lineNumber_;
        const auto words = wordsOf(raw);
        if (!words.empty() && !line(words)) {
            error = error_;
            return std::nullopt;
        }
    }
    return config_;
}

bool Parser::line(const std::vector<std::string_view>& w) {
    std::uint64_t value = 0;
    if (sameWord(w[0], "box-channel")) return boxChannel(w);
    if (sameWord(w[0], "turnaround-ms")) {
        if (!arguments(w, 1, 1) || !number(w[1], 60000, "turnaround-ms", value)) return false;
        config_.turnaroundUs = static_cast<std::int64_t>(value) * 1000;
        return true;
    }
    if (sameWord(w[0], "jitter-ms")) {
        if (!arguments(w, 1, 1) || !number(w[1], 1000, "jitter-ms", value)) return false;
        config_.jitterUs = static_cast<std::int64_t>(value) * 1000;
        return true;
    }
    if (sameWord(w[0], "boxes")) {
        if (!arguments(w, 1, 1) || !number(w[1], 9, "boxes", value)) return false;
        config_.boxesAttached = static_cast<std::uint32_t>(value);
        return true;
    }
    if (sameWord(w[0], "detector")) return detector(w);
    if (sameWord(w[0], "addresses")) return addresses(w);
    if (sameWord(w[0], "report")) return report(w);
    return fail("unknown keyword " + quoted(w[0]) +
                " (use box-channel, turnaround-ms, jitter-ms, boxes, detector, addresses or report)");
}

bool Parser::boxChannel(const std::vector<std::string_view>& w) {
    if (!arguments(w, 1, 1)) return false;
    if (channelSeen_) return fail("box-channel given twice");
    channelSeen_ = true;
    if (sameWord(w[1], "A"))
        config_.channel = 3;
    else if (sameWord(w[1], "B"))
        config_.channel = 4;
    else
        return fail("box-channel " + quoted(w[1]) + ": use A or B");
    return true;
}

bool Parser::detector(const std::vector<std::string_view>& w) {
    std::uint64_t n = 0;
    if (w.size() < 2) return fail("detector needs its number");
    if (!number(w[1], kMaxNumber, "detector number", n)) return false;
    if (declared_.count(static_cast<std::uint32_t>(n)) != 0)
        return fail("detector " + std::to_string(n) + " declared twice");
    Detector d;
    d.number = static_cast<std::uint32_t>(n);
    std::vector<std::string_view> seen;
    for (std::size_t i = 2; i < w.size(); ++i)
        if (!field(d, w[i], seen)) return false;
    declared_.emplace(d.number, config_.detectors.size());
    config_.detectors.push_back(d);
    return true;
}

bool Parser::field(Detector& d, std::string_view word, std::vector<std::string_view>& seen) {
    const std::size_t eq = word.find('=');
    if (eq == std::string_view::npos) return fail(quoted(word) + " is not of the form name=value");
    const std::string_view key = word.substr(0, eq), value = word.substr(eq + 1);
    const auto match = [key](const Field& f) { return sameWord(f.key, key); };
    const Field* f = std::find_if(std::begin(kFields), std::end(kFields), match);
    if (f == std::end(kFields))
        return fail("unknown field " + quoted(key) + " (use power, channel, dyn, rise, fall, on, dyn+, dyn- or type)");
    if (std::find(seen.begin(), seen.end(), f->key) != seen.end())
        return fail("field '" + std::string(f->key) + "' given twice");
    seen.push_back(f->key);
    if (f->choices.empty()) {
        std::uint64_t level = 0;
        if (!number(value, 255, f->key, level)) return false;
        d.*(f->member) = static_cast<std::uint8_t>(level);
        return true;
    }
    for (const Choice& c : f->choices) {
        if (sameWord(c.name, value)) {
            d.*(f->member) = c.code;
            return true;
        }
    }
    if (value.size() > 4 && sameWord(value.substr(0, 4), "code")) {
        std::uint64_t code = 0;
        if (!number(value.substr(4), 255, f->key, code)) return false;
        d.*(f->member) = static_cast<std::uint8_t>(code);
        return true;
    }
    return fail(std::string(f->key) + "=" + quoted(value) + ": use " + joinNames(f->choices));
}

bool Parser::addresses(const std::vector<std::string_view>& w) {
    std::uint64_t n = 0;
    if (!arguments(w, 2, 11) || !number(w[1], kMaxNumber, "detector number", n)) return false;
    const auto found = declared_.find(static_cast<std::uint32_t>(n));
    if (found == declared_.end())
        return fail("addresses for detector " + std::to_string(n) + ", which no detector line above declares");
    Detector* const it = &config_.detectors[found->second];
    for (std::size_t i = 2; i < w.size(); ++i) {
        std::uint64_t address = 0;
        if (!number(w[i], kMaxNumber, "address", address)) return false;
        it->addresses[i - 2] = static_cast<std::uint32_t>(address);
    }
    return true;
}

bool Parser::report(const std::vector<std::string_view>& w) {
    std::uint64_t n = 0, after = 1;
    if (!arguments(w, 1, 2) || !number(w[1], kMaxNumber, "reported number", n)) return false;
    if (config_.reportNumber) return fail("report given twice");
    if (w.size() == 3) {
        if (!sameWord(w[2].substr(0, 6), "after=")) return fail(quoted(w[2]) + ": use after=N");
        if (!number(w[2].substr(6), 1000, "after", after)) return false;
        if (after == 0) return fail("after=0: the count of connection tests starts at 1");
    }
    config_.reportNumber = static_cast<std::uint32_t>(n);
    config_.reportAfterTests = static_cast<int>(after);
    return true;
}

// Plain decimal digits only: no sign, no fraction, no blank.
bool Parser::number(std::string_view word, std::uint64_t max, std::string_view what, std::uint64_t& out) {
    const std::string shown = std::string(what) + " " + quoted(word);
    const bool digits = !word.empty() && std::all_of(word.begin(), word.end(), [](char c) {
        return std::isdigit(static_cast<unsigned char>(c)) != 0;
    });
    if (!digits) return fail(shown + " is not a whole number from 0 to " + std::to_string(max));
    std::uint64_t value = 0;
    const auto [end, ec] = std::from_chars(word.data(), word.data() + word.size(), value);
    if (ec != std::errc() || end != word.data() + word.size() || value > max)
        return fail(shown + " is over " + std::to_string(max));
    out = value;
    return true;
}

bool Parser::arguments(const std::vector<std::string_view>& w, std::size_t min, std::size_t max) {
    const std::size_t n = w.size() - 1;
    if (n >= min && n <= max) return true;
    const std::string range = min == max ? std::to_string(min) : std::to_string(min) + " to " + std::to_string(max);
    return fail(std::string(w[0]) + " takes " + range + " value" + (max == 1 ? "" : "s") + ", not " +
                std::to_string(n));
}

bool Parser::fail(const std::string& message) {
    error_ = "line " + std::to_string(lineNumber_) + ": " + message;
    return false;
}

} // namespace

std::optional<BoxConfig> parseBoxText(const std::string& text, std::string& error) { return Parser().run(text, error); }

namespace {

// The whole file, or nothing with the reason in `why`.
std::optional<std::string> readBoxFile(const std::string& path, std::string& why) {
    using Refusal = platform::FileRead::Refusal;
    platform::FileRead read = platform::ReadRegularFile(path, kMaxBoxFileBytes);
    switch (read.refusal) {
    case Refusal::none: return std::move(read.bytes);
    case Refusal::missing: why = "no such file"; break;
    case Refusal::folder: why = "is a folder"; break;
    case Refusal::notRegular: why = "not a regular file (a pipe or a device is never read)"; break;
    case Refusal::tooLarge:
        why = "the file is larger than " + std::to_string(kMaxBoxFileBytes >> 20) + " MiB";
        if (read.size > kMaxBoxFileBytes) why += " (" + std::to_string(read.size) + " bytes)";
        break;
    case Refusal::failed: why = read.reason; break;
    }
    return std::nullopt;
}

} // namespace

std::optional<BoxConfig> loadBoxFile(const std::string& path, std::string& error) {
    std::string why;
    const auto text = readBoxFile(path, why);
    if (!text) {
        error = path + ": cannot open the file: " + why;
        return std::nullopt;
    }
    auto config = parseBoxText(*text, error);
    if (!config) error = path + ": " + error;
    return config;
}

} // namespace quelm::sim
