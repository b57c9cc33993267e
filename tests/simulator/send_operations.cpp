// Sending parameters and programming a number, as simulator operations: the
// user changes what the window shows, or types an old and a new number, and
// clicks; what the window then reports done must be what the box holds.
#include "simulator/operations.h"
#include "support/address_invariants.h"
#include "support/send_invariants.h"

#include "protocol/codec.h"
#include "protocol/number.h"

#include <algorithm>

namespace quelm::simulator {

namespace {

const char* const kDetectors[] = {"300", "12", "1048574", "299"};
const char* const kNewNumbers[] = {"301", "12", "300", "500", "1048574", "1048575"};
const char* const kLevels[] = {"0", "25", "60", "80", "100", "50.5"};

template <std::size_t N>
const char* Pick(World& w, const char* const (&list)[N]) {
    return list[w.rng.below(N)];
}

// Any choice in each group, as a user clicks, and any level.
void ChangeParameters(World& w) {
    const std::pair<int, int> groups[] = {{3, 4}, {5, 10}, {11, 13}, {14, 20}, {21, 27}, {28, 29}};
    for (const auto& [first, last] : groups) {
        if (w.rng.chance(0.5)) continue;
        const auto n = static_cast<std::size_t>(w.rng.between(first, last));
        w.form.ui.Option[n]->select();
    }
    for (TextBox* level : {w.form.ui.Text8, w.form.ui.Text9, w.form.ui.Text10})
        if (w.rng.chance(0.3)) level->setText(Pick(w, kLevels));
}

// A write a send may make: the choice or level of a group that showed one
// when the user clicked (to whatever detector). A group that showed no
// choice is never written.
bool Chosen(const DetectorParameters& p, const Frame& write) {
    if ((write[1] < 68 || write[1] > 73) && (write[1] < 80 || write[1] > 90)) return true; // no write
    const auto is = [&write](Parameter what, std::optional<int> value) {
        return value && EncodeWriteCommand(what, *value, double(FrameNumber(write))) == write;
    };
    const auto level = [](const std::string& text) { return std::optional(LevelByte(NumericValue(text))); };
    const auto power = p.outputPower ? std::optional(2 - *p.outputPower) : std::nullopt; // codes run max to min
    using enum Parameter;
    return is(channel, p.channel) || is(dynamicTime, p.dynamicTime) || is(outputPower, power) ||
           is(riseTime, p.riseTime) || is(fallTime, p.fallTime) || is(commandType, p.commandType) ||
           is(levelOnPlus, level(p.levelOnPlus)) || is(levelDynPlus, level(p.levelDynPlus)) ||
           is(levelDynMinus, level(p.levelDynMinus));
}

class SendParams final : public Operation {
public:
    std::string start(World& w) override {
        w.form.ui.Text3->setText(Pick(w, kDetectors));
        ChangeParameters(w);
        shown_ = ParametersShown(w.form);
        framesBefore_ = w.box.framesReceivedTotal();
        w.form.ui.Command[8]->click();
        return "send parameters to \"" + w.form.ui.Text3->text() + "\"";
    }
    void verify(World& w) override {
        if (w.hostFaults) return;
        // Whatever the answers, every write carries what the user saw.
        const auto& frames = w.box.framesReceived();
        const auto sent = std::min<std::uint64_t>(w.box.framesReceivedTotal() - framesBefore_, frames.size());
        for (auto r = frames.end() - static_cast<std::ptrdiff_t>(sent); r != frames.end(); ++r)
            if (!Chosen(shown_, FromWire(r->bytes)))
                return w.fail("a write nobody chose: " + DescribeFrame(FromWire(r->bytes), true));
        if (w.forgedFrameTaken || w.staleFrameTaken) return;
        const std::string wrong = test::CheckSendEnded(w.form, w.box);
        if (!wrong.empty()) w.fail(wrong);
    }

private:
    DetectorParameters shown_;
    std::uint64_t framesBefore_ = 0;
};

class ProgramNumber final : public Operation {
public:
    std::string start(World& w) override {
        w.form.ui.Text3->setText(Pick(w, kDetectors));
        w.form.ui.Text4->setText(Pick(w, kNewNumbers));
        old_ = static_cast<std::uint32_t>(NumericValue(w.form.ui.Text3->text()));
        new_ = static_cast<std::uint32_t>(NumericValue(w.form.ui.Text4->text()));
        w.form.ui.Command[6]->click();
        return "program \"" + w.form.ui.Text3->text() + "\" as \"" + w.form.ui.Text4->text() + "\"";
    }
    void verify(World& w) override {
        if (w.hostFaults || w.forgedFrameTaken || w.staleFrameTaken || old_ == new_) return;
        const std::string wrong = test::CheckProgrammingEnded(w.form, w.box, old_, new_);
        if (!wrong.empty()) w.fail(wrong);
    }

private:
    std::uint32_t old_ = 0, new_ = 0;
};

// "Lire les adresses": the window must show what the detector holds.
class ReadAddresses final : public Operation {
public:
    std::string start(World& w) override {
        w.form.ui.Text3->setText(Pick(w, kDetectors));
        w.form.ui.Command[4]->click();
        return "read addresses of \"" + w.form.ui.Text3->text() + "\"";
    }
    void verify(World& w) override {
        if (w.hostFaults || w.forgedFrameTaken || w.staleFrameTaken) return;
        const std::string wrong = test::CheckAddressReadInvariant(w.form, w.box);
        if (!wrong.empty()) w.fail(wrong);
    }
};

// "Envoyer les adresses", sometimes after the arrow copied the read ones
// across, with any of them changed (a fraction or a sign now and then).
class SendAddresses final : public Operation {
public:
    std::string start(World& w) override {
        static const char* const kAddresses[] = {"0", "11", "1001", "1048574", "1048575", "", "12.5", "-3"};
        w.form.ui.Text3->setText(Pick(w, kDetectors));
        if (w.rng.chance(0.5)) w.form.ui.Command[3]->click();
        for (TextBox* box : w.form.ui.Text2)
            if (w.rng.chance(0.3)) box->setText(Pick(w, kAddresses));
        w.form.ui.Command[5]->click();
        return "send addresses to \"" + w.form.ui.Text3->text() + "\"";
    }
    void verify(World& w) override {
        if (w.hostFaults || w.forgedFrameTaken || w.staleFrameTaken) return;
        const std::string wrong = test::CheckAddressSendInvariant(w.form, w.box);
        if (!wrong.empty()) w.fail(wrong);
    }
};

} // namespace

std::unique_ptr<Operation> MakeReadAddresses() { return std::make_unique<ReadAddresses>(); }
std::unique_ptr<Operation> MakeSendAddresses() { return std::make_unique<SendAddresses>(); }
std::unique_ptr<Operation> MakeSendParams() { return std::make_unique<SendParams>(); }
std::unique_ptr<Operation> MakeProgramNumber() { return std::make_unique<ProgramNumber>(); }

} // namespace quelm::simulator
