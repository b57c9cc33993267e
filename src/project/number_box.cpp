#include "project/number_box.h"

#include "core/roles.h"
#include "form/form_ops.h"
#include "protocol/codec.h"

namespace quelm {

void Text3_Change(Form& f) {
    if (f.ui.Text3->text().empty()) {
        f.ui.Text103->setText("*.bdp");
        return;
    }
    f.ui.Text103->setText(f.ui.Text3->text() + ".bdp");
    ShowMessage(f, "");
    // A number in the box ends a running connection test. The stop request
    // is for the test only: left behind, it would stop the operation that
    // wrote the number (the call of a programming, a send whose number was
    // changed) as if the user had pressed a key.
    if (!ConnectionTestRunning(f)) return;
    f.x.keyPressed = 1;
    f.ui.Timer[timer::connectionListen]->disable();
    f.ui.Timer[timer::connectionResend]->disable();
    f.x.attemptCount = kConnectionTestSends;
}

} // namespace quelm
