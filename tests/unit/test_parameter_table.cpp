// The parameter table against the simulated detector: every choice and level
// goes out in its write command, comes back in its read reply and shows as
// itself in the window; every name leads back to its own row.
#include "form/parameter_table.h"
#include "site/parameter_fields.h"
#include "support/test_rig.h"

#include <gtest/gtest.h>

#include <set>

using namespace quelm;

namespace {

struct TableRoundTrip : ::testing::Test {
    test::Rig rig{test::BoxOf({300})};
    std::int64_t t = 0;

    // One frame to the box, 100 ms later what it answered.
    Frame ask(const Frame& request) {
        for (std::size_t i = 1; i <= 5; ++i) rig.box.hostByte(t, static_cast<std::uint8_t>(request[i]));
        t += 100'000;
        WireFrame reply{};
        std::size_t got = 0;
        for (std::uint8_t b = 0; got < reply.size() && rig.box.takeByte(t, b);) reply[got++] = b;
        return got == reply.size() ? FromWire(reply) : Frame{};
    }
    // Writes `value` into the detector, then reads the group back into the window.
    void writeAndRead(const ParameterRow& row, int value) {
        const Frame write = EncodeWriteCommand(row.parameter, value, 300);
        const auto decoded = DecodeWriteCommand(write);
        ASSERT_TRUE(decoded);
        EXPECT_EQ(decoded->parameter, row.parameter);
        EXPECT_EQ(decoded->value, value);
        ASSERT_EQ(ClassifyReply(ask(write)), ReplyKind::acknowledgement) << row.key;
        const Frame reply = ask(EncodeReadRequest(row.readGroup, 300));
        ASSERT_EQ(reply[1], code::kReadGroup1 - kFirstReadGroup + row.readGroup) << row.key;
        ApplyParameterReply(rig.form, reply);
    }
};

} // namespace

TEST_F(TableRoundTrip, EveryChoiceAndLevelReachesTheDetectorAndShowsAgain) {
    for (const ParameterRow& row : ParameterTable()) {
        const std::size_t field = static_cast<std::size_t>(row.parameter);
        for (const ParameterChoice& c : row.choices) {
            WantedParameter wanted;
            std::string error;
            ASSERT_TRUE(ParseParameterValue(field, c.name, wanted, error)) << error;
            EXPECT_EQ(wanted.option, c.option);
            writeAndRead(row, c.writeValue);
            const DetectorParameters shown = ParametersShown(rig.form);
            EXPECT_EQ(shown.*row.shownChoice, c.option - FirstOption(row)) << row.key << " " << c.name;
            EXPECT_EQ(ShownValue(shown, field), c.name);
            EXPECT_EQ(WantedValue(wanted), c.name);
        }
        if (!row.isLevel()) continue;
        for (int level : {0, 37, 100, 200}) {
            writeAndRead(row, level);
            EXPECT_EQ(LevelHeld(rig.form, row.levelText), level) << row.key;
            EXPECT_EQ(ParametersHeld(rig.form).*row.shownLevel, std::to_string(level)) << row.key;
        }
    }
}

TEST(ParameterTable, NamesLeadBackToTheirOwnRow) {
    std::set<std::string> names;
    for (const ParameterRow& row : ParameterTable()) {
        const auto own = static_cast<std::size_t>(row.parameter);
        EXPECT_EQ(FindParameterField(row.key), own);
        EXPECT_EQ(FindParameterField(row.cliName), own);
        EXPECT_EQ(&RowOf(row.parameter), &row);
        for (const std::string name : {row.key, row.cliName, row.label, row.frenchColumn})
            names.insert(name + "/" + row.key);
        std::set<std::string> choices;
        for (const ParameterChoice& c : row.choices) {
            EXPECT_TRUE(choices.insert(c.name).second) << row.key << " " << c.name;
            EXPECT_EQ(RowOfOption(c.option), &row);
        }
    }
    // A name (key, command-line name, label, French column) belongs to one row only.
    std::set<std::string> seen;
    for (const std::string& entry : names) EXPECT_TRUE(seen.insert(entry.substr(0, entry.find('/'))).second) << entry;
}
