#include "IntervalTimer.h"

namespace widgets {

IntervalTimer::IntervalTimer(QObject* parent) : QObject(parent) {
    timer_.setTimerType(Qt::PreciseTimer);
    connect(&timer_, &QTimer::timeout, this, [this] {
        if (OnTimer) OnTimer();
    });
}

void IntervalTimer::setInterval(int milliseconds) {
    interval_ = milliseconds > 0 ? milliseconds : 0;
    if (interval_ == 0) {
        timer_.stop();
    } else {
        timer_.start(interval_);
    }
}

}  // namespace widgets
