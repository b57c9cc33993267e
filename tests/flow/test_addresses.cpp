// "Lire les adresses" and "Envoyer les adresses" from the buttons to the
// box and back, on the virtual clock with the simulated box.
#include "link/exchange_end.h"
#include "protocol/number.h"
#include "read_params/parameter_replies.h"
#include "shell/keyboard.h"
#include "support/address_invariants.h"
#include "support/test_rig.h"

#include <gtest/gtest.h>

using namespace quelm;
using namespace quelm::test;

namespace {

constexpr std::array<std::uint32_t, 10> kAddresses300{11, 22, 33, 44, 55, 66, 77, 88, 99, 1048574};
const std::vector<std::uint8_t> kWrongFrame{1, 2, 3, 4, 5};

Frame5 Request(int code, std::uint32_t n) {
    const auto b = EncodeNumber(n);
    const auto c = static_cast<std::uint8_t>(code);
    const Frame5 f{c, std::uint8_t(b[0]), std::uint8_t(b[1]), std::uint8_t(b[2]), 0};
    return {f[0], f[1], f[2], f[3], std::uint8_t(f[0] ^ f[1] ^ f[2] ^ f[3])};
}

struct AddressTest : ::testing::Test {
    Rig rig;
    Form& f = rig.form;
    void SetUp() override { rig.ready(); }
    void read() { f.ui.Command[4]->userClick(); }
    void send(const std::array<std::string, 10>& wanted) {
        for (std::size_t i = 0; i < 10; ++i) f.ui.Text2[i]->setText(wanted[i]);
        f.ui.Command[5]->userClick();
    }
    std::size_t frames() const { return rig.box.framesReceived().size(); }
    void waitForFrames(std::size_t n) {
        ASSERT_TRUE(rig.clock.runUntil([&] { return frames() >= n; }, 10'000));
    }
    // Detector 300 keeps silent (the box finds no such detector) or answers.
    void silence(bool quiet) { (quiet ? rig.box.detector(300) : rig.box.detector(301))->number = quiet ? 301 : 300; }
    std::array<std::uint32_t, 10>& held() { return rig.box.detector(300)->addresses; }
    int count(int code) const {
        int n = 0;
        for (const Frame5& fr : rig.framesToBox()) n += fr[0] == code;
        return n;
    }
    void expectWindowBack() {
        EXPECT_EQ(f.x.operation, kIdle);
        EXPECT_TRUE(rig.buttonsEnabled());
        EXPECT_TRUE(rig.exchangeTimersOff());
        EXPECT_FALSE(f.ui.Timer[3]->enabled());
        EXPECT_FALSE(rig.driver.isOpen());
    }
};

std::array<std::string, 10> Texts(const std::array<std::uint32_t, 10>& values) {
    std::array<std::string, 10> t;
    for (std::size_t i = 0; i < 10; ++i) t[i] = std::to_string(values[i]);
    return t;
}

} // namespace

TEST_F(AddressTest, ReadsTheTenAddressesOneRequestEvery24Milliseconds) {
    read();
    EXPECT_FALSE(rig.buttonsEnabled());
    for (TextBox* box : f.ui.Text1) EXPECT_FALSE(box->enabled());
    rig.clock.advanceMs(15); // the first polling tick, at 14 ms, took the reply
    EXPECT_EQ(rig.message(), " 0<8> 1<9>");
    ASSERT_TRUE(rig.runUntilOperationEnds(1000));
    EXPECT_EQ(rig.message(), rig.line(18));
    expectWindowBack();
    const auto& got = rig.box.framesReceived();
    ASSERT_EQ(got.size(), 10u);
    // Four 1 ms pauses and the last byte's wire time; then for each address
    // the reply taken by the first 10 ms polling tick and Timer18's 10 ms.
    EXPECT_EQ(got[0].tUs, 4000 + sim::kByteWireUs);
    for (std::size_t i = 0; i < 10; ++i) {
        EXPECT_EQ(got[i].bytes, Request(16 + static_cast<int>(i), 300)) << i;
        EXPECT_EQ(got[i].tUs - got[0].tUs, static_cast<std::int64_t>(i) * 24'000) << i;
        EXPECT_EQ(f.ui.Text1[i]->text(), std::to_string(kAddresses300[i]));
        EXPECT_TRUE(f.ui.Text1[i]->enabled());
    }
    EXPECT_EQ(CheckAddressReadInvariant(f, rig.box), "");
}

// A report beyond 1048574 is what the detector holds: dropped, it would
// leave the box with an earlier detector's text, read as done.
TEST_F(AddressTest, AnAddressBeyond1048574IsShownAsTheDetectorReportedIt) {
    f.ui.Text1[9]->setText("old");
    held()[9] = 1048575;
    read();
    ASSERT_TRUE(rig.runUntilOperationEnds(1000));
    EXPECT_EQ(rig.message(), rig.line(18));
    EXPECT_EQ(f.ui.Text1[9]->text(), "1048575");
    EXPECT_TRUE(f.ui.Text1[9]->enabled());
}

TEST_F(AddressTest, AReportForAnotherIndexIsStoredUnderItsOwnAndEndsAnAddressStepOnly) {
    f.ui.Text1[2]->setText("old");
    read();
    waitForFrames(2);
    ASSERT_TRUE(rig.clock.runUntil([&] { return f.ui.Timer[18]->enabled(); }, 100));
    silence(true);
    waitForFrames(3); // the request for index 2
    rig.box.inject(rig.clock.nowUs(), {35, 0, 16, 146, 35 ^ 16 ^ 146});
    silence(false);
    ASSERT_TRUE(rig.clock.runUntil([&] { return f.ui.Text1[3]->text() == "4242"; }, 100));
    EXPECT_TRUE(f.ui.Text1[3]->enabled());
    EXPECT_EQ(f.x.addressIndex, 3);
    ASSERT_TRUE(rig.runUntilOperationEnds(1000));
    EXPECT_EQ(rig.message(), " Adressage termin\xC3\xA9 : 9 adresse(s) lue(s) sur 10, non lue(s) : 3");
    const auto sent = rig.framesToBox();
    ASSERT_EQ(sent.size(), 10u);
    EXPECT_EQ(sent[3], Request(19, 300)); // index 3 read again
    EXPECT_EQ(f.ui.Text1[3]->text(), "44");
    EXPECT_EQ(f.ui.Text1[2]->text(), "old");
    EXPECT_FALSE(f.ui.Text1[2]->enabled());
    EXPECT_EQ(CheckAddressReadInvariant(f, rig.box), "");

    // A late report during a parameter read is no answer to it.
    f.ui.Text3->setText("999");
    f.ui.Command[7]->userClick();
    waitForFrames(11);
    rig.box.inject(rig.clock.nowUs(), {35, 0, 16, 146, 35 ^ 16 ^ 146});
    ASSERT_TRUE(rig.clock.runUntil([&] { return f.x.tryCount == 1; }, 100));
    EXPECT_EQ(f.x.operation, kReadGroup1);
    EXPECT_EQ(f.ui.Text1[3]->text(), "44");
}

TEST_F(AddressTest, TenWrongFramesMoveTheReadOnAndTheLongerIntervalStays) {
    f.ui.Text1[4]->setText("old");
    read();
    waitForFrames(4);
    ASSERT_TRUE(rig.clock.runUntil([&] { return f.ui.Timer[18]->enabled(); }, 100));
    silence(true);
    for (std::size_t i = 0; i < 10; ++i) {
        waitForFrames(5 + i);
        rig.box.inject(rig.clock.nowUs(), kWrongFrame);
        if (i < 9) {
            ASSERT_TRUE(rig.clock.runUntil([&] { return f.x.tryCount == static_cast<int>(i) + 1; }, 100));
            EXPECT_EQ(rig.message(), " " + std::to_string(i + 1) + "<8> 5<9>");
            EXPECT_EQ(f.ui.Timer[18]->interval(), 10 + 5 * f.x.tryCount);
        }
    }
    silence(false);
    ASSERT_TRUE(rig.runUntilOperationEnds(2000));
    EXPECT_EQ(rig.message(), " Adressage termin\xC3\xA9 : 9 adresse(s) lue(s) sur 10, non lue(s) : 5");
    EXPECT_EQ(f.ui.Text1[4]->text(), "old");
    EXPECT_FALSE(f.ui.Text1[4]->enabled());
    EXPECT_EQ(f.ui.Text1[5]->text(), "66");
    const auto& got = rig.box.framesReceived();
    ASSERT_EQ(got.size(), 19u);
    for (std::size_t i = 4; i < 14; ++i) EXPECT_EQ(got[i].bytes, Request(20, 300));
    EXPECT_EQ(got[14].bytes, Request(21, 300));
    // Polling tick, the retry after 10 + 5 x tries ms, four pauses.
    for (int tries = 1; tries <= 9; ++tries)
        EXPECT_EQ(got[4 + tries].tUs - got[3 + tries].tUs, 24'000 + 5'000 * tries) << tries;
    // The next addresses are read 55 ms after each reply.
    EXPECT_EQ(got[14].tUs - got[13].tUs, 69'000);
    EXPECT_EQ(got[15].tUs - got[14].tUs, 69'000);
}

TEST_F(AddressTest, CopiedAddressesThatAllAgreeAreReadOnceAndRewrittenFrom1To9) {
    f.ui.Text1[0]->setText("2000000");
    f.ui.Command[3]->userClick();
    EXPECT_EQ(f.ui.Text2[0]->text(), "2000000"); // copied as shown, refused when sent
    EXPECT_TRUE(rig.framesToBox().empty());

    read();
    ASSERT_TRUE(rig.runUntilOperationEnds(1000));
    f.ui.Command[3]->userClick();
    for (std::size_t i = 0; i < 10; ++i) EXPECT_EQ(f.ui.Text2[i]->text(), f.ui.Text1[i]->text());
    f.ui.Command[5]->userClick();
    ASSERT_TRUE(rig.runUntilOperationEnds(2000));
    EXPECT_EQ(rig.message(), rig.line(18));
    expectWindowBack();
    const auto all = rig.framesToBox();
    const std::vector<Frame5> sent(all.begin() + 10, all.end());
    ASSERT_EQ(sent.size(), 19u);
    EXPECT_EQ(sent[0], Request(16, 300));
    for (int i = 1; i <= 9; ++i) {
        EXPECT_EQ(sent[static_cast<std::size_t>(2 * i - 1)],
                  Request(48 + i, kAddresses300[static_cast<std::size_t>(i)]));
        EXPECT_EQ(sent[static_cast<std::size_t>(2 * i)], Request(16 + i, 300));
    }
    EXPECT_EQ(held(), kAddresses300);
    EXPECT_EQ(CheckAddressSendInvariant(f, rig.box), "");
}

TEST_F(AddressTest, ARefusedWriteIsWrittenAgainAndAnEmptyBoxIsSentAs0) {
    auto wanted = Texts(kAddresses300);
    wanted[0] = "5";
    wanted[3] = "";
    wanted[6] = "600000";
    rig.box.refuseAddressWrites(6, 2);
    send(wanted);
    ASSERT_TRUE(rig.runUntilOperationEnds(3000));
    EXPECT_EQ(rig.message(), rig.line(18));
    EXPECT_EQ(count(48), 1);
    EXPECT_EQ(count(16), 2); // read first, then read back
    EXPECT_EQ(count(54), 3);
    EXPECT_EQ(count(22), 3);
    EXPECT_EQ(count(51), 1);
    for (const Frame5& fr : rig.framesToBox()) {
        if (fr[0] == 51) {
            EXPECT_EQ(fr, Request(51, 0));
        }
    }
    EXPECT_EQ(held()[0], 5u);
    EXPECT_EQ(held()[3], 0u);
    EXPECT_EQ(held()[6], 600000u);
    EXPECT_EQ(f.ui.Text1[3]->text(), "0");
    EXPECT_EQ(CheckAddressSendInvariant(f, rig.box), "");
}

TEST_F(AddressTest, AnAddressThatNeverAgreesIsGivenUpAfterTenWritesNamingIt) {
    auto wanted = Texts(kAddresses300);
    wanted[3] = "4000";
    rig.box.refuseAddressWrites(3, 1000);
    send(wanted);
    ASSERT_TRUE(rig.runUntilOperationEnds(5000));
    EXPECT_EQ(count(51), 10);
    // Three addresses went out before: the detector holds some new values.
    EXPECT_EQ(rig.message(), rig.line(52) + " 4" + rig.line(54));
    expectWindowBack();
}

// A box that shows the text of an earlier read is no report of what the
// detector holds: address 0 is written, not skipped, when its read ran out
// of tries.
TEST_F(AddressTest, AnAddressWithoutAFreshReportIsNeverTakenAsAgreeing) {
    f.ui.Text1[0]->setText("7");
    auto wanted = Texts(kAddresses300);
    wanted[0] = "7";
    silence(true);
    send(wanted);
    for (std::size_t i = 1; i <= 10; ++i) {
        waitForFrames(i);
        rig.box.inject(rig.clock.nowUs(), kWrongFrame);
    }
    silence(false);
    ASSERT_TRUE(rig.runUntilOperationEnds(3000));
    EXPECT_EQ(rig.framesToBox()[10], Request(48, 7));
    EXPECT_EQ(held()[0], 7u);
    EXPECT_EQ(rig.message(), rig.line(18));
    EXPECT_EQ(CheckAddressSendInvariant(f, rig.box), "");
}

TEST_F(AddressTest, Command4DoesNothingDuringAReadAndStopsAnythingElseFirst) {
    read();
    waitForFrames(3);
    const int index = f.x.addressIndex;
    f.ui.Command[4]->click(); // as the handler would run, the button being disabled
    EXPECT_EQ(f.x.addressIndex, index);
    ASSERT_TRUE(rig.runUntilOperationEnds(1000));
    EXPECT_EQ(frames(), 10u);

    // A parameter read that ran out of tries leaves operation 7 and its
    // session open; the stop routine ends both before the box check.
    f.ui.Text3->setText("999");
    f.ui.Command[7]->userClick();
    for (std::size_t i = 11; i <= 20; ++i) {
        waitForFrames(i);
        rig.box.inject(rig.clock.nowUs(), kWrongFrame);
    }
    ASSERT_TRUE(rig.clock.runUntil([&] { return rig.buttonsEnabled(); }, 500));
    ASSERT_EQ(f.x.operation, kReadGroup1);
    ASSERT_TRUE(rig.driver.isOpen());
    f.ui.Text3->setText("300");
    const std::size_t logged = f.ui.LoggerList->items().size();
    f.ui.Command[4]->userClick();
    const auto& log = f.ui.LoggerList->items();
    ASSERT_GT(log.size(), logged + 2);
    EXPECT_EQ(log[logged], "Closed OK");
    EXPECT_EQ(log[logged + 1], "Open OK");
    ASSERT_TRUE(rig.runUntilOperationEnds(1000));
    EXPECT_EQ(rig.message(), rig.line(18));
    EXPECT_EQ(frames(), 30u);
    expectWindowBack();
}

TEST_F(AddressTest, TheStopKeyEndsASendWithin100Milliseconds) {
    auto wanted = Texts(kAddresses300);
    for (auto& w : wanted) w = std::to_string(std::stol(w) / 2);
    send(wanted);
    waitForFrames(6);
    Form_KeyDown(f, 27);
    rig.clock.advanceMs(100);
    EXPECT_EQ(rig.message(), " STOP" + rig.line(54));
    EXPECT_EQ(f.x.operation, kIdle);
    EXPECT_TRUE(rig.buttonsEnabled());
    for (ModelTimer* t : f.ui.timers()) EXPECT_FALSE(t->enabled()) << t->name();
    EXPECT_FALSE(rig.driver.isOpen());
    const std::size_t sent = frames();
    rig.clock.advanceMs(5000);
    EXPECT_EQ(frames(), sent);
}

// An address edited into a fraction while the send runs stops it there.
TEST_F(AddressTest, AnAddressEditedIntoAFractionStopsTheSendAtIt) {
    auto wanted = Texts(kAddresses300);
    wanted[4] = "55";
    send(wanted);
    waitForFrames(4);
    f.ui.Text2[9]->setText("7.5");
    ASSERT_TRUE(rig.runUntilOperationEnds(3000));
    EXPECT_EQ(rig.message(), "<42> 10" + rig.line(54));
    EXPECT_EQ(count(57), 0);
    expectWindowBack();
}
