// Numbers in texts, their byte forms, the write commands and the validators.
#include "protocol/codec.h"
#include "support/test_rig.h"

#include <gtest/gtest.h>

#include <cfloat>

using namespace quelm;

TEST(NumericValue, ReadsTheNumberAtTheStartOfAText) {
    EXPECT_EQ(NumericValue("300"), 300);
    EXPECT_EQ(NumericValue(" 3 0 0 "), 300);
    EXPECT_EQ(NumericValue("\t12\n5abc"), 125);
    EXPECT_EQ(NumericValue("-5"), -5);
    EXPECT_EQ(NumericValue("+7"), 7);
    EXPECT_EQ(NumericValue("100.4"), 100.4);
    EXPECT_EQ(NumericValue(".5"), 0.5);
    EXPECT_EQ(NumericValue("50,5"), 50);
    EXPECT_EQ(NumericValue("1.5e2x"), 150);
    EXPECT_EQ(NumericValue("2D3"), 2000);
    EXPECT_EQ(NumericValue("3e"), 3);
    EXPECT_EQ(NumericValue("3e+"), 3);
    EXPECT_EQ(NumericValue("&H1F"), 31);
    EXPECT_EQ(NumericValue("&hff"), 255);
    EXPECT_EQ(NumericValue("&O17"), 15);
    EXPECT_EQ(NumericValue("&O19"), 1);
    EXPECT_EQ(NumericValue("&X1"), 0);
    EXPECT_EQ(NumericValue("abc"), 0);
    EXPECT_EQ(NumericValue(""), 0);
    EXPECT_EQ(NumericValue("-"), 0);
    EXPECT_EQ(NumericValue("Text3"), 0);
}

TEST(NumericValue, AbsurdInputsGiveFiniteValues) {
    EXPECT_EQ(NumericValue("1e999"), DBL_MAX);
    EXPECT_EQ(NumericValue("-1e999"), -DBL_MAX);
    EXPECT_EQ(NumericValue("&H" + std::string(400, 'F')), DBL_MAX);
    EXPECT_EQ(NumericValue(std::string(5000, '9')), DBL_MAX);
    EXPECT_EQ(NumericValue("1e-999"), 0);
}

TEST(Encoding, NumbersBecomeBigEndianBytes) {
    using A = std::array<std::int64_t, 3>;
    EXPECT_EQ(EncodeNumber(0), (A{0, 0, 0}));
    EXPECT_EQ(EncodeNumber(65536), (A{1, 0, 0}));
    EXPECT_EQ(EncodeNumber(1048574), (A{15, 255, 254}));
    EXPECT_EQ(EncodeNumber(300.5), (A{0, 1, 44}));
    EXPECT_LT(EncodeNumber(-1)[0], 0);
    EXPECT_GT(EncodeNumber(DBL_MAX)[0], 255);
    EXPECT_LT(EncodeNumber(-DBL_MAX)[0], 0);
}

TEST(Encoding, RequestsAndWriteCommands) {
    EXPECT_EQ(EncodeReadRequest(3, 300), (Frame{0, 66, 0, 1, 44, 66 ^ 1 ^ 44}));
    EXPECT_EQ(EncodeWriteCommand(Parameter::riseTime, 3, 12), (Frame{0, 68, 0, 0, 12, 3}));
    EXPECT_EQ(EncodeWriteCommand(Parameter::outputPower, 0, 12), (Frame{0, 88, 0, 0, 12, 84}));
    EXPECT_EQ(EncodeWriteCommand(Parameter::outputPower, 2, 12)[1], 90);
    EXPECT_EQ(EncodeWriteCommand(Parameter::channel, 1, 12)[1], 87);
    EXPECT_EQ(EncodeWriteCommand(Parameter::dynamicTime, 5, 12)[1], 85);
    EXPECT_EQ(EncodeWriteCommand(Parameter::levelDynMinus, 50, 12), (Frame{0, 72, 0, 0, 12, 50}));
    EXPECT_EQ(EncodeWriteCommand(Parameter::commandType, 1, 12)[1], 73);
}

TEST(Encoding, LevelsRoundHalfToEven) {
    EXPECT_EQ(LevelByte(50.5), 50);
    EXPECT_EQ(LevelByte(51.5), 52);
    EXPECT_EQ(LevelByte(99.5), 100);
    EXPECT_EQ(LevelByte(0.49), 0);
    EXPECT_EQ(LevelByte(-3), 0);
    EXPECT_EQ(LevelByte(1e300), 255);
}

TEST(Validators, LevelBoxesStayWithin0And100) {
    test::Rig rig;
    TextBox& t = *rig.form.ui.Text8;
    const std::pair<const char*, const char*> cases[] = {
        {"150", "100"}, {"100.4", "100"}, {"-5", "0"},      {"99.5", "99.5"}, {"50.5", "50.5"},
        {"abc", "abc"}, {"", ""},         {"1e999", "100"}, {"-1e999", "0"},  {"&H80", "100"},
    };
    for (auto [typed, shown] : cases) {
        t.setText(typed);
        EXPECT_EQ(t.text(), shown) << typed;
    }
    rig.form.ui.Text10->setText("200");
    EXPECT_EQ(rig.form.ui.Text10->text(), "100");
}
