#include "site/operation_runner.h"

#include "box/connection_test.h"
#include "core/roles.h"
#include "form/form_ops.h"
#include "form/number_boxes.h"
#include "link/session.h"
#include "shell/keyboard.h"

#include <algorithm>
#include <cmath>

namespace quelm {

namespace {

constexpr int kEscape = 27;
// The stop watch acts within 100 ms; should nothing be watching, the caller
// is not kept waiting either.
constexpr std::int64_t kStopGraceMs = 1000;
// A result keeps at most this many message lines of one operation.
constexpr std::size_t kMessagesKept = 200;

// Sees every message of the line while the operation runs, after whatever
// else watches the window (the view), which gets its notice first.
class MessageWatch {
public:
    explicit MessageWatch(Form& f) : f_(f), previous_(f.ui.observer) {
        f_.ui.observer = [this](Control& c, Change change) {
            if (previous_) previous_(c, change);
            if (&c != f_.ui.Text5 || change != Change::Text) return;
            if (lines.empty() || lines.back() != f_.x.shownLine) lines.push_back(f_.x.shownLine);
            if (lines.size() > kMessagesKept) lines.erase(lines.begin() + 1);
        };
    }
    ~MessageWatch() { f_.ui.observer = previous_; }
    MessageWatch(const MessageWatch&) = delete;
    MessageWatch& operator=(const MessageWatch&) = delete;
    std::vector<MessageLine> lines;

private:
    Form& f_;
    std::function<void(Control&, Change)> previous_;
};

void Judge(const Form& f, OperationResult& r, MessageLine doneLine) {
    r.line = f.x.shownLine;
    r.message = f.ui.Text5->text();
    r.answered = r.saw(group1Read) || r.saw(group2Read);
    // An operation that ended on its own while the stop key was acting is
    // done all the same: `cut` says that a stop came.
    if (r.started && r.line == doneLine)
        r.end = OperationEnd::done;
    else if (SaysNoBox(f))
        r.end = OperationEnd::noBox;
    else if (r.cut == Cut::stop)
        r.end = OperationEnd::stopped;
    else if (r.cut == Cut::limit)
        r.end = OperationEnd::timedOut;
    else
        r.end = OperationEnd::failed;
}

// A read of the parameters that ended in failure before any group came
// back: the detector never answered. A read refused for its number never
// asked it, and stays a failure that says why.
OperationResult& NoGroupIsNoAnswer(OperationResult& r) {
    if (r.end == OperationEnd::failed && !r.answered && !IsNumberBoxRefusal(r.line)) r.end = OperationEnd::noAnswer;
    return r;
}

} // namespace

bool OperationResult::saw(MessageLine l) const { return std::find(lines.begin(), lines.end(), l) != lines.end(); }

const WriteJournal::Write* OperationResult::newNumber() const {
    for (const WriteJournal::Write& w : writes)
        if (w.target == 20) return &w;
    return nullptr;
}

std::string NotReadText(const std::vector<int>& notRead) {
    std::string list;
    for (int k : notRead) list += ' ' + std::to_string(k);
    return list;
}

void PressStopKey(Form& f) {
    Form_KeyDown(f, kEscape);
    f.clock.runUntil([&f] { return !ExchangeRunning(f) && !ConnectionTestRunning(f); }, kStopGraceMs);
}

OperationResult JudgeOperation(const Form& f, Cut cut, MessageLine doneLine) {
    OperationResult r;
    r.cut = cut;
    r.started = true;
    Judge(f, r, doneLine);
    return r;
}

OperationResult OperationRunner::run(const std::function<void()>& start, MessageLine doneLine, std::int64_t limitMs) {
    OperationResult r;
    // A stop asked before the start starts nothing.
    if (stopAsked_()) {
        r.cut = Cut::stop;
        Judge(f_, r, doneLine);
        return r;
    }
    MessageWatch watch(f_);
    SetMessage(f_, noLine, "");
    r.started = true;
    start();
    const auto over = [this] { return !ExchangeRunning(f_); };
    bool asked = false;
    const bool ended =
        f_.clock.runUntil([&] { return over() || (asked = stopAsked_()); }, std::max<std::int64_t>(limitMs, 1));
    if (!ended || !over()) {
        r.cut = asked ? Cut::stop : Cut::limit;
        PressStopKey(f_);
    }
    r.lines = watch.lines;
    Judge(f_, r, doneLine);
    return r;
}

OperationResult OperationRunner::write(const std::function<void()>& start, MessageLine doneLine, std::int64_t limitMs) {
    const WriteJournal journal(f_);
    OperationResult r = run(start, doneLine, limitMs);
    r.writes = journal.writes();
    return r;
}

void OperationRunner::readAddressesShown(OperationResult& r) const {
    if (!r.done()) return;
    AddressList list;
    for (std::size_t k = 0; k < list.size(); ++k) {
        list[k] = f_.ui.Text1[k]->text();
        // An address never reported in ten frames stays disabled.
        if (!f_.ui.Text1[k]->enabled()) r.notRead.push_back(static_cast<int>(k) + 1);
    }
    r.addresses = list;
}

OperationResult OperationRunner::readParameters(const std::string& number, std::int64_t limitMs) {
    f_.ui.Text3->setText(number);
    OperationResult r = run([this] { f_.ui.Command[button::readParameters]->click(); }, parametersRead, limitMs);
    if (r.done()) r.parameters = ParametersHeld(f_);
    return NoGroupIsNoAnswer(r);
}

OperationResult OperationRunner::readAddresses(std::int64_t limitMs) {
    OperationResult r = run([this] { f_.ui.Command[button::readAddresses]->click(); }, addressesDone, limitMs);
    readAddressesShown(r);
    return r;
}

OperationResult OperationRunner::sendParameters(const std::vector<WantedParameter>& wanted, bool keepLevelsNotGiven,
                                                std::int64_t limitMs) {
    const HeldLevels held = LevelsHeld(f_);
    for (const WantedParameter& w : wanted) SelectWanted(f_, w);
    OperationResult r = write(
        [&] {
            f_.ui.Command[button::sendParameters]->click();
            if (keepLevelsNotGiven) KeepLevelsNotGiven(f_, wanted, held);
        },
        parametersSent, limitMs);
    if (r.done()) r.parameters = ParametersHeld(f_);
    r.passes = f_.x.sendPass;
    return r;
}

OperationResult OperationRunner::sendAddresses(const AddressList& wanted, std::int64_t limitMs) {
    for (std::size_t i = 0; i < wanted.size(); ++i) f_.ui.Text2[i]->setText(wanted[i]);
    OperationResult r = write([this] { f_.ui.Command[button::sendAddresses]->click(); }, addressesDone, limitMs);
    readAddressesShown(r);
    return r;
}

OperationResult OperationRunner::programNumber(const std::string& number, const std::string& newNumber,
                                               std::int64_t limitMs) {
    f_.ui.Text3->setText(number);
    f_.ui.Text4->setText(newNumber);
    OperationResult r = write([this] { f_.ui.Command[button::programNumber]->click(); }, numberProgrammed, limitMs);
    // The detector's answer to the programming shows its number in the box.
    if (r.done()) r.reportedNumber = f_.ui.Text3->text();
    return r;
}

// The connection test listens until a number comes, fifty attempts have
// gone or a key stops it; one test gives up well under a second, so tests
// follow one another until a number comes or the time runs out.
OperationResult OperationRunner::waitForNumber(std::int64_t limitUs) {
    OperationResult r;
    f_.ui.Text3->setText("");
    const std::int64_t endUs = f_.clock.nowUs() + limitUs;
    const auto over = [this] { return !ConnectionTestRunning(f_) && !ExchangeRunning(f_); };
    while (f_.ui.Text3->text().empty() && r.cut == Cut::none && !stopAsked_() && f_.clock.nowUs() < endUs) {
        r.started = true;
        if (LookForBox(f_) != 1) {
            r.line = f_.x.shownLine;
            r.message = f_.ui.Text5->text();
            // "Attendre N°" shows its own text while it looks for the box.
            r.end = SaysNoBox(f_) || r.line == connectionTestShown ? OperationEnd::noBox : OperationEnd::failed;
            return r;
        }
        StartConnectionTest(f_);
        const double seconds = static_cast<double>(endUs - f_.clock.nowUs()) / 1e6;
        bool asked = false;
        const bool ended = f_.clock.runUntil([&] { return over() || (asked = stopAsked_()); },
                                             static_cast<std::int64_t>(std::ceil(seconds * 1000)));
        if (ended && over()) continue;
        r.cut = asked ? Cut::stop : Cut::limit;
        PressStopKey(f_);
    }
    r.reportedNumber = f_.ui.Text3->text();
    r.line = f_.x.shownLine;
    r.message = f_.ui.Text5->text();
    // A number that came while the stop key acted still counts.
    if (!r.reportedNumber.empty()) {
        r.cut = Cut::none;
        r.end = OperationEnd::done;
    } else {
        if (r.cut == Cut::none) r.cut = stopAsked_() ? Cut::stop : Cut::limit;
        r.end = r.cut == Cut::stop ? OperationEnd::stopped : OperationEnd::timedOut;
    }
    return r;
}

} // namespace quelm
