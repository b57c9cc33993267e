#include "box/connection_test.h"

#include "core/check.h"
#include "core/roles.h"
#include "form/form_ops.h"
#include "link/exchange_end.h"
#include "link/session.h"

namespace quelm {

namespace {

void EndConnectionTest(Form& f) {
    ShowMessage(f, "");
    f.x.attemptCount = 0;
    f.ui.Timer[timer::connectionListen]->disable();
    f.ui.Timer[timer::connectionResend]->disable();
    ClassicClose_Click(f);
}

// Reads the bytes already queued, at most five, into rxFrame; stops at the
// first empty read. A read refused for an invalid handle is tried again, up
// to 200 passes.
void ReadQueuedBytes(Form& f) {
    int position = 1;
    for (int pass = 1;; ++pass) {
        std::uint32_t count = 0;
        f.link.lastStatus = f.driver.readByte(f.link.deviceHandle, f.link.ioByte, count);
        if (pass > 200) break;
        if (f.link.lastStatus == kInvalidHandle) continue;
        if (count == 0) break;
        f.link.bytesFromBox += count;
        QUELM_CHECK(position >= 1 && position <= 5);
        f.link.rxFrame[static_cast<std::size_t>(position)] = f.link.ioByte;
        if (++position == 6) break;
    }
}

} // namespace

void StartConnectionTest(Form& f) {
    f.x.outFrame = kConnectionTestFrame;
    FillRxFrame(f, 255);
    SetButtonsEnabled(f, false);
    SendFrame(f);
    f.ui.Timer[timer::connectionListen]->enable();
}

void Timer1_Timer(Form& f) {
    if (f.x.keyPressed) MarkStopRequested(f.x);
    if (ConnectionTestSendsUsed(f.x)) {
        EndConnectionTest(f);
        SetButtonsEnabled(f, true);
        return;
    }
    PollConnectionTest(f);
}

void PollConnectionTest(Form& f) {
    if (!f.ui.Timer[timer::connectionResend]->enabled()) f.ui.Timer[timer::connectionResend]->enable();
    ShowCountedLine(f, f.x.attemptCount, waitingForNumber);
    ReadQueuedBytes(f);
    if (BoxGone(f)) return EndOnLostBox(f);
    const Frame& r = f.link.rxFrame;
    const ReplyKind kind = ClassifyReply(r);
    if (kind == ReplyKind::blank) {
        // A quiet tick logs line 11, as the window always has; the trace
        // marks it for what it is.
        f.ui.LoggerList->addItem(f.tables.messageLine(programmingTries));
        return;
    }
    if (kind == ReplyKind::acknowledgement) {
        f.x.attemptCount += 1;
        f.ui.Timer[timer::connectionResend]->disable();
        SendFrame(f);
    }
    // A number above 1048574 is no detector's: its frame passed the check
    // byte by chance, and Text3 would show the highest number instead.
    if (kind == ReplyKind::numberReport && FrameNumber(r) <= kMaxDetectorNumber) {
        // The change handler of Text3 ends the test before keyPressed is set.
        f.ui.Text3->setText(std::to_string(FrameNumber(r)));
        f.x.keyPressed = 1;
    }
}

void Timer4_Timer(Form& f) {
    if (f.x.keyPressed) MarkStopRequested(f.x);
    f.x.attemptCount += 1;
    if (ConnectionTestSendsUsed(f.x)) {
        // A test that ran out of silences gives the window back as any other
        // ending does, rather than leave the buttons off until a key.
        EndConnectionTest(f);
        SetButtonsEnabled(f, true);
        return;
    }
    SendFrame(f);
}

} // namespace quelm
