// The presence probe on the virtual clock: a detector's answer sends the
// number on to the full read, silence decides absence within the probe's
// own schedule, and a damaged reply is never taken for silence; a survey of
// a sparse range asks a present detector no request more than its read,
// records the silent numbers absent, and asking them again
// without the probe gives each the reply watchdog's whole wait.
#include "site/presence_probe.h"
#include "site/site_runner.h"
#include "support/test_rig.h"

#include <gtest/gtest.h>

#include <memory>

using namespace quelm;

namespace {

struct ProbeCase {
    const char* number;
    bool damageReplies;
    ProbeAnswer expected;
    int tries;
};

} // namespace

TEST(PresenceProbe, DecidesAbsenceOnlyOnSilence) {
    const ProbeCase cases[] = {
        {"300", false, ProbeAnswer::answered, 1},
        {"301", false, ProbeAnswer::silent, ProbeSchedule::kTries},
        {"300", true, ProbeAnswer::damaged, 1},
    };
    for (const ProbeCase& c : cases) {
        test::Rig rig(test::BoxOf({300}));
        rig.ready();
        if (c.damageReplies) rig.box.setFaults({.corrupt = 1.0});
        PresenceProbe probe;
        const std::int64_t t0 = rig.clock.nowUs();
        EXPECT_EQ(probe.ask(rig.form, c.number, [] { return false; }), c.expected) << c.number;
        EXPECT_EQ(probe.triesMade(), c.tries) << c.number;
        // Each try is the first request of a read, for the number asked.
        const auto frames = rig.framesToBox();
        ASSERT_EQ(frames.size(), static_cast<std::size_t>(c.tries)) << c.number;
        EXPECT_EQ(frames.back()[0], 64) << c.number;
        // Silence costs the tries' waits, far below one reply watchdog.
        if (c.expected == ProbeAnswer::silent) {
            EXPECT_LE(rig.clock.nowUs() - t0, ProbeSchedule::kTries * (ProbeSchedule::kUnmeasuredWaitUs + 10'000));
        }
    }
}

TEST(PresenceProbe, AnAnswerSetsTheWaitOfTheNextNumbers) {
    test::Rig rig(test::BoxOf({300}));
    rig.ready();
    PresenceProbe probe;
    EXPECT_EQ(probe.waitUs(), ProbeSchedule::kUnmeasuredWaitUs);
    ASSERT_EQ(probe.ask(rig.form, "300", [] { return false; }), ProbeAnswer::answered);
    EXPECT_GE(probe.waitUs(), ProbeSchedule::kLeastWaitUs);
    EXPECT_LT(probe.waitUs(), ProbeSchedule::kUnmeasuredWaitUs);
    // A stop asked before an answer leaves the number to the read, which
    // says it was stopped: a stop never records a detector absent.
    EXPECT_EQ(probe.ask(rig.form, "301", [] { return true; }), ProbeAnswer::notAsked);
}

TEST(PresenceProbe, ASparseSurveyRecordsTheSilentAbsentAndTheirRetryWaitsWhole) {
    test::Rig rig(test::BoxOf({300, 305}));
    rig.ready();
    std::vector<std::string> numbers;
    for (int n = 299; n <= 306; ++n) numbers.push_back(std::to_string(n));
    int sent = 0;
    rig.form.link.frameWatch = [&sent](const Frame&, bool toBox) { sent += toBox ? 1 : 0; };
    const std::int64_t t0 = rig.clock.nowUs();
    const SiteRun run = SiteRunner(rig.form, SiteSettings{}).survey({numbers, false, {}});
    rig.form.link.frameWatch = nullptr;
    // A present detector is asked its read's three requests and nothing
    // more; an absent number the probe's tries.
    EXPECT_EQ(sent, 2 * 3 + 6 * ProbeSchedule::kTries);
    const double seconds = static_cast<double>(rig.clock.nowUs() - t0) / 1e6;
    std::vector<std::string> absent;
    for (const DetectorReport& r : run.rows) {
        const bool present = r.detector == "300" || r.detector == "305";
        EXPECT_EQ(r.state, present ? DetectorState::done : DetectorState::absent) << r.detector;
        if (!present) absent.push_back(r.detector);
    }
    EXPECT_EQ(Summarize(run.rows).absent, 6u);
    EXPECT_LT(seconds, 3.0); // six absent numbers, where the reply watchdog alone takes 72 s
    SiteSettings whole;
    whole.probe = false;
    whole.perDetectorSeconds = 4;
    const SiteRun retry = SiteRunner(rig.form, whole).survey({{absent[0]}, false, {}});
    EXPECT_EQ(retry.rows[0].state, DetectorState::noAnswer);
    EXPECT_GE(retry.rows[0].seconds, 4.0);
}

namespace {

// A machine too busy to run the poll: `stallMs` after each request goes out,
// the clock jumps on by `stallMs` while the reply lands in the queue.
void StallAfterEachRequest(test::Rig& rig, std::int64_t stallMs) {
    rig.form.link.frameWatch = [&rig, stallMs](const Frame&, bool toBox) {
        if (!toBox) return;
        auto id = std::make_shared<Scheduler::TimerId>();
        *id = rig.clock.startTimer(1, [&rig, id, stallMs] {
            rig.clock.stopTimer(*id);
            rig.clock.sleepUs(stallMs * 1000);
        });
    };
}

} // namespace

// The line is looked at once more before a try is called silent, on the
// probe's own tries and on the read's first request alike; a run's own cut
// of a read never shows " STOP" on the message line.
TEST(PresenceProbe, AStalledMachineNeverTakesAQueuedReplyForSilence) {
    test::Rig rig(test::BoxOf({300, 302}));
    rig.ready();
    PresenceProbe probe;
    probe.heard(8'000);
    StallAfterEachRequest(rig, 60);
    EXPECT_EQ(probe.ask(rig.form, "300", [] { return false; }), ProbeAnswer::answered);
    EXPECT_EQ(probe.triesMade(), 1);

    bool stopShown = false;
    rig.form.ui.observer = [&](Control& c, Change) {
        stopShown = stopShown || (&c == rig.form.ui.Text5 && rig.message().find("STOP") != std::string::npos);
    };
    const SiteRun run = SiteRunner(rig.form, SiteSettings{}).survey({{"300", "301", "302"}, false, {}});
    EXPECT_EQ(run.rows[0].state, DetectorState::done);
    EXPECT_EQ(run.rows[1].state, DetectorState::absent);
    EXPECT_EQ(run.rows[2].state, DetectorState::done);
    EXPECT_FALSE(stopShown);
}

// A detector far slower than the others, answering after the probe's wait,
// is heard during the next try and read; the detector after it is not put
// out by its late replies; an absent number still costs a quarter second.
TEST(PresenceProbe, SlowDetectorsAndTheirNeighboursArePresent) {
    test::Rig rig(test::BoxOf({300, 301, 302, 303, 304}));
    rig.ready();
    rig.box.detector(301)->slownessUs = 150'000;
    rig.box.detector(303)->slownessUs = 70'000;
    const SiteRun run =
        SiteRunner(rig.form, SiteSettings{}).survey({{"300", "301", "302", "303", "304", "305"}, false, {}});
    for (std::size_t i = 0; i < 5; ++i) EXPECT_EQ(run.rows[i].state, DetectorState::done) << run.rows[i].detector;
    EXPECT_EQ(run.rows[5].state, DetectorState::absent);
    EXPECT_LE(run.rows[5].seconds, 0.25);
    EXPECT_LE(ProbeSchedule::MostSilenceUs(false), 250'000);
}

// Numbers asked again: a detector answering within a second is found, a
// silent number is absent again, each within the patient probe's bound.
TEST(PresenceProbe, APatientProbeFindsASecondSlowDetector) {
    test::Rig rig(test::BoxOf({300}));
    rig.ready();
    rig.box.detector(300)->slownessUs = 950'000;
    SiteSettings patient;
    patient.patientProbe = true;
    const SiteRun run = SiteRunner(rig.form, patient).survey({{"300", "301"}, false, {}});
    EXPECT_EQ(run.rows[0].state, DetectorState::done);
    EXPECT_EQ(run.rows[1].state, DetectorState::absent);
    EXPECT_LE(run.rows[1].seconds * 1e6, static_cast<double>(ProbeSchedule::MostSilenceUs(true)));
    EXPECT_LE(100 * ProbeSchedule::MostSilenceUs(true), 240'000'000);
}
