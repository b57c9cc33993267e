#include "ui/key_forwarder.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QWidget>

namespace quelm::ui {

namespace {

int keypadCode(int key) {
    if (key >= Qt::Key_0 && key <= Qt::Key_9) return 0x60 + (key - Qt::Key_0);
    switch (key) {
    case Qt::Key_Asterisk: return 0x6A;
    case Qt::Key_Plus: return 0x6B;
    case Qt::Key_Minus: return 0x6D;
    case Qt::Key_Period: return 0x6E;
    case Qt::Key_Slash: return 0x6F;
    default: return 0;
    }
}

int namedKeyCode(int key) {
    if (key >= Qt::Key_F1 && key <= Qt::Key_F24) return 0x70 + (key - Qt::Key_F1);
    switch (key) {
    case Qt::Key_Backspace: return 0x08;
    case Qt::Key_Tab:
    case Qt::Key_Backtab: return 0x09;
    case Qt::Key_Clear: return 0x0C;
    case Qt::Key_Return:
    case Qt::Key_Enter: return 0x0D;
    case Qt::Key_Shift: return 0x10;
    case Qt::Key_Control: return 0x11;
    case Qt::Key_Alt:
    case Qt::Key_AltGr: return 0x12;
    case Qt::Key_Pause: return 0x13;
    case Qt::Key_CapsLock: return 0x14;
    case Qt::Key_Escape: return 0x1B;
    case Qt::Key_PageUp: return 0x21;
    case Qt::Key_PageDown: return 0x22;
    case Qt::Key_End: return 0x23;
    case Qt::Key_Home: return 0x24;
    case Qt::Key_Left: return 0x25;
    case Qt::Key_Up: return 0x26;
    case Qt::Key_Right: return 0x27;
    case Qt::Key_Down: return 0x28;
    case Qt::Key_Print: return 0x2C;
    case Qt::Key_Insert: return 0x2D;
    case Qt::Key_Delete: return 0x2E;
    case Qt::Key_Meta: return 0x5B;
    case Qt::Key_Menu: return 0x5D;
    case Qt::Key_NumLock: return 0x90;
    case Qt::Key_ScrollLock: return 0x91;
    case Qt::Key_Semicolon: return 0xBA;
    case Qt::Key_Equal:
    case Qt::Key_Plus: return 0xBB;
    case Qt::Key_Comma: return 0xBC;
    case Qt::Key_Minus: return 0xBD;
    case Qt::Key_Period: return 0xBE;
    case Qt::Key_Slash: return 0xBF;
    case Qt::Key_QuoteLeft: return 0xC0;
    case Qt::Key_BracketLeft: return 0xDB;
    case Qt::Key_Backslash: return 0xDC;
    case Qt::Key_BracketRight: return 0xDD;
    case Qt::Key_Apostrophe: return 0xDE;
    default: return 0;
    }
}

} // namespace

int virtualKeyCode(const QKeyEvent& event) {
    const int key = event.key();
    if (event.modifiers() & Qt::KeypadModifier)
        if (const int code = keypadCode(key)) return code;
    // Letters, digits and space have the same codes in both worlds.
    if ((key >= Qt::Key_A && key <= Qt::Key_Z) || (key >= Qt::Key_0 && key <= Qt::Key_9) || key == Qt::Key_Space)
        return key;
    if (const int code = namedKeyCode(key)) return code;
    // Other keys of a Latin keyboard (é, ç, ...) keep their Latin-1 code.
    return (key > 0 && key < 0x100) ? key : 0;
}

KeyForwarder::KeyForwarder(QWidget* window, std::function<bool()> sees, std::function<void(int)> keyDown,
                           std::function<void(int)> keyPress)
    : QObject(window), window_(window), sees_(std::move(sees)), keyDown_(std::move(keyDown)),
      keyPress_(std::move(keyPress)) {
    QCoreApplication::instance()->installEventFilter(this);
}

KeyForwarder::~KeyForwarder() {
    if (auto* app = QCoreApplication::instance()) app->removeEventFilter(this);
}

bool KeyForwarder::seenBefore(const QKeyEvent& event, QWidget* receiver) {
    const bool propagated = &event == lastEvent_ && event.timestamp() == lastTimestamp_ && lastReceiver_ &&
                            receiver->isAncestorOf(lastReceiver_);
    lastEvent_ = &event;
    lastTimestamp_ = event.timestamp();
    lastReceiver_ = receiver;
    return propagated;
}

bool KeyForwarder::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress || !watched->isWidgetType()) return false;
    auto* receiver = static_cast<QWidget*>(watched);
    if (receiver->window() != window_ || !(sees_ && sees_())) return false;
    const auto& key = static_cast<const QKeyEvent&>(*event);
    if (seenBefore(key, receiver)) return false;
    if (keyDown_) keyDown_(virtualKeyCode(key));
    if (!key.text().isEmpty() && keyPress_) keyPress_(key.text().at(0).unicode());
    return false;
}

} // namespace quelm::ui
