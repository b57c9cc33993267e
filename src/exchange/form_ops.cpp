#include "exchange/form_ops.h"

#include "protocol/number.h"

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

std::string BoxLineOr(const Form& f, int k, const char* french, const char* english) {
    const std::string& line = f.tables.boxLine(k);
    if (!line.empty()) return line;
    return f.x.language == 2 ? english : french;
}

void ShowBoxLine(Form& f, int k) { ShowMessage(f, f.tables.boxLine(k)); }

void SetButtonsEnabled(Form& f, bool enabled) {
    for (int n : {3, 4, 5, 6, 7, 8, 9, 13}) f.ui.Command[n]->setEnabled(enabled);
}

bool ExchangeRunning(const Form& f) {
    for (const ModelTimer* t : f.ui.timers())
        if (t->enabled() && t != f.ui.Timer[1] && t != f.ui.Timer[3] && t != f.ui.Timer[4]) return true;
    return false;
}

bool ConnectionTestRunning(const Form& f) { return f.ui.Timer[1]->enabled() || f.ui.Timer[4]->enabled(); }

} // namespace quelm
