// The site runner on the virtual clock: plans refused before anything is
// sent, a survey past absent detectors, a plan whose middle detector refuses
// a write, and an audit that finds one difference.
#include "project/project_actions.h"
#include "site/plan.h"
#include "site/site_runner.h"
#include "support/file_bytes.h"
#include "support/test_rig.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <unistd.h>

using namespace quelm;
namespace fs = std::filesystem;

namespace {

struct SiteTest : ::testing::Test {
    test::Rig rig;
    fs::path dir = fs::path(::testing::TempDir()) / ("site_" + std::to_string(::getpid()));
    SiteTest() {
        rig.numberMessageTable();
        fs::remove_all(dir);
        fs::create_directories(dir);
    }
    ~SiteTest() override { fs::remove_all(dir); }
    SiteRunner runner(double perDetectorSeconds = 12) {
        SiteSettings s;
        s.perDetectorSeconds = perDetectorSeconds;
        return SiteRunner(rig.form, s);
    }
    std::vector<PlanRow> plan(const std::string& csv) {
        std::vector<PlanError> errors;
        auto rows = ParsePlanText(csv, false, dir, errors);
        EXPECT_TRUE(errors.empty()) << errors.front().reason;
        return rows;
    }
};

std::vector<DetectorState> States(const SiteRun& run) {
    std::vector<DetectorState> s;
    for (const DetectorReport& r : run.rows) s.push_back(r.state);
    return s;
}

} // namespace

TEST_F(SiteTest, APlanWithAnyMistakeIsRefusedWholeWithItsLine) {
    std::ofstream(dir / "short.bdp") << "1\r\n2\r\n";
    const struct {
        bool json;
        const char* text;
        int line;
        const char* reason;
    } cases[] = {
        {false, "detector,power\n300,max\n301,huge\n", 3, "power='huge': use max|med|min"},
        {false, "detector,speed\n300,1\n", 2, "'speed' is no column of a plan"},
        {false, "detector,on\n300,50\n\n0300,60\n", 4, "detector 300 is already on line 2"},
        {false, "detector;dyn+\n300;101\n", 2, "a level is a whole percent from 0 to 100"},
        {false, "power\nmax\n", 1, "the header names no 'detector' column"},
        {false, "detector,addresses\n300,1 2 3\n", 2, "ten numbers wanted, 3 given"},
        {false, "detector,file\n300,short.bdp\n", 2, "fewer than 19 values"},
        {false, "detector,newNumber\n300,301\n301,\n", 2, "the number of the detector on line 3"},
        {false, "detector,type\n300,\"L1\n", 2, "never closed"},
        {true, "[{\"detector\": 300},\n {\"detector\": 1048575}]", 2, "detector '1048575'"},
        {true, "{\"detectors\": [\n{\"detector\": 300,\n \"rise\": 7}\n]}", 2, "rise='7': use 0.1s|"},
        {true, "[{\"detector\": 300,}]", 1, "not JSON"},
    };
    for (const auto& c : cases) {
        std::vector<PlanError> errors;
        EXPECT_TRUE(ParsePlanText(c.text, c.json, dir, errors).empty()) << c.text;
        ASSERT_FALSE(errors.empty()) << c.text;
        EXPECT_EQ(errors.front().line, c.line) << c.text;
        EXPECT_NE(errors.front().reason.find(c.reason), std::string::npos) << errors.front().reason;
    }
    // A plan of more detectors than a run takes is refused at the first one
    // past them, and read no further.
    std::string many = "detector\n";
    for (int n = 0; n <= 5000; ++n) many += std::to_string(n) + "\n";
    std::vector<PlanError> errors;
    EXPECT_TRUE(ParsePlanText(many, false, dir, errors).empty());
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0].line, 5002);
    // A report is a plan: its values in the report's own words, its other
    // columns left aside.
    const auto rows = plan("detector,state,outputPower,dynamicTime,commandType,levelOnPlus,seconds\n"
                           "300,done,med,2 min,L1 + L3,80,0.07\n# 1 detector\n");
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].parameters, (std::vector<WantedParameter>{{12, 0, 0}, {8, 0, 0}, {28, 0, 0}, {0, 8, 80}}));
}

TEST_F(SiteTest, ASurveyWaitsABoundedTimeForAbsentDetectorsAndSavesWhatTheWindowWould) {
    const std::int64_t t0 = rig.clock.nowUs();
    const SiteRun run = runner(2).survey({{"300", "299", "12", "298"}, true, dir});
    EXPECT_EQ(States(run), (std::vector<DetectorState>{DetectorState::done, DetectorState::absent, DetectorState::done,
                                                       DetectorState::absent}));
    EXPECT_FALSE(run.rows[1].reached);
    EXPECT_EQ(run.rows[0].read, test::Detector300Shown());
    EXPECT_EQ(run.rows[0].addresses->back(), "1048574");
    EXPECT_LT(rig.clock.nowUs() - t0, 2'000'000); // two absent to the probe, two reads
    EXPECT_FALSE(fs::exists(dir / "299.bdp"));
    // The window, reading the detector and saving, writes the same bytes.
    rig.form.ui.Text3->setText("12");
    rig.form.ui.Command[7]->click();
    ASSERT_TRUE(rig.runUntilOperationEnds(10'000));
    rig.form.ui.Command[4]->click();
    ASSERT_TRUE(rig.runUntilOperationEnds(10'000));
    SaveProjectFile(rig.form, (dir / "window.bdp").string());
    EXPECT_EQ(test::ReadBytes(dir / "12.bdp"), test::ReadBytes(dir / "window.bdp"));
}

TEST_F(SiteTest, ADetectorThatRefusesAWriteFailsAloneUnlessTheRunStopsOnError) {
    sim::CallKnobs knobs;
    knobs.refusedWrites = {90}; // no detector takes power "min"
    rig.box.setCallKnobs(knobs);
    const std::string csv = "detector,power,on,newNumber\n300,,70,\n12,min,,\n300000,max,,\n";
    const auto before12 = *rig.box.detector(12);
    const SiteRun run = runner().apply({plan(csv), false, false});
    EXPECT_EQ(run.rows[0].state, DetectorState::done);
    EXPECT_EQ(run.rows[0].written, std::vector<std::string>{"levelOnPlus"});
    EXPECT_EQ(rig.box.detector(300)->levelOnPlus, 70);
    EXPECT_EQ(run.rows[1].state, DetectorState::failed);
    EXPECT_EQ(run.rows[1].differences, (std::vector<FieldDifference>{{"outputPower", "max", "min"}}));
    EXPECT_EQ(rig.box.detector(12)->outputPower, before12.outputPower);
    EXPECT_EQ(run.rows[2].state, DetectorState::absent);
    const SiteRun stopping = runner().apply({plan(csv), false, true});
    EXPECT_EQ(States(stopping),
              (std::vector<DetectorState>{DetectorState::done, DetectorState::failed, DetectorState::notRun}));
    EXPECT_TRUE(stopping.rows[0].written.empty());
}

TEST_F(SiteTest, AnAuditNamesTheFieldWhereADetectorDiffersFromItsFile) {
    ASSERT_EQ(States(runner().survey({{"300", "12"}, false, dir})),
              (std::vector<DetectorState>{DetectorState::done, DetectorState::done}));
    rig.box.detector(12)->levelDynMinus = 33;
    std::vector<AuditEntry> entries;
    std::vector<std::string> aside;
    std::string error;
    std::ofstream(dir / "notes.bdp") << "x";
    ASSERT_TRUE(ListAuditEntries(dir, entries, aside, error)) << error;
    EXPECT_EQ(aside, std::vector<std::string>{"notes.bdp"});
    const SiteRun run = runner().audit(entries);
    EXPECT_EQ(States(run), (std::vector<DetectorState>{DetectorState::differs, DetectorState::done}));
    EXPECT_EQ(run.rows[0].detector, "12");
    EXPECT_EQ(run.rows[0].differences, (std::vector<FieldDifference>{{"levelDynMinus", "33", "10"}}));
}

// A cell a spreadsheet would run as a formula is written as text, the summary
// is one cell, and the report is still a plan.
TEST_F(SiteTest, AReportShowsFormulasAsTextAndStaysAPlan) {
    DetectorReport row;
    row.detector = "300";
    row.state = DetectorState::done;
    row.projectFile = "=1+1/300.bdp";
    const std::string csv = ReportCsv({row});
    EXPECT_NE(csv.find(",'=1+1/300.bdp,"), std::string::npos) << csv;
    EXPECT_EQ(csv.substr(csv.rfind('\n', csv.size() - 2) + 1),
              "\"# 1 detector: 0 reached, 1 done, 0 differing, 0 failed, 0 not run\"\n");
    EXPECT_EQ(plan(csv).size(), 1u);
}
