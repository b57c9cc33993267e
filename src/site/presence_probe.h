#pragma once
// A short question to one number before the site runner reads it: the first
// request of a read of the parameters, sent a few times, each awaited for a
// few times the answers heard so far in the run take rather than the reply
// watchdog's 4 s. A range of numbers is mostly numbers no detector has, and
// their silence is then decided in a fifth of a second. Only silence decides:
// an answer, whole or damaged, and anything that keeps the question from
// going out are left to the full read, which says what happened.
#include "form/form.h"

#include <cstdint>
#include <functional>
#include <optional>
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
// after it). Whatever the answers heard so far, the probe listens for a
// reply to any of its tries until the last try's wait is over and at least
// kListenUs have passed since the first try: a detector slower than the
// others (a fifth of a second) is heard all the same, and an absent number
// still costs a quarter of a second at most.
struct ProbeSchedule {
    static constexpr int kTries = 2;
    static constexpr std::int64_t kLeastWaitUs = 30'000;
    static constexpr std::int64_t kMostWaitUs = 100'000;
    static constexpr std::int64_t kUnmeasuredWaitUs = 100'000;
    static constexpr std::int64_t kListenUs = 200'000;
    // Numbers a run recorded absent, asked again: every try waits a second,
    // whatever the answers heard.
    static constexpr std::int64_t kPatientWaitUs = 1'000'000;
    static constexpr int kAnswerTimes = 3;
    static constexpr int kPollMs = 1;
    static constexpr std::size_t kAnswersKept = 15;
    static std::int64_t WaitUs(std::int64_t answerUs);
    // The longest a number that stays silent may take, from the start of
    // its read (the read's box check, the requests' own time included).
    static std::int64_t MostSilenceUs(bool patient);
};

class PresenceProbe {
public:
    explicit PresenceProbe(bool patient = false) : patient_(patient) {}
    // Asks `number` until it answers or the tries are spent. `firstSentUs`:
    // the read's own first request (see FirstReplyWatch) went out then,
    // counts as the first try, and its reply, however late, is an answer.
    ProbeAnswer ask(Form& f, const std::string& number, const std::function<bool()>& stopAsked,
                    std::optional<std::int64_t> firstSentUs = std::nullopt);
    // The wait of one try as things stand.
    std::int64_t waitUs() const;
    int triesMade() const { return tries_; }
    // How long the last question listened for a reply, from its first try.
    std::int64_t listenedUs() const { return listenedUs_; }
    // A whole reply heard this long after its request went out.
    void heard(std::int64_t answerUs);
    bool measured() const { return !answersUs_.empty(); }

private:
    ProbeAnswer tryOnce(Form& f, const std::function<bool()>& stopAsked, std::int64_t firstSentUs);
    // From the end of a request to its whole reply, the last answers heard.
    std::vector<std::int64_t> answersUs_;
    std::size_t nextAnswer_ = 0;
    int tries_ = 0; // of the last question
    std::int64_t listenedUs_ = 0;
    bool patient_;
};

// The read's own first request stands as the probe's first try, so that a
// present detector costs no request more than its read: from the moment it
// goes out, watched every millisecond as the probe watches its own, the
// first bytes of a reply must come within the probe's wait. When nothing
// came, the read is stopped at once, as the stop key stops it but without
// its " STOP", and the probe's next try decides.
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
    // When the read's first request went out; negative before.
    std::int64_t sentUs() const { return sentUs_; }

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
