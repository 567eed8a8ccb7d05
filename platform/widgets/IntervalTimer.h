#pragma once
// A timer as the forms use it: an interval of 0 means off (Qt's 0 means "as fast as possible"),
// and setting any other interval (re)starts it. Ticks keep coming while a modal dialog is open,
// since every modal loop here processes timer events.

#include <QObject>
#include <QTimer>
#include <functional>

namespace widgets {

class IntervalTimer : public QObject {
    Q_OBJECT
public:
    explicit IntervalTimer(QObject* parent = nullptr);

    int interval() const { return interval_; }
    void setInterval(int milliseconds);
    bool enabled() const { return interval_ > 0; }

    std::function<void()> OnTimer;

private:
    QTimer timer_;
    int interval_ = 0;
};

}  // namespace widgets
