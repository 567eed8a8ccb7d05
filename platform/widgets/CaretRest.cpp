#include "CaretRest.h"

#include <QApplication>
#include <QEvent>

namespace widgets {

CaretRest::CaretRest(std::chrono::milliseconds after, QObject* parent)
    : QObject(parent), flashTime_(QApplication::cursorFlashTime()) {
    timer_.setSingleShot(true);
    timer_.setInterval(after);
    connect(&timer_, &QTimer::timeout, this, [this] { rest(); });
    qApp->installEventFilter(this);
    timer_.start();
}

CaretRest::~CaretRest() {
    qApp->removeEventFilter(this);
    wake();
}

void CaretRest::rest() {
    if (resting_ || flashTime_ <= 0) return;
    resting_ = true;
    // A flash time of 0 shows the caret steadily; text boxes follow the change at once.
    QApplication::setCursorFlashTime(0);
}

void CaretRest::wake() {
    if (!resting_) return;
    resting_ = false;
    QApplication::setCursorFlashTime(flashTime_);
}

bool CaretRest::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
        case QEvent::KeyPress:
        case QEvent::MouseButtonPress:
        case QEvent::Wheel:
        case QEvent::FocusIn:
            wake();
            timer_.start();
            break;
        default:
            break;
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace widgets
