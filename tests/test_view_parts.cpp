// The view's small pieces apart from the window fixture: virtual key codes,
// and the address buttons on the tool bound to its handlers.
#include "exchange/form.h"
#include "support/qt_app.h"
#include "support/test_rig.h"
#include "ui/key_forwarder.h"
#include "ui/main_view.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <gtest/gtest.h>

namespace quelm {
namespace {

TEST(VirtualKeyCode, FollowsTheWindowsCodes) {
    auto code = [](int key, Qt::KeyboardModifiers mods = Qt::NoModifier) {
        return ui::virtualKeyCode(QKeyEvent(QEvent::KeyPress, key, mods));
    };
    EXPECT_EQ(code(Qt::Key_A), 65);
    EXPECT_EQ(code(Qt::Key_7), 55);
    EXPECT_EQ(code(Qt::Key_7, Qt::KeypadModifier), 0x67);
    EXPECT_EQ(code(Qt::Key_Left), 37);
    EXPECT_EQ(code(Qt::Key_Delete), 46);
    EXPECT_EQ(code(Qt::Key_F12), 123);
    EXPECT_EQ(code(Qt::Key_Shift), 16);
}

// The address buttons of the window, on the tool bound to its handlers and a
// simulated box: the view's clicks reach the handlers, and their results show.
TEST(ViewAddresses, TheAddressButtonsRunTheirHandlers) {
    test::Rig rig;
    rig.numberBoxTable();
    rig.selectDefaults();
    Form& f = rig.form;
    f.ui.Text3->setText("300");
    ui::MainView view(f);
    view.show();
    QApplication::processEvents();
    view.findChild<QPushButton*>("Command4")->click();
    EXPECT_EQ(f.x.operation, kReadAddresses);
    ASSERT_TRUE(rig.runUntilOperationEnds(1000));
    QApplication::processEvents();
    EXPECT_EQ(view.findChild<QLineEdit*>("Text1(9)")->text(), "1048574");
    view.findChild<QPushButton*>("Command3")->click();
    EXPECT_EQ(view.findChild<QLineEdit*>("Text2(9)")->text(), "1048574");
    view.findChild<QPushButton*>("Command5")->click();
    EXPECT_EQ(f.x.operation, kSendAddresses);
    ASSERT_TRUE(rig.runUntilOperationEnds(2000));
    EXPECT_EQ(rig.message(), rig.line(18));
}

} // namespace
} // namespace quelm
