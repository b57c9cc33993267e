#pragma once
// What an operation has written into the detector, followed frame by frame
// from the tool's trace log: told when a send is stopped half-way, so that
// the user knows what the detector may hold now.
#include "trace/trace_log.h"

#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

namespace quelm::cli {

class WriteJournal {
public:
    // Follows the entries `log` gets from now on (after whoever followed
    // them before), until it goes.
    explicit WriteJournal(TraceLog& log);
    ~WriteJournal();
    WriteJournal(const WriteJournal&) = delete;
    WriteJournal& operator=(const WriteJournal&) = delete;

    // Says on `err` what send-params, send-addresses or program-number wrote
    // into detector `number` before it was stopped (or before the box was
    // lost, `lost`), and how far each value was confirmed. `newNumber` is
    // program-number's NEW.
    void report(std::FILE* err, const std::string& command, const std::string& number, const std::string& newNumber,
                bool lost = false) const;
    // Whether any write went out.
    bool wroteAny() const { return !writes_.empty(); }

    // How far a value went: the write frame left, the box acknowledged it,
    // the detector confirmed it (it answered the call after a parameter, an
    // address was read back equal, the new number was answered).
    enum class Reached { sent, acknowledged, confirmed };
    struct Write {
        int target; // a parameter 0 to 8, an address 10 to 19, the number 20
        std::string what;
        std::int64_t value;
        Reached reached;
    };

private:
    void add(const TraceEntry& entry);

    TraceLog& log_;
    std::function<void(const TraceEntry&)> previous_;
    std::vector<Write> writes_; // the last write of each target, in the order they went
};

} // namespace quelm::cli
