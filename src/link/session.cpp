#include "link/session.h"

#include "core/check.h"
#include "core/roles.h"
#include "form/form_ops.h"

#include <algorithm>
#include <string>

namespace quelm {

void ClassicOpen_Click(Form& f) {
    f.link.openStatus = f.driver.open(0, f.link.deviceHandle);
    f.link.portError = f.link.openStatus == kOk ? std::string() : f.driver.lastError();
    f.ui.LoggerList->addItem(f.link.openStatus == kOk ? "Open OK"
                                                      : "Open Failed status=" + std::to_string(f.link.openStatus));
}

void ClassicClose_Click(Form& f) {
    const std::uint32_t status = f.driver.close(f.link.deviceHandle);
    f.ui.LoggerList->addItem(status == kOk ? "Closed OK" : "Close Failed");
}

void GetNumDevices_Click(Form& f) {
    f.link.lastStatus = f.driver.countDevices(f.link.deviceCount);
    // No box at all: the count's own reason, if any, says why (a named port
    // that does not exist); an open that failed for want of a box says nothing more.
    if (f.link.deviceCount == 0) f.link.portError = f.driver.lastError();
    f.ui.LoggerList->addItem(f.link.lastStatus == kOk
                                 ? "Number of Devices = " + std::to_string(f.link.deviceCount)
                                 : "FTID_GetNumDevs failed status = " + std::to_string(f.link.lastStatus));
}

void ConfigureLine(Form& f) {
    const DeviceHandle h = f.link.deviceHandle;
    f.link.lastStatus = f.driver.setBaudRate(h, 19200);
    f.link.lastStatus = f.driver.setDataCharacteristics(h, 8, 0, 0);
    f.link.lastStatus = f.driver.setTimeouts(h, 5, 10);
}

void WriteSingleByte(Form& f, std::uint8_t byte) {
    std::uint32_t written = 0;
    f.link.ioByte = byte;
    f.link.lastStatus = f.driver.writeByte(f.link.deviceHandle, f.link.ioByte, written);
}

void FillRxFrame(Form& f, int value) {
    for (int i = 1; i <= 5; ++i) f.link.rxFrame[static_cast<std::size_t>(i)] = value;
}

std::optional<int> UnsendableByte(const Form& f) {
    for (int i = 1; i <= 5; ++i) {
        const std::int64_t b = f.x.outFrame[static_cast<std::size_t>(i)];
        if (b < 0 || b > 255) return i;
    }
    return std::nullopt;
}

void ShowSendRefused(Form& f, int position) {
    QUELM_CHECK(position >= 1 && position <= 5);
    ShowLineWith(f, numberRefused, Said::NumberRefused, "");
    f.ui.LoggerList->addItem("Send refused: byte " + std::to_string(position) + " = " +
                             std::to_string(f.x.outFrame[static_cast<std::size_t>(position)]));
}

bool SendFrame(Form& f) {
    if (auto bad = UnsendableByte(f)) {
        ShowSendRefused(f, *bad);
        return false;
    }
    ClassicOpen_Click(f);
    ConfigureLine(f);
    for (int i = 1; i <= 5; ++i) {
        if (i > 1) f.clock.pauseMs(1);
        WriteSingleByte(f, static_cast<std::uint8_t>(f.x.outFrame[static_cast<std::size_t>(i)]));
    }
    FillRxFrame(f, 255);
    f.x.lastSentUs = f.clock.nowUs();
    if (f.link.frameWatch) f.link.frameWatch(f.x.outFrame, true);
    return true;
}

bool SendFrameAndPoll(Form& f) {
    if (!SendFrame(f)) return false;
    f.link.unansweredSinceUs = f.x.lastSentUs;
    f.ui.Timer[timer::replyPoll]->enable();
    return true;
}

bool TakeReplyFrame(Form& f) {
    LinkVariables& l = f.link;
    l.lastStatus = f.driver.getStatus(l.deviceHandle, l.rxQueueCount, l.txQueueCount, l.eventStatus);
    if (l.rxQueueCount <= 4) return false;
    for (int i = 1; i <= 5; ++i) {
        std::uint32_t count = 0;
        l.lastStatus = f.driver.readByte(l.deviceHandle, l.ioByte, count);
        l.rxFrame[static_cast<std::size_t>(i)] = l.ioByte;
        l.bytesFromBox += count;
    }
    f.x.replyTimeUs = f.clock.nowUs() - f.x.lastSentUs;
    f.link.unansweredSinceUs.reset();
    if (l.frameWatch) l.frameWatch(l.rxFrame, false);
    return true;
}

bool BoxGone(const Form& f) { return f.link.lastStatus == kIoError || f.link.lastStatus == kDeviceNotFound; }

namespace {

// Bytes still queued when an operation looks for the box answer nothing it
// will ask: the box's acknowledgement of a channel frame, a reply that came
// after its step had ended. Taken as the operation's first replies, they
// would put every later reply one request behind, and a read of addresses
// would end with its last addresses never read.
void DiscardStaleBytes(Form& f) {
    constexpr std::uint32_t kMostBytes = 4096;
    std::uint32_t queued = 0, tx = 0, events = 0;
    if (f.driver.getStatus(f.link.deviceHandle, queued, tx, events) != kOk || queued == 0) return;
    std::uint32_t dropped = 0;
    for (std::uint8_t byte = 0; dropped < queued && dropped < kMostBytes; ++dropped) {
        std::uint32_t count = 0;
        if (f.driver.readByte(f.link.deviceHandle, byte, count) != kOk || count == 0) break;
        f.link.bytesFromBox += count;
    }
    f.ui.LoggerList->addItem("Stale bytes discarded: " + std::to_string(dropped));
}

// A request left unanswered when its operation ended (a stop, a time-out, a
// failure) may still be answered a moment later: taken by the next
// operation's first request, that reply would pass for its answer (a reply
// names no detector). The line is first left quiet for as long as a reply
// takes, so that such a reply is discarded with the other stale bytes. A
// normal exchange, whose requests were answered, never waits here.
void LetUnansweredRequestFallQuiet(Form& f) {
    constexpr std::int64_t kLeastQuietUs = 30'000, kMostQuietUs = 250'000;
    if (!f.link.unansweredSinceUs) return;
    const std::int64_t quietUs = std::clamp<std::int64_t>(2 * f.x.replyTimeUs, kLeastQuietUs, kMostQuietUs);
    const std::int64_t waitUs = *f.link.unansweredSinceUs + quietUs - f.clock.nowUs();
    if (waitUs > 0) f.clock.sleepUs(waitUs);
    f.link.unansweredSinceUs.reset();
}

} // namespace

void BoxCheck(Form& f) {
    ClassicOpen_Click(f);
    LetUnansweredRequestFallQuiet(f);
    DiscardStaleBytes(f);
    GetNumDevices_Click(f);
    ClassicClose_Click(f);
}

bool PortUnusable(Form& f) {
    if (f.link.portError.empty()) return false;
    std::string reason = " ";
    reason += Reason(f.link.portError, f.x.language);
    ShowLineWith(f, portUnusable, Said::PortUnusable, reason);
    f.link.deviceCount = 0;
    return true;
}

std::uint32_t LookForBox(Form& f) {
    ShowMessageLine(f, lookingForBox);
    BoxCheck(f);
    if (PortUnusable(f)) return 0;
    if (f.link.deviceCount == 0) ShowMessageLine(f, noBox);
    if (f.link.deviceCount == 1) ShowMessageLine(f, boxFound);
    if (f.link.deviceCount > 1) ShowLineWith(f, severalBoxes, Said::SeveralBoxes, "");
    return f.link.deviceCount;
}

} // namespace quelm
