#include "trace/trace_log.h"

#include "core/texts.h"
#include "files/text_file.h"
#include "protocol/number.h"
#include "trace/trace_driver.h"

#include <cstdio>
#include <string>
#include <tuple>

namespace quelm {

std::string FormatTraceEntry(const TraceEntry& e, int language) {
    std::string line = FixedText(static_cast<double>(e.timeUs) / 1000.0, 3, 10) + " ms  ";
    switch (e.kind) {
    case TraceEntry::Kind::Sent: line += "TX "; break;
    case TraceEntry::Kind::Received: line += "RX "; break;
    case TraceEntry::Kind::Event: return line + "-- " + e.text;
    case TraceEntry::Kind::Log:
        return line + "log " + e.text +
               (e.note.empty() ? "" : "   (" + std::string(Phrase(e.note.c_str(), language)) + ")") +
               (e.repeats > 1 ? "   x" + std::to_string(e.repeats) : "");
    }
    char cell[8];
    for (std::size_t i = 0; i < 5; ++i) {
        if (i < e.bytes.size())
            std::snprintf(cell, sizeof cell, " %02X", e.bytes[i]);
        else
            std::snprintf(cell, sizeof cell, "   ");
        line += cell;
    }
    line += " ";
    for (std::size_t i = 0; i < 5; ++i) {
        if (i < e.bytes.size())
            std::snprintf(cell, sizeof cell, " %3u", e.bytes[i]);
        else
            std::snprintf(cell, sizeof cell, "    ");
        line += cell;
    }
    char where[40];
    std::snprintf(where, sizeof where, "  op %2d step %2d  ", e.operation, e.stepTimer);
    return line + where +
           (e.bytes.size() == 5 ? DescribeFrame(e.bytes, e.kind == TraceEntry::Kind::Sent, language) : e.text);
}

TraceLog::TraceLog(const Scheduler& clock, std::size_t limit)
    : clock_(clock), originUs_(clock.nowUs()), limit_(limit < 10 ? 10 : limit) {}

void TraceLog::addFrame(std::int64_t atUs, bool toBox, const std::vector<std::uint8_t>& bytes, std::string meaning) {
    TraceEntry e;
    e.timeUs = atUs - originUs_;
    e.kind = toBox ? TraceEntry::Kind::Sent : TraceEntry::Kind::Received;
    e.bytes = bytes;
    e.text = std::move(meaning);
    add(std::move(e));
}

std::string LogLineNote(const std::string& line, const std::string& quietTickLine, bool portReason) {
    if (line == "Open Failed status=3" && !portReason)
        return "expected: the session is already open, the frame goes on it";
    if (!quietTickLine.empty() && line == quietTickLine) return "connection test: a quiet tick, nothing read";
    return {};
}

void TraceLog::addText(TraceEntry::Kind kind, std::string text, std::string note) {
    TraceEntry e;
    e.timeUs = clock_.nowUs() - originUs_;
    e.kind = kind;
    e.text = std::move(text);
    e.note = std::move(note);
    add(std::move(e));
}

void TraceLog::add(TraceEntry entry) {
    if (entry.kind == TraceEntry::Kind::Log && !entries_.empty()) {
        TraceEntry& last = entries_.back();
        if (last.kind == TraceEntry::Kind::Log && last.text == entry.text && last.note == entry.note) {
            last.repeats += 1;
            if (onRepeated) onRepeated(last);
            return;
        }
    }
    if (context) std::tie(entry.operation, entry.stepTimer) = context();
    if (entries_.size() >= limit_) entries_.erase(entries_.begin(), entries_.begin() + limit_ / 10);
    entries_.push_back(std::move(entry));
    if (onAdded) onAdded(entries_.back());
}

void TraceLog::clear() {
    entries_.clear();
    if (onCleared) onCleared();
}

std::string TraceLog::text(int language) const {
    std::string text;
    for (const TraceEntry& e : entries_) text += FormatTraceEntry(e, language) + "\n";
    return text;
}

bool TraceLog::save(const std::filesystem::path& file, std::string& error, int language) const {
    return WriteFileAtomically(file, text(language), error);
}

} // namespace quelm
