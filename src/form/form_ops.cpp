#include "form/form_ops.h"

#include "core/roles.h"
#include "protocol/number.h"

#include <algorithm>

namespace quelm {

std::string Str(long long n) {
    std::string s = std::to_string(n);
    if (n >= 0) s.insert(s.begin(), ' ');
    return s;
}

std::string NumberText(double n) { return GeneralText(n, 15); }

void SetMessage(Form& f, MessageLine k, const std::string& text) {
    f.x.shownLine = k;
    f.ui.Text5->setText(text);
}

void ShowMessage(Form& f, MessageLine k, const std::string& text) {
    SetMessage(f, k, text);
    f.ui.Text5->repaint();
}

void ShowMessage(Form& f, const std::string& text) { ShowMessage(f, noLine, text); }

void SetMessageLine(Form& f, MessageLine k) { SetMessage(f, k, f.tables.messageLine(k)); }

void ShowMessageLine(Form& f, MessageLine k) { ShowMessage(f, k, f.tables.messageLine(k)); }

std::string CountedLine(const Form& f, long long count, MessageLine k) { return Str(count) + f.tables.messageLine(k); }

void ShowCountedLine(Form& f, long long count, MessageLine k) { ShowMessage(f, k, CountedLine(f, count, k)); }

void ShowLineWith(Form& f, MessageLine k, Said builtIn, const std::string& detail) {
    ShowMessage(f, k, MessageLineOr(f, k, builtIn) + detail);
}

bool SaysNoBox(const Form& f) {
    return f.x.shownLine == noBox || f.x.shownLine == severalBoxes || !f.link.portError.empty();
}

std::string AddressTriesText(const Form& f) {
    return CountedLine(f, f.x.tryCount, addressTries) + Str(f.x.addressIndex + 1) +
           f.tables.messageLine(addressTriesEnd);
}

std::string MessageLineOr(const Form& f, MessageLine k, Said builtIn) {
    const std::string& line = f.tables.messageLine(k);
    if (!line.empty()) return line;
    return std::string(Text(builtIn, f.x.language));
}

void SetButtonsEnabled(Form& f, bool enabled) {
    using namespace button;
    for (std::size_t n : {copyAddresses, readAddresses, sendAddresses, programNumber, readParameters, sendParameters,
                          waitNumber, sendTestNumber})
        f.ui.Command[n]->setEnabled(enabled);
    if (enabled) GiveHeldBack(f);
}

void Enable(std::initializer_list<Control*> controls) {
    for (Control* c : controls) c->setEnabled(true);
}

void EnableOptions(Form& f, int first, int last) {
    for (int n = first; n <= last; ++n) f.ui.Option[static_cast<std::size_t>(n)]->setEnabled(true);
}

void HoldControl(Form& f, Control* c) {
    c->setEnabled(false);
    if (std::find(f.x.held.begin(), f.x.held.end(), c) == f.x.held.end()) f.x.held.push_back(c);
}

void HoldUntilRead(Form& f, Control* c) {
    HoldControl(f, c);
    if (std::find(f.x.unread.begin(), f.x.unread.end(), c) == f.x.unread.end()) f.x.unread.push_back(c);
}

void GiveHeldBack(Form& f) {
    const auto unread = [&f](const Control* c) {
        return !c->enabled() && std::find(f.x.unread.begin(), f.x.unread.end(), c) != f.x.unread.end();
    };
    for (Control* c : f.x.held)
        if (!unread(c)) c->setEnabled(true);
    f.x.held.clear();
    f.x.unread.clear();
}

void SayValuesUncertain(Form& f) {
    if (f.x.writesOut == 0) return;
    f.x.writesOut = 0;
    const MessageLine shown = f.x.shownLine;
    ShowMessage(f, shown, f.ui.Text5->text() + MessageLineOr(f, valuesUncertain, Said::ValuesUncertain));
}

bool ExchangeRunning(const Form& f) {
    for (const ModelTimer* t : f.ui.timers())
        if (t->enabled() && t != f.ui.Timer[timer::connectionListen] && t != f.ui.Timer[timer::stopWatch] &&
            t != f.ui.Timer[timer::connectionResend])
            return true;
    return false;
}

bool ConnectionTestRunning(const Form& f) {
    return f.ui.Timer[timer::connectionListen]->enabled() || f.ui.Timer[timer::connectionResend]->enabled();
}

} // namespace quelm
