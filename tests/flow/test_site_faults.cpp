// The site runner when things go wrong, on the virtual clock: a level the
// window cannot show, a run cut in the middle of its writes, a detector that
// echoes a new number without taking it, a late reply taken for the one
// awaited.
#include "site/plan.h"
#include "site/site_runner.h"
#include "support/test_rig.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <unistd.h>

using namespace quelm;
namespace fs = std::filesystem;

namespace {

struct SiteFaults : ::testing::Test {
    test::Rig rig;
    fs::path dir = fs::path(::testing::TempDir()) / ("site_faults_" + std::to_string(::getpid()));
    SiteFaults() {
        rig.numberMessageTable();
        fs::create_directories(dir);
    }
    ~SiteFaults() override { fs::remove_all(dir); }
    SiteRun apply(const std::string& csv, std::function<bool()> stop = {}) {
        std::vector<PlanError> errors;
        SiteSettings s;
        s.stopAsked = std::move(stop);
        return SiteRunner(rig.form, s).apply({ParsePlanText(csv, false, dir, errors), false, false});
    }
    // The stop is asked once the box has taken a frame with this code.
    std::function<bool()> stopAfter(std::int64_t code) {
        return [this, code] {
            const auto frames = rig.box.framesReceived();
            return std::any_of(frames.begin(), frames.end(), [code](const auto& f) { return f.bytes[0] == code; });
        };
    }
};

} // namespace

TEST_F(SiteFaults, ALevelOver100IsReportedSavedAndAuditedAsHeldAndNeverWrittenUnasked) {
    rig.box.detector(300)->levelDynPlus = 200;
    const SiteRun run = apply("detector,power\n300,max\n");
    EXPECT_EQ(run.rows[0].state, DetectorState::done);
    EXPECT_EQ(run.rows[0].written, std::vector<std::string>{"outputPower"});
    EXPECT_EQ(rig.box.detector(300)->levelDynPlus, 200);
    EXPECT_EQ(rig.box.detector(300)->outputPower, 0);
    EXPECT_EQ(run.rows[0].read->levelDynPlus, "200");
    SiteRunner runner(rig.form, {});
    EXPECT_EQ(runner.survey({{"300"}, false, dir}).rows[0].state, DetectorState::done);
    EXPECT_EQ(runner.audit({{"300", dir / "300.bdp"}}).rows[0].state, DetectorState::done);
    rig.box.detector(300)->levelDynPlus = 100;
    EXPECT_EQ(runner.audit({{"300", dir / "300.bdp"}}).rows[0].differences,
              (std::vector<FieldDifference>{{"levelDynPlus", "100", "200"}}));
}

TEST_F(SiteFaults, ARunCutInItsWritesSaysWhatWentOutAndThatTheValuesAreUncertain) {
    const SiteRun send = apply("detector,power,rise\n300,max,0.5s\n", stopAfter(code::kWritePowerMax));
    EXPECT_EQ(send.rows[0].state, DetectorState::stopped);
    EXPECT_TRUE(send.rows[0].uncertain);
    EXPECT_EQ(send.rows[0].cutWrites, (std::vector<CutWrite>{{"outputPower", "max", "sent"}}));
    // Stopped at its next write, the row no longer lists the power the detector confirmed as differing.
    const SiteRun next = apply("detector,power,rise\n300,min,0.5s\n", stopAfter(code::kWriteRiseTime));
    EXPECT_EQ(next.rows[0].cutWrites.at(0), (CutWrite{"outputPower", "min", "confirmed"}));
    for (const FieldDifference& d : next.rows[0].differences) EXPECT_NE(d.field, "outputPower");
    sim::BoxConfig slow = test::SampleBox();
    slow.turnaroundUs = 400'000;
    test::Rig late(slow);
    late.numberMessageTable();
    SiteSettings s;
    s.probe = false; // a detector this slow is past the probe's listening
    s.stopAsked = [&late] {
        return late.box.framesReceivedTotal() > 0 && late.box.framesReceived().back().bytes[0] == 97;
    };
    const SiteRun number = SiteRunner(late.form, s).apply({{{2, "300", {}, {}, "", {}, "301"}}, false, false});
    EXPECT_EQ(number.rows[0].state, DetectorState::stopped);
    EXPECT_TRUE(number.rows[0].uncertain);
    EXPECT_NE(number.rows[0].failure.find("may answer to either number: 300 or 301"), std::string::npos)
        << number.rows[0].failure;
}

TEST_F(SiteFaults, ADetectorThatEchoesItsNewNumberWithoutTakingItIsNotRenumbered) {
    sim::CallKnobs echo;
    echo.echoesNewNumber = true;
    rig.box.setCallKnobs(echo);
    const SiteRun run = apply("detector,newNumber\n300,301\n");
    EXPECT_EQ(run.rows[0].state, DetectorState::failed);
    EXPECT_EQ(run.rows[0].newNumber, "");
    EXPECT_NE(run.rows[0].failure.find("still answers to 300"), std::string::npos) << run.rows[0].failure;
    EXPECT_NE(rig.box.detector(300), nullptr);
}

// A reply of another detector comes just before the awaited one: the first
// read takes it, the line shows a reply too many, and the reads go on until
// two agree.
TEST_F(SiteFaults, AReadThatSawAReplyTooManyIsReadAgainUntilTwoAgree) {
    rig.box.inject(rig.clock.nowUs() + 3000, {64, 2, 0, 0, 66});
    const SiteRun run = SiteRunner(rig.form, {}).survey({{"300"}, false, {}});
    EXPECT_EQ(run.rows[0].state, DetectorState::done);
    EXPECT_EQ(run.rows[0].read, test::Detector300Shown());
    EXPECT_EQ(run.rows[0].readTwice, std::vector<std::string>{"parameters"});
    EXPECT_TRUE(SiteRunner(rig.form, {}).survey({{"300"}, false, {}}).rows[0].readTwice.empty());
}
