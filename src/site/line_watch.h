#pragma once
// Whether a read saw the line answer each of its requests once and cleanly.
// A parameter reply carries no detector number: a late reply to an earlier
// request, taken for the one awaited, cannot be told from it. What can be
// seen is that something unusual happened around it: a retry, a frame that
// was not awaited, two replies to one request, a bad check byte, bytes that
// were no frame. A read that saw such a thing is read again until two reads
// agree.
#include "form/form.h"

#include <cstdint>
#include <functional>
#include <optional>

namespace quelm {

class LineWatch {
public:
    // Counts the frames sent and the bytes taken from the box from now on.
    explicit LineWatch(Form& f);
    ~LineWatch();
    LineWatch(const LineWatch&) = delete;
    LineWatch& operator=(const LineWatch&) = delete;

    // One frame sent for each of `requests`, five bytes back for each, and
    // nothing else.
    bool quiet(int requests) const;

private:
    Form& f_;
    std::function<void(const Frame&, bool)> previous_;
    std::uint64_t bytesAtStart_;
    int sent_ = 0;
};

// A read is made at most this many times while its reads disagree.
constexpr int kMostReads = 4;

template <class Values>
struct SettledRead {
    std::optional<Values> values; // nothing: a read did not end well, or the reads never agreed
    int reads = 0;                // how many were made
    bool disagreed = false;       // kMostReads reads, no two in a row alike
};

// Runs `read` (one whole read of `requests` frames, giving its values, or
// nothing when it did not end well) until the line was quiet during it, or
// two reads in a row agree. A `suspect` line (an earlier request left
// unanswered, whose reply may still come) is never taken as quiet.
template <class Values>
SettledRead<Values> ReadUntilSettled(Form& f, int requests, bool suspect,
                                     const std::function<std::optional<Values>()>& read) {
    SettledRead<Values> r;
    std::optional<Values> last;
    while (r.reads < kMostReads) {
        ++r.reads;
        const LineWatch watch(f);
        r.values = read();
        if (!r.values) return r;
        if (last ? *r.values == *last : !suspect && watch.quiet(requests)) return r;
        last = r.values;
    }
    r.values.reset();
    r.disagreed = true;
    return r;
}

} // namespace quelm
