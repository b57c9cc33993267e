#pragma once
// A short question to one number before the site runner reads it: the first
// request of a read of the parameters, sent a few times, each awaited for a
// few times the answers heard so far in the run take rather than the reply
// watchdog's 4 s. A range of numbers is mostly numbers no detector has, and
// their silence is then decided in a tenth of a second. Only silence decides:
// an answer, whole or damaged, and anything that keeps the question from
// going out are left to the full read, which says what happened.
#include "form/form.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace quelm {

enum class ProbeAnswer {
    answered, // a whole reply to the request came
    damaged,  // bytes came, but no reply to the request
    silent,   // nothing came to any of the tries
    notAsked, // no box, several, a number with no frame form, or a stop
};

// The probe's schedule: tries, and the wait of one try from the time the
// answers heard take (three times the median of the last few, within these
// bounds: one answer slowed by a busy machine does not stretch every wait
// after it). Before any answer has
// said how fast the detectors answer through this box, a wait far above any
// answer seen yet still keeps an absent number under a second.
struct ProbeSchedule {
    static constexpr int kTries = 2;
    static constexpr std::int64_t kLeastWaitUs = 30'000;
    static constexpr std::int64_t kMostWaitUs = 1'000'000;
    static constexpr std::int64_t kUnmeasuredWaitUs = 400'000;
    static constexpr int kAnswerTimes = 3;
    static constexpr int kPollMs = 1;
    static constexpr std::size_t kAnswersKept = 15;
    static std::int64_t WaitUs(std::int64_t answerUs);
};

class PresenceProbe {
public:
    // Asks `number` until it answers or the tries are spent; `triesMade`
    // tries already went out (the read's own first request, see
    // FirstReplyWatch) and count among them.
    ProbeAnswer ask(Form& f, const std::string& number, const std::function<bool()>& stopAsked, int triesMade = 0);
    // The wait of one try as things stand.
    std::int64_t waitUs() const;
    int triesMade() const { return tries_; }
    // A whole reply heard this long after its request went out.
    void heard(std::int64_t answerUs);
    bool measured() const { return !answersUs_.empty(); }

private:
    ProbeAnswer tryOnce(Form& f, const std::function<bool()>& stopAsked);
    // From the end of a request to its whole reply, the last answers heard.
    std::vector<std::int64_t> answersUs_;
    std::size_t nextAnswer_ = 0;
    int tries_ = 0; // of the last question
};

// The read's own first request stands as the probe's first try, so that a
// present detector costs no request more than its read: from the moment it
// goes out, watched every millisecond as the probe watches its own, the
// first bytes of a reply must come within the probe's wait. When nothing
// came, the read is stopped as the stop key stops it (at once, not at the
// stop watch's next tick), and the probe's next try decides.
class FirstReplyWatch {
public:
    FirstReplyWatch(Form& f, PresenceProbe& probe);
    ~FirstReplyWatch();
    FirstReplyWatch(const FirstReplyWatch&) = delete;
    FirstReplyWatch& operator=(const FirstReplyWatch&) = delete;

    // Asked while the read runs: true, the read then stopped, once its first
    // request has waited the probe's wait with nothing from the box.
    bool cutOnSilence();
    bool cut() const { return cut_; }

private:
    void look();

    Form& f_;
    PresenceProbe& probe_;
    std::function<void(const Frame&, bool)> previous_;
    std::int64_t sentUs_ = -1; // the first request's end, once it went out
    std::uint64_t bytesAtSend_ = 0;
    bool heard_ = false; // a byte came
    bool timed_ = false; // a whole reply came, its time told to the probe
    bool cut_ = false;
    Scheduler::TimerId timer_{};
    bool watching_ = false;
};

} // namespace quelm
