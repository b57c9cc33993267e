#include "site/presence_probe.h"

#include "form/form_ops.h"
#include "link/exchange_end.h"
#include "link/session.h"
#include "protocol/codec.h"

#include <algorithm>

namespace quelm {

namespace {
constexpr int kStopKey = 27;
} // namespace

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
        heard(f.clock.nowUs() - sentUs);
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

void PresenceProbe::heard(std::int64_t answerUs) {
    if (answersUs_.size() < ProbeSchedule::kAnswersKept)
        answersUs_.push_back(answerUs);
    else
        answersUs_[nextAnswer_++ % ProbeSchedule::kAnswersKept] = answerUs;
}

ProbeAnswer PresenceProbe::ask(Form& f, const std::string& number, const std::function<bool()>& stopAsked,
                               int triesMade) {
    tries_ = triesMade;
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
    // The stop key, and the stop watch's check of it made now.
    f_.x.keyPressed = kStopKey;
    Timer3_Timer(f_);
    // The stop was the run's, not the user's: the message line says nothing of it.
    SetMessage(f_, noLine, "");
    // Silence for the probe's whole wait: as after the probe's own silent
    // try, no reply is held to be coming.
    f_.link.unansweredSinceUs.reset();
    return true;
}

} // namespace quelm
