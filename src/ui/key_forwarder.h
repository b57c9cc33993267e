#pragma once
// Lets the window see every key before the focused control: an application
// event filter that reports each key press reaching a widget of the window
// once, as a virtual key code and, when it types a character, as the
// character's code. The event then goes on to the focused control. Keys are
// reported only while the window asks to see them first (`sees`).
#include <QObject>
#include <QPointer>
#include <functional>

class QKeyEvent;
class QWidget;

namespace quelm::ui {

// The key's virtual key code (the codes of the Windows keyboard API: 'A' is
// 65, Return 13, F1 112), whatever the platform; 0 for a key with none.
int virtualKeyCode(const QKeyEvent& event);

class KeyForwarder : public QObject {
public:
    KeyForwarder(QWidget* window, std::function<bool()> sees, std::function<void(int)> keyDown,
                 std::function<void(int)> keyPress);
    ~KeyForwarder() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // A key event not accepted by its receiver is sent on to the parent
    // widgets; the filter sees it again each time and must not count it twice.
    bool seenBefore(const QKeyEvent& event, QWidget* receiver);

    QWidget* window_;
    std::function<bool()> sees_;
    std::function<void(int)> keyDown_;
    std::function<void(int)> keyPress_;
    const QKeyEvent* lastEvent_ = nullptr;
    unsigned long long lastTimestamp_ = 0;
    QPointer<QWidget> lastReceiver_;
};

} // namespace quelm::ui
