#include "site/presence_probe.h"

#include "link/session.h"
#include "protocol/codec.h"

#include <algorithm>

namespace quelm {

std::int64_t ProbeSchedule::WaitUs(std::int64_t answerUs) {
    if (answerUs <= 0) return kUnmeasuredWaitUs;
    return std::clamp<std::int64_t>(kAnswerTimes * answerUs, kLeastWaitUs, kMostWaitUs);
}

std::int64_t PresenceProbe::waitUs() const {
    if (answersUs_.empty()) return ProbeSchedule::WaitUs(0);
    std::vector<std::int64_t> sorted = answersUs_;
    std::nth_element(sorted.begin(), sorted.begin() + static_cast<std::ptrdiff_t>(sorted.size() / 2), sorted.end());
    return ProbeSchedule::WaitUs(sorted[sorted.size() / 2]);
}

// One request and its wait, polled every millisecond: the reply is taken as
// soon as its five bytes are queued.
ProbeAnswer PresenceProbe::tryOnce(Form& f, const std::function<bool()>& stopAsked) {
    if (!SendFrame(f) || BoxGone(f)) return ProbeAnswer::notAsked;
    const std::int64_t sentUs = f.x.lastSentUs;
    // Should the probe be cut short, its request is one left unanswered,
    // which the next operation lets fall quiet first.
    f.link.unansweredSinceUs = sentUs;
    const std::int64_t waitUs = this->waitUs();
    std::uint32_t queued = 0;
    bool taken = false, gone = false;
    const auto poll = [&] {
        std::uint32_t tx = 0, events = 0;
        f.link.lastStatus = f.driver.getStatus(f.link.deviceHandle, queued, tx, events);
        gone = BoxGone(f);
        if (!gone && queued >= 5) taken = TakeReplyFrame(f);
    };
    const Scheduler::TimerId timer = f.clock.startTimer(ProbeSchedule::kPollMs, poll);
    f.clock.runUntil([&] { return taken || gone || stopAsked() || f.clock.nowUs() - sentUs >= waitUs; },
                     waitUs / 1000 + 2);
    f.clock.stopTimer(timer);
    if (taken && IsReply(f.link.rxFrame, code::kReadGroup1)) {
        const std::int64_t tookUs = f.clock.nowUs() - sentUs;
        if (answersUs_.size() < ProbeSchedule::kAnswersKept)
            answersUs_.push_back(tookUs);
        else
            answersUs_[nextAnswer_++ % ProbeSchedule::kAnswersKept] = tookUs;
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
    // Silence for three times what an answer takes: the probe holds that no
    // reply is coming, as it holds the number absent, and the next operation
    // does not wait for one again (it still discards any stale byte).
    f.link.unansweredSinceUs.reset();
    return ProbeAnswer::silent;
}

ProbeAnswer PresenceProbe::ask(Form& f, const std::string& number, const std::function<bool()>& stopAsked) {
    tries_ = 0;
    // Before any answer in this run, the window's last reply says how fast
    // the box answers.
    if (answersUs_.empty() && f.x.replyTimeUs > 0) answersUs_.push_back(f.x.replyTimeUs);
    // The box check every operation starts with: a late reply to an earlier
    // request and any stale byte are cleared from the line first.
    BoxCheck(f);
    if (!f.link.portError.empty() || f.link.deviceCount != 1) return ProbeAnswer::notAsked;
    f.x.outFrame = EncodeReadRequest(1, NumericValue(number));
    if (UnsendableByte(f)) return ProbeAnswer::notAsked;
    ProbeAnswer answer = ProbeAnswer::silent;
    while (answer == ProbeAnswer::silent && tries_ < ProbeSchedule::kTries) {
        ++tries_;
        answer = tryOnce(f, stopAsked);
    }
    ClassicClose_Click(f);
    return answer;
}

} // namespace quelm
