#include "simulator/operations.h"
#include "simulator/file_operations.h"
#include "simulator/site_operations.h"

#include "protocol/number.h"
#include "shell/language_files.h"

namespace quelm::simulator {

namespace {

// The numbers a technician types: the box's detectors, one it does not
// hold, an empty box (detector 0) and text that is not a number.
const char* const kNumbers[] = {"300", "12", "1048574", "299", "", "0300"};

std::string Describe(const DetectorParameters& p) {
    std::string s;
    for (const auto& o : {p.channel, p.dynamicTime, p.outputPower, p.riseTime, p.fallTime, p.commandType})
        s += o ? std::to_string(*o) + " " : "- ";
    return s + p.levelOnPlus + " " + p.levelDynPlus + " " + p.levelDynMinus;
}

std::string Pick(World& w) { return kNumbers[w.rng.below(std::size(kNumbers))]; }

class ReadParams final : public Operation {
public:
    std::string start(World& w) override {
        number_ = Pick(w);
        w.form.ui.Text3->setText(number_);
        before_ = w.box.config().detectors;
        w.form.ui.Command[7]->click();
        return "read parameters of \"" + number_ + "\"";
    }
    void verify(World& w) override {
        if (w.message() != w.line(17) || w.forgedFrameTaken || w.staleFrameTaken) return;
        const sim::Detector* d = w.box.detector(static_cast<std::uint32_t>(NumericValue(w.form.ui.Text3->text())));
        if (!d) return w.fail("a read reported done for a detector the box does not hold");
        // A damaged request can land on a write command, whose last byte is
        // its value, not a check byte: the detector then changed under the
        // read, and each group shows what it held when it was read.
        if (ShownFor(*d) != ShownFor(before_[static_cast<std::size_t>(d - w.box.config().detectors.data())])) return;
        if (ParametersShown(w.form) != ShownFor(*d))
            w.fail("a read reported done but shows " + Describe(ParametersShown(w.form)) + ", the detector holds " +
                   Describe(ShownFor(*d)));
    }

private:
    std::string number_;
    std::vector<sim::Detector> before_;
};

class SetChannel final : public Operation {
public:
    std::string start(World& w) override {
        channel_ = w.rng.chance(0.5) ? 3 : 4;
        w.form.ui.Option[channel_ == 3 ? 1 : 2]->select();
        return std::string("box channel ") + (channel_ == 3 ? "A" : "B");
    }
    void verify(World& w) override {
        if (w.hostFaults || w.message() != w.line(3) || w.form.link.lastStatus != kOk) return;
        if (w.box.channel() != channel_ && w.form.ui.Option[channel_ == 3 ? 1 : 2]->value())
            w.fail("the window shows a box channel the box does not have");
    }

private:
    int channel_ = 3;
};

class TestNumber final : public Operation {
public:
    std::string start(World& w) override {
        number_ = Pick(w);
        w.form.ui.Text7->setText(number_);
        sentBefore_ = w.box.framesReceivedTotal();
        w.form.ui.Command[13]->click();
        return "test number \"" + number_ + "\"";
    }
    void verify(World& w) override {
        if (w.hostFaults || !w.buttonsEnabled() || w.form.link.lastStatus != kOk) return;
        if (w.box.framesReceivedTotal() == sentBefore_) return; // no box, or refused before sending
        const Frame wanted = EncodeNumberFrame(code::kTestNumber, NumericValue(w.form.ui.Text7->text()));
        if (FromWire(w.box.framesReceived().back().bytes) != wanted) w.fail("the box did not get the test number");
    }
    bool stoppable() const override { return false; }

private:
    std::string number_;
    std::uint64_t sentBefore_ = 0;
};

class ChangeLanguage final : public Operation {
public:
    std::string start(World& w) override {
        code_ = w.rng.chance(0.5) ? 1 : 2;
        (code_ == 1 ? w.form.ui.French : w.form.ui.English)->click();
        return code_ == 1 ? "Langue > Français" : "Language > English";
    }
    void verify(World& w) override {
        int kept = 0;
        std::string error;
        if (!ReadLanguageCode(w.form.workDir / kSettingsFile, kept, error))
            return w.fail("settings file lost: " + error);
        if (kept != code_ || w.form.x.language != code_) w.fail("the language chosen is not the one kept");
    }

private:
    int code_ = 1;
};

// "Attendre N°": the start-up again, listening for a detector's number.
class WaitNumber final : public Operation {
public:
    std::string start(World& w) override {
        before_ = w.form.ui.Text3->text();
        w.form.ui.Command[9]->click();
        return "wait for a number";
    }
    void verify(World& w) override {
        const std::string& shown = w.form.ui.Text3->text();
        // The start-up empties the box; only a reported number fills it.
        if (shown.empty() || shown == before_ || w.forgedFrameTaken || w.staleFrameTaken) return;
        const auto reported = w.box.config().reportNumber;
        if (!reported || shown != std::to_string(*reported)) w.fail("a number no detector reported: " + shown);
    }

private:
    std::string before_;
};

template <class T>
std::unique_ptr<Operation> Make() {
    return std::make_unique<T>();
}

} // namespace

const std::vector<OperationKind>& Operations() {
    static const std::vector<OperationKind> kinds{
        {"read-params", 6, &Make<ReadParams>},     {"channel", 2, &Make<SetChannel>},
        {"test-number", 2, &Make<TestNumber>},     {"language", 1, &Make<ChangeLanguage>},
        {"wait-number", 1, &Make<WaitNumber>},     {"send-params", 3, &MakeSendParams},
        {"program-number", 2, &MakeProgramNumber}, {"read-addresses", 2, &MakeReadAddresses},
        {"send-addresses", 2, &MakeSendAddresses}, {"save-file", 1, &MakeSaveFile},
        {"open-file", 1, &MakeOpenFile},           {"site-survey", 1, &MakeSiteSurvey},
        {"site-apply", 1, &MakeSiteApply},         {"site-audit", 1, &MakeSiteAudit},
    };
    return kinds;
}

} // namespace quelm::simulator
