#pragma once
// The trace the protocol trace window shows: every frame sent and received
// with its time, the operation and step it belongs to and its meaning, the
// driver's events and the link's log lines, in the order they happened.
// A passive observer: it reads the clock and the exchange state and changes
// neither, so the link behaves the same with or without it.
#include "core/scheduler.h"

#include <cstddef>
#include <cstdint>
#include <deque>
#include <filesystem>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace quelm {

struct TraceEntry {
    enum class Kind { Sent, Received, Event, Log };
    std::int64_t timeUs = 0; // since the trace began
    Kind kind = Kind::Log;
    std::vector<std::uint8_t> bytes; // frames only
    int operation = 0;
    int stepTimer = 0;
    std::string text; // a frame's meaning, or the event or log line
    std::string note; // a log line: what it stands for, when its words mislead
    int repeats = 1;  // a log line: how often it came in a row (a quiet tick comes every few ms)
};

// What a log line of the link stands for when its words say something else:
// "Open Failed status=3" is the open of a session that is already open, as
// every send over it does; message table line 11 (`quietTickLine`), logged by a
// connection-test tick that read nothing, is no programming. Empty otherwise,
// and for an open the driver refused with a reason (`portReason`: a port
// that is no serial port gives the same status).
std::string LogLineNote(const std::string& line, const std::string& quietTickLine, bool portReason);

// One line: "    12.345 ms  TX  40 00 00 0C 4C   64   0   0  12  76  op 7 step 0  read parameters ...",
// a frame's meaning and a log line's note in French for language 1.
std::string FormatTraceEntry(const TraceEntry& entry, int language = 2);

class TraceLog {
public:
    // Keeps the newest `limit` entries; older ones go, a tenth at a time.
    explicit TraceLog(const Scheduler& clock, std::size_t limit = 20000);

    // A frame, stamped with the time its first byte went or came.
    void addFrame(std::int64_t atUs, bool toBox, const std::vector<std::uint8_t>& bytes, std::string meaning);
    // A driver event or a log line, stamped now. A log line that repeats the
    // one before it word for word counts in that entry instead.
    void addText(TraceEntry::Kind kind, std::string text, std::string note = {});

    const std::deque<TraceEntry>& entries() const { return entries_; }
    void clear();
    // Every entry, one line each, LF line ends.
    std::string text(int language = 2) const;
    // Writes text(language) to `file`, replacing it whole or leaving it as it was.
    bool save(const std::filesystem::path& file, std::string& error, int language = 2) const;

    // The operation and step in progress, read when an entry is added.
    std::function<std::pair<int, int>()> context;
    // The window's view of the log; cleared with clear().
    std::function<void(const TraceEntry&)> onAdded;
    // The last entry counted one more repeat.
    std::function<void(const TraceEntry&)> onRepeated;
    std::function<void()> onCleared;

private:
    void add(TraceEntry entry);
    const Scheduler& clock_;
    std::int64_t originUs_;
    std::size_t limit_;
    std::deque<TraceEntry> entries_;
};

} // namespace quelm
