// Reports and plans between the tool and a spreadsheet: a report in French
// (';', decimal comma, byte-order mark) or English (',', decimal point) goes
// back in as a plan giving what the detector held; a spreadsheet's export
// with a byte-order mark and trailing empty columns is read; a plan's
// mistake names its line and its detector, in the user's language.
#include "site/plan.h"
#include "site/site_report.h"
#include "support/test_rig.h"

#include <gtest/gtest.h>

using namespace quelm;

TEST(SiteLanguage, AReportInEitherLanguageGoesBackInAsThePlanOfWhatWasRead) {
    DetectorReport row;
    row.detector = "300";
    row.state = DetectorState::done;
    row.reached = true;
    row.read = test::Detector300Shown(); // a rise time of 1.5 s
    row.seconds = 0.25;
    for (const int language : {1, 2}) {
        const std::string csv = ReportCsv({row}, language);
        const bool fr = language == 1;
        EXPECT_EQ(csv.starts_with("\xEF\xBB\xBF"), fr);
        const std::string header = csv.substr(fr ? 3 : 0, csv.find('\n'));
        EXPECT_EQ(header.find(fr ? ',' : ';'), std::string::npos) << header;
        EXPECT_EQ(header.starts_with(fr ? "détecteur;état;" : "detector,state,"), true) << header;
        EXPECT_NE(csv.find(fr ? ";fait;oui;" : ",done,yes,"), std::string::npos) << csv;
        EXPECT_NE(csv.find(fr ? "1,5s" : "1.5s"), std::string::npos) << csv;
        EXPECT_NE(csv.find(fr ? ";0,25;" : ",0.25,"), std::string::npos) << csv;
        std::vector<PlanError> errors;
        const auto rows = ParsePlanText(csv, false, ".", errors);
        ASSERT_TRUE(errors.empty()) << errors.front().reason;
        ASSERT_EQ(rows.size(), 1u);
        EXPECT_EQ(rows[0].parameters.size(), 9u);
        EXPECT_TRUE(ParameterDifferences(*row.read, rows[0].parameters).empty()) << language;
    }
}

TEST(SiteLanguage, ASpreadsheetPlanIsReadAndItsMistakesNameLineAndDetector) {
    std::vector<PlanError> errors;
    const auto rows = ParsePlanText("\xEF\xBB\xBF"
                                    "detector;power;rise;;\n300;max;0,5 s;;\n;;;;\n",
                                    false, ".", errors);
    ASSERT_TRUE(errors.empty()) << errors.front().reason;
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].parameters.size(), 2u);

    const std::string plan = "detector,power,newNumber\n300,max,\n301,huge,\n302,,300\n";
    ParsePlanText(plan, false, ".", errors, {}, 1);
    ASSERT_EQ(errors.size(), 2u);
    EXPECT_EQ(DescribePlanError("p.csv", errors[0], 1).substr(0, 34), "p.csv : ligne 3 : détecteur 301 :");
    EXPECT_EQ(errors[1].line, 4);
    EXPECT_EQ(errors[1].detector, "302");
    EXPECT_EQ(errors[1].reason, "le nouveau numéro 300 est celui du détecteur de la ligne 2");

    // A JSON plan's mistakes are said in the same language.
    errors.clear();
    ParsePlanText("[{\"detector\": 300, \"detector\": 301, \"power\": {}}]", true, ".", errors, {}, 1);
    ASSERT_EQ(errors.size(), 2u);
    EXPECT_EQ(errors[0].reason, "\"detector\" donné deux fois");
    EXPECT_EQ(errors[1].reason, "\"power\" : un objet n'est pas une valeur de plan");
}
