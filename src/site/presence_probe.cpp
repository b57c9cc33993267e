#include "site/presence_probe.h"

#include "form/form_ops.h"
#include "link/exchange_end.h"
#include "link/session.h"
#include "protocol/codec.h"

#include <algorithm>

namespace quelm {

std::int64_t ProbeSchedule::WaitUs(std::int64_t answerUs) {
    if (answerUs <= 0) return kUnmeasuredWaitUs;
    return std::clamp<std::int64_t>(kAnswerTimes * answerUs, kLeastWaitUs, kMostWaitUs);
}

std::int64_t ProbeSchedule::MostSilenceUs(bool patient) {
    // Per try, the five bytes' 4 ms of pauses and a millisecond's poll;
    // the box check before the read, some 10 ms.
    constexpr std::int64_t kTryUs = 5'000, kCheckUs = 10'000;
    const std::int64_t waits = patient ? kTries * kPatientWaitUs : std::max(kListenUs, kTries * kMostWaitUs);
    return kCheckUs + kTries * kTryUs + waits;
}

std::int64_t PresenceProbe::waitUs() const {
    if (patient_) return ProbeSchedule::kPatientWaitUs;
    if (answersUs_.empty()) return ProbeSchedule::WaitUs(0);
    std::vector<std::int64_t> sorted = answersUs_;
    std::nth_element(sorted.begin(), sorted.begin() + static_cast<std::ptrdiff_t>(sorted.size() / 2), sorted.end());
    return ProbeSchedule::WaitUs(sorted[sorted.size() / 2]);
}

// One request and its wait, polled every millisecond: the reply is taken as
// soon as its five bytes are queued, and the line is looked at once more
// before the try is called silent, since a busy machine may have let the
// wait run out while the reply sat in the receive queue. The last try
// listens until the whole listening time since the first try has passed: a
// reply to any try of the question answers it.
ProbeAnswer PresenceProbe::tryOnce(Form& f, const std::function<bool()>& stopAsked, std::int64_t firstSentUs) {
    if (!SendFrame(f) || BoxGone(f)) return ProbeAnswer::notAsked;
    const std::int64_t sentUs = f.x.lastSentUs;
    if (firstSentUs < 0) firstSentUs = sentUs;
    // Should the probe be cut short, its request is one left unanswered,
    // which the next operation lets fall quiet first.
    f.link.unansweredSinceUs = sentUs;
    std::int64_t endUs = sentUs + waitUs();
    if (tries_ >= ProbeSchedule::kTries) endUs = std::max(endUs, firstSentUs + ProbeSchedule::kListenUs);
    std::uint32_t queued = 0;
    bool taken = false, gone = false;
    const auto poll = [&] {
        std::uint32_t tx = 0, events = 0;
        f.link.lastStatus = f.driver.getStatus(f.link.deviceHandle, queued, tx, events);
        gone = BoxGone(f);
        if (!gone && queued >= 5) taken = TakeReplyFrame(f);
    };
    const Scheduler::TimerId timer = f.clock.startTimer(ProbeSchedule::kPollMs, poll);
    f.clock.runUntil([&] { return taken || gone || stopAsked() || f.clock.nowUs() >= endUs; },
                     (endUs - f.clock.nowUs()) / 1000 + 2);
    f.clock.stopTimer(timer);
    if (!taken && !gone) poll();
    listenedUs_ = f.clock.nowUs() - firstSentUs;
    if (taken && IsReply(f.link.rxFrame, code::kReadGroup1)) {
        if (sentUs == firstSentUs) {
            heard(f.clock.nowUs() - sentUs);
            return ProbeAnswer::answered;
        }
        // An answer to one of the tries, which one unknown: the other's reply
        // may follow, and the next operation lets it fall quiet first, for as
        // long as the slower of the two would take.
        heard(listenedUs_);
        f.x.replyTimeUs = listenedUs_;
        f.link.unansweredSinceUs = sentUs;
        return ProbeAnswer::answered;
    }
    if (taken || queued > 0) {
        // Not the reply awaited (an earlier operation's acknowledgement, a
        // damaged frame): the reply may still be on its way, and the read
        // lets the line fall quiet before it clears what came, so that no
        // part of a frame is left to put its replies out of step.
        f.link.unansweredSinceUs = sentUs;
        return ProbeAnswer::damaged;
    }
    if (gone || stopAsked()) return ProbeAnswer::notAsked;
    // Silence for the whole wait: the probe holds that no reply is coming,
    // as it holds the number absent, and the next operation does not wait
    // for one again (it still discards any stale byte).
    f.link.unansweredSinceUs.reset();
    return ProbeAnswer::silent;
}

void PresenceProbe::heard(std::int64_t answerUs) {
    if (answersUs_.size() < ProbeSchedule::kAnswersKept)
        answersUs_.push_back(answerUs);
    else
        answersUs_[nextAnswer_++ % ProbeSchedule::kAnswersKept] = answerUs;
}

ProbeAnswer PresenceProbe::ask(Form& f, const std::string& number, const std::function<bool()>& stopAsked,
                               std::optional<std::int64_t> firstSentUs) {
    tries_ = firstSentUs ? 1 : 0;
    listenedUs_ = 0;
    // Before any answer in this run, the window's last reply says how fast
    // the box answers.
    if (answersUs_.empty() && f.x.replyTimeUs > 0) answersUs_.push_back(f.x.replyTimeUs);
    // The box check every operation starts with: a late reply to an earlier
    // request and any stale byte are cleared from the line first. After the
    // read's own first request, which that read's check preceded, whatever
    // is queued is that request's reply and is left for the next try.
    if (!firstSentUs) BoxCheck(f);
    if (!f.link.portError.empty() || f.link.deviceCount != 1) return ProbeAnswer::notAsked;
    f.x.outFrame = EncodeReadRequest(1, NumericValue(number));
    if (UnsendableByte(f)) return ProbeAnswer::notAsked;
    ProbeAnswer answer = ProbeAnswer::silent;
    while (answer == ProbeAnswer::silent && tries_ < ProbeSchedule::kTries) {
        ++tries_;
        answer = tryOnce(f, stopAsked, firstSentUs.value_or(-1));
        if (!firstSentUs && tries_ == 1) firstSentUs = f.x.lastSentUs;
    }
    ClassicClose_Click(f);
    return answer;
}

FirstReplyWatch::FirstReplyWatch(Form& f, PresenceProbe& probe)
    : f_(f), probe_(probe), previous_(std::move(f.link.frameWatch)) {
    // Before any answer in this run, the window's last reply says how fast
    // the box answers.
    if (!probe_.measured() && f_.x.replyTimeUs > 0) probe_.heard(f_.x.replyTimeUs);
    f_.link.frameWatch = [this](const Frame& frame, bool toBox) {
        if (previous_) previous_(frame, toBox);
        if (!toBox || sentUs_ >= 0) return;
        sentUs_ = f_.clock.nowUs();
        bytesAtSend_ = f_.link.bytesFromBox;
        timer_ = f_.clock.startTimer(ProbeSchedule::kPollMs, [this] { look(); });
        watching_ = true;
    };
}

FirstReplyWatch::~FirstReplyWatch() {
    if (watching_) f_.clock.stopTimer(timer_);
    f_.link.frameWatch = std::move(previous_);
}

// Bytes queued, or taken by the read's own polling, are a reply on its way:
// the read goes on, and says what came. A whole reply tells the probe how
// long an answer takes.
void FirstReplyWatch::look() {
    if (timed_ || cut_ || sentUs_ < 0) return;
    std::uint32_t queued = 0, tx = 0, events = 0;
    if (f_.driver.getStatus(f_.link.deviceHandle, queued, tx, events) != kOk) return;
    const std::uint64_t came = queued + (f_.link.bytesFromBox - bytesAtSend_);
    if (came == 0) return;
    heard_ = true;
    if (came < 5) return;
    timed_ = true;
    probe_.heard(f_.clock.nowUs() - sentUs_);
}

bool FirstReplyWatch::cutOnSilence() {
    if (cut_) return true;
    if (heard_ || sentUs_ < 0 || f_.clock.nowUs() - sentUs_ < probe_.waitUs()) return false;
    look();
    if (heard_ || !ExchangeRunning(f_)) return false;
    cut_ = true;
    // What the stop key does, made now; the stop is the run's, not the
    // user's, and the message line says nothing of it, not even a moment.
    StopExchange(f_, noLine, "");
    // Silence for the probe's whole wait: as after the probe's own silent
    // try, no reply is held to be coming.
    f_.link.unansweredSinceUs.reset();
    return true;
}

} // namespace quelm
