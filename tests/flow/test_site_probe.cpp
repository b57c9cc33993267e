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

// The clock jumps 60 ms after each request, the reply queued: the line is looked
// at once more before a silent try. A run's own cut of a read shows no " STOP".
TEST(PresenceProbe, AStalledMachineNeverTakesAQueuedReplyForSilence) {
    test::Rig rig(test::BoxOf({300, 302}));
    rig.ready();
    rig.form.link.frameWatch = [&rig](const Frame&, bool toBox) {
        auto id = std::make_shared<Scheduler::TimerId>();
        if (toBox) *id = rig.clock.startTimer(1, [&rig, id] { rig.clock.stopTimer(*id), rig.clock.sleepUs(60'000); });
    };
    PresenceProbe probe;
    probe.heard(8'000);
    EXPECT_EQ(probe.ask(rig.form, "300", [] { return false; }), ProbeAnswer::answered);
    bool stopShown = false;
    rig.form.ui.observer = [&](Control&, Change) { stopShown |= rig.message().find("STOP") != std::string::npos; };
    const SiteRun run = SiteRunner(rig.form, SiteSettings{}).survey({{"300", "301", "302"}, false, {}});
    for (const DetectorReport& r : run.rows) EXPECT_EQ(r.state == DetectorState::absent, r.detector == "301");
    EXPECT_FALSE(stopShown);
}

// Slow detectors and the one after each are read, an absent number costs 0.25 s;
// asked again, a detector answering within a second is found.
TEST(PresenceProbe, SlowDetectorsAndTheirNeighboursArePresent) {
    test::Rig rig(test::BoxOf({300, 301, 302, 303, 304}));
    rig.ready();
    rig.box.detector(301)->slownessUs = 150'000;
    rig.box.detector(303)->slownessUs = 70'000;
    const SiteRun run = SiteRunner(rig.form, {}).survey({{"300", "301", "302", "303", "304", "305"}, false, {}});
    for (const DetectorReport& r : run.rows) EXPECT_EQ(r.state == DetectorState::done, r.detector != "305");
    EXPECT_LE(run.rows[5].seconds, 0.25);
    rig.box.detector(301)->slownessUs = 950'000;
    SiteSettings patient;
    patient.patientProbe = true;
    const SiteRun again = SiteRunner(rig.form, patient).survey({{"301", "305"}, false, {}});
    EXPECT_EQ(again.rows[0].state, DetectorState::done);
    EXPECT_EQ(again.rows[1].state, DetectorState::absent);
    EXPECT_LE(again.rows[1].seconds * 1e6, static_cast<double>(ProbeSchedule::MostSilenceUs(true)));
}
