// Plans and reports as spreadsheets and editors write them.
#include "site/absent_list.h"
#include "site/plan.h"
#include "support/temp_folder.h"

#include <gtest/gtest.h>

#include <fstream>

using namespace quelm;

// LF, CR LF and CR alone (old spreadsheets) end a line alike, around a quoted cell spanning lines.
TEST(PlanText, EveryLineEndReadsTheSameRows) {
    for (const std::string end : {"\n", "\r\n", "\r"}) {
        std::vector<PlanError> errors;
        const auto rows = ParsePlanText("detector;rise;addresses" + end + "300;\"0,5s\"" + end + "# note" + end +
                                            "302;1s;\"1 2 3 4 5" + end + "6 7 8 9 10\"" + end + "303;1s" + end,
                                        false, ".", errors);
        ASSERT_EQ(rows.size(), 3u) << (errors.empty() ? "" : errors[0].reason);
        EXPECT_EQ((*rows[1].addresses)[5], "6");
        EXPECT_EQ(rows[2].line, 6);
    }
    const auto dir = test::MakeTempFolder("plan-text");
    std::ofstream(dir / "r.csv") << "d\xC3\xA9tecteur;\xC3\xA9tat;secondes\r300;fait;0,07\r301;absent (sonde);0,07\r";
    std::vector<std::string> absent;
    std::string error;
    EXPECT_TRUE(AbsentInReport(dir / "r.csv", absent, error, 1) && absent == std::vector<std::string>{"301"}) << error;
    std::filesystem::remove_all(dir);
}

// A JSON number is taken as written, as a CSV cell is; a file name holding a NUL is refused, not cut.
TEST(PlanText, AJsonNumberOrFileNameIsTakenAsWritten) {
    std::vector<PlanError> errors;
    for (const std::string detector : {"-0.0", "-0", "0.0", "1e3", "300.0"})
        EXPECT_TRUE(ParsePlanText("[{\"detector\": " + detector + ", \"on\": 5}]", true, ".", errors).empty() &&
                    errors.at(0).reason.find("'" + detector + "'") != std::string::npos)
            << detector;
    ParsePlanText("[{\"detector\": 300, \"file\": \"x.bdp\\u0000.txt\"}]", true, ".", errors);
    EXPECT_NE(errors.at(0).reason.find("NUL"), std::string::npos);
}
