// The view's small pieces apart from the window fixture: virtual key codes,
// the style's copied drawings, and the address buttons on the tool bound to
// its handlers.
#include "form/form.h"
#include "support/qt_app.h"
#include "support/test_rig.h"
#include "ui/key_forwarder.h"
#include "ui/main_view.h"
#include "ui/tool_style.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QStyleFactory>
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <vector>

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

QImage grabIn(QWidget& widget, QStyle* style) {
    widget.setStyle(style);
    return widget.grab().toImage();
}

// The tool's style copies option buttons and text box panels from a drawing
// made once per look: each look keeps its own drawing, and a copy matches
// the drawing the base style makes in place.
TEST(ToolStyle, CopiesOfADrawingMatchTheDrawingForEachLook) {
    std::unique_ptr<QStyle> tool(ui::makeToolStyle());
    std::unique_ptr<QStyle> base(QStyleFactory::create(QStringLiteral("Windows")));
    QRadioButton radio(QStringLiteral("Canal A"));
    radio.resize(90, 20);
    QLineEdit edit(QStringLiteral("300"));
    edit.resize(120, 25);
    const auto looks = [&](QWidget& w, auto&& change) {
        std::vector<QImage> shots;
        for (int i = 0; i < 2; ++i, change(w))
            for (int again = 0; again < 2; ++again) { // the second drawing comes from the copy
                const QImage copied = grabIn(w, tool.get());
                EXPECT_EQ(copied.size(), grabIn(w, base.get()).size());
                const QImage drawn = grabIn(w, base.get());
                int differing = 0;
                for (int y = 0; y < drawn.height(); ++y)
                    for (int x = 0; x < drawn.width(); ++x) {
                        const QRgb a = copied.pixel(x, y), b = drawn.pixel(x, y);
                        const int d = std::abs(qRed(a) - qRed(b)) + std::abs(qGreen(a) - qGreen(b)) +
                                      std::abs(qBlue(a) - qBlue(b));
                        differing += d > 12; // edge pixels may round differently when copied
                    }
                EXPECT_EQ(differing, 0);
                shots.push_back(copied);
            }
        EXPECT_EQ(shots[0], shots[1]);
        EXPECT_NE(shots[0], shots[2]); // another look is not served the first one's drawing
    };
    looks(radio, [](QWidget& w) { static_cast<QRadioButton&>(w).setChecked(true); });
    looks(edit, [](QWidget& w) { w.setEnabled(false); });
}

// The address buttons of the window, on the tool bound to its handlers and a
// simulated box: the view's clicks reach the handlers, and their results show.
TEST(ViewAddresses, TheAddressButtonsRunTheirHandlers) {
    test::Rig rig;
    rig.ready();
    Form& f = rig.form;
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
