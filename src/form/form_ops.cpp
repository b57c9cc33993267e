#include "form/form_ops.h"

#include "protocol/number.h"

#include <algorithm>

namespace quelm {

std::string Str(long long n) {
    std::string s = std::to_string(n);
    if (n >= 0) s.insert(s.begin(), ' ');
    return s;
}

std::string NumberText(double n) { return GeneralText(n, 15); }

void ShowMessage(Form& f, const std::string& text) {
    f.ui.Text5->setText(text);
    f.ui.Text5->repaint();
}

std::string BoxLineOr(const Form& f, int k, Said builtIn) {
    const std::string& line = f.tables.boxLine(k);
    if (!line.empty()) return line;
    return std::string(Text(builtIn, f.x.language));
}

void ShowBoxLine(Form& f, int k) { ShowMessage(f, f.tables.boxLine(k)); }

void SetButtonsEnabled(Form& f, bool enabled) {
    for (int n : {3, 4, 5, 6, 7, 8, 9, 13}) f.ui.Command[n]->setEnabled(enabled);
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

void GiveHeldBack(Form& f) {
    for (Control* c : f.x.held) c->setEnabled(true);
    f.x.held.clear();
}

void KeepHeldDisabled(Form& f) {
    std::erase_if(f.x.held, [](const Control* c) { return !c->enabled(); });
}

bool ExchangeRunning(const Form& f) {
    for (const ModelTimer* t : f.ui.timers())
        if (t->enabled() && t != f.ui.Timer[1] && t != f.ui.Timer[3] && t != f.ui.Timer[4]) return true;
    return false;
}

bool ConnectionTestRunning(const Form& f) { return f.ui.Timer[1]->enabled() || f.ui.Timer[4]->enabled(); }

} // namespace quelm
