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
    ProbeAnswer ask(Form& f, const std::string& number, const std::function<bool()>& stopAsked);
    // The wait of one try as things stand.
    std::int64_t waitUs() const;
    int triesMade() const { return tries_; }

private:
    ProbeAnswer tryOnce(Form& f, const std::function<bool()>& stopAsked);
    // From the end of a request to its whole reply, the last answers heard.
    std::vector<std::int64_t> answersUs_;
    std::size_t nextAnswer_ = 0;
    int tries_ = 0; // of the last question
};

} // namespace quelm
