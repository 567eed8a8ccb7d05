#pragma once
// Sends mouse events straight to a widget, the way the window system would deliver them, so that
// tests of mouse handling do not depend on a pointer or a display.

#include <QApplication>
#include <QMouseEvent>
#include <QWidget>

namespace testsupport {

class MouseDriver {
public:
    explicit MouseDriver(QWidget* widget) : widget_(widget) {}

    void move(int x, int y) { send(QEvent::MouseMove, x, y, Qt::NoButton); }
    void press(int x, int y) {
        buttons_ = Qt::LeftButton;
        send(QEvent::MouseButtonPress, x, y, Qt::LeftButton);
    }
    void release(int x, int y) {
        buttons_ = Qt::NoButton;
        send(QEvent::MouseButtonRelease, x, y, Qt::LeftButton);
    }
    void doubleClickPress(int x, int y) {
        buttons_ = Qt::LeftButton;
        send(QEvent::MouseButtonDblClick, x, y, Qt::LeftButton);
    }
    // Another button, pressed and released while the left one may be held.
    void pressButton(int x, int y, Qt::MouseButton button) {
        buttons_ |= button;
        send(QEvent::MouseButtonPress, x, y, button);
    }
    void releaseButton(int x, int y, Qt::MouseButton button) {
        buttons_ &= ~Qt::MouseButtons(button);
        send(QEvent::MouseButtonRelease, x, y, button);
    }
    void click(int x, int y) {
        move(x, y);
        press(x, y);
        release(x, y);
    }

private:
    void send(QEvent::Type type, int x, int y, Qt::MouseButton button) {
        const QPointF local(x, y);
        QMouseEvent event(type, local, widget_->mapToGlobal(local), button, buttons_, Qt::NoModifier);
        QApplication::sendEvent(widget_, &event);
    }

    QWidget* widget_;
    Qt::MouseButtons buttons_ = Qt::NoButton;
};

}  // namespace testsupport
