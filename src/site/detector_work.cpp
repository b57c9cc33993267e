#include "site/detector_work.h"

#include "core/roles.h"
#include "files/text_file.h"
#include "platform/path_text.h"
#include "project/project_actions.h"
#include "project/project_file.h"
#include "site/site_report.h"

namespace quelm {

std::string DetectorWork::say(const char* french, const char* english) const {
    return f_.x.language == 1 ? french : english;
}

bool DetectorWork::fail(DetectorState state, const std::string& why) {
    row_.state = state;
    row_.failure = why;
    return false;
}

bool DetectorWork::operate(SiteStep step, const std::function<void()>& start, MessageLine doneLine) {
    runner_.report(step);
    SiteRun& run = runner_.run;
    const double perSeconds = runner_.perDetectorSeconds;
    std::int64_t limitMs = static_cast<std::int64_t>(perSeconds * 1000);
    if (runner_.deadlineUs != 0) limitMs = std::min(limitMs, (runner_.deadlineUs - f_.clock.nowUs() + 999) / 1000);
    StepRun r = RunStep(f_, start, limitMs, [this] { return runner_.stopAsked(); });
    // The run's own time-out stops it as any other stop.
    if (r.cut != Cut::none && runner_.deadlineUs != 0 && f_.clock.nowUs() >= runner_.deadlineUs) {
        r.cut = Cut::stop;
        run.timedOut = true;
    }
    const bool first = step == SiteStep::readParameters && !row_.reached;
    const bool answered = !first || r.saw(group1Read) || r.saw(group2Read);
    const StepEnd end = JudgeStep(f_, r, doneLine, answered);
    if (step == SiteStep::readParameters && (answered || end == StepEnd::done)) row_.reached = true;
    const std::string message = f_.ui.Text5->text();
    const std::string seconds = SecondsText(perSeconds);
    const std::string within =
        say(" en ", " within ") + (seconds.ends_with(".00") ? seconds.substr(0, seconds.size() - 3) : seconds) + " s";
    switch (end) {
    case StepEnd::done: return true;
    case StepEnd::noBox: run.noBox = true; return fail(DetectorState::noBox, message);
    case StepEnd::stopped:
        run.stopped = run.stopped || !run.timedOut;
        return fail(DetectorState::stopped, say(run.timedOut ? "fin du temps accordé pendant : " : "arrêté pendant : ",
                                                run.timedOut ? "time-out while " : "stopped while ") +
                                                StepName(step, f_.x.language));
    case StepEnd::noAnswer:
        return fail(DetectorState::noAnswer,
                    r.cut == Cut::limit ? say("pas de réponse", "no answer") + within : message);
    default:
        return fail(DetectorState::failed, StepName(step, f_.x.language) + ": " +
                                               (r.cut == Cut::limit ? say("pas fini", "not over") + within : message));
    }
}

AddressList DetectorWork::addressesShown() const {
    AddressList list;
    for (std::size_t i = 0; i < 10; ++i) list[i] = f_.ui.Text1[i]->text();
    return list;
}

bool DetectorWork::readParameters() {
    f_.ui.Text3->setText(row_.detector);
    if (!operate(
            SiteStep::readParameters, [this] { f_.ui.Command[button::readParameters]->click(); }, parametersRead))
        return false;
    row_.read = ParametersShown(f_);
    return true;
}

bool DetectorWork::readAddresses() {
    if (!operate(
            SiteStep::readAddresses, [this] { f_.ui.Command[button::readAddresses]->click(); }, addressesDone))
        return false;
    // The read ends well even when an address never came in ten frames;
    // such an address stays disabled with the text it had.
    std::string missing;
    for (std::size_t k = 0; k < 10; ++k) {
        if (f_.ui.Text1[k]->enabled()) continue;
        missing += ' ';
        missing += std::to_string(k + 1);
    }
    if (!missing.empty())
        return fail(DetectorState::failed, say("adresse(s) non lue(s) :", "address(es) not read:") + missing);
    row_.addresses = addressesShown();
    return true;
}

bool DetectorWork::sendParameters(const std::vector<WantedParameter>& wanted) {
    for (const WantedParameter& w : wanted) SelectWanted(f_, w);
    const bool sent = operate(
        SiteStep::sendParameters, [this] { f_.ui.Command[button::sendParameters]->click(); }, parametersSent);
    if (!sent) return false;
    row_.read = ParametersShown(f_);
    const auto left = ParameterDifferences(*row_.read, wanted);
    if (left.empty()) return true;
    return fail(DetectorState::failed, say("non confirmé : ", "not confirmed: ") + DescribeDifferences(left));
}

bool DetectorWork::sendAddresses(const AddressList& wanted) {
    for (std::size_t i = 0; i < 10; ++i) f_.ui.Text2[i]->setText(wanted[i]);
    if (!operate(
            SiteStep::sendAddresses, [this] { f_.ui.Command[button::sendAddresses]->click(); }, addressesDone))
        return false;
    row_.addresses = addressesShown();
    const auto left = differences({}, wanted);
    for (std::size_t k = 0; k < 10; ++k)
        if (!f_.ui.Text1[k]->enabled()) row_.addresses.reset();
    if (row_.addresses && left.empty()) return true;
    return fail(DetectorState::failed, say("adresses non confirmées", "addresses not confirmed") +
                                           (left.empty() ? "" : ": " + DescribeDifferences(left)));
}

bool DetectorWork::programNumber(const std::string& newNumber) {
    f_.ui.Text3->setText(row_.detector);
    f_.ui.Text4->setText(newNumber);
    if (!operate(
            SiteStep::programNumber, [this] { f_.ui.Command[button::programNumber]->click(); }, numberProgrammed))
        return false;
    const std::string reported = f_.ui.Text3->text();
    if (reported != newNumber)
        return fail(DetectorState::failed, say("le détecteur a répondu ", "the detector answered with ") + reported);
    row_.newNumber = newNumber;
    return true;
}

bool DetectorWork::save(const std::filesystem::path& dir, bool withAddresses) {
    runner_.report(SiteStep::saveFile);
    ProjectRecord record = RecordFromWindow(f_);
    if (!withAddresses) record.addresses = {};
    const std::filesystem::path file = dir / (row_.detector + ".bdp");
    std::string error;
    // A link in the folder could send the write to any file: refused.
    if (!WriteFileAtomically(file, FormatProjectFile(record), error, Links::refuse))
        return fail(DetectorState::failed, error);
    row_.projectFile = platform::Utf8OfPath(file);
    return true;
}

std::vector<FieldDifference> DetectorWork::differences(const std::vector<WantedParameter>& parameters,
                                                       const std::optional<AddressList>& addresses) const {
    std::vector<FieldDifference> found;
    if (row_.read) found = ParameterDifferences(*row_.read, parameters);
    if (!addresses) return found;
    const AddressList shown = addressesShown();
    for (std::size_t k = 0; k < 10; ++k)
        if (shown[k] != (*addresses)[k])
            found.push_back({"address" + std::to_string(k + 1), shown[k], (*addresses)[k]});
    return found;
}

} // namespace quelm
