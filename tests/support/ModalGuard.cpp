#include "ModalGuard.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QPointer>
#include <QTimer>
#include <iostream>

namespace testsupport {

namespace {

std::chrono::milliseconds limit{5000};

// Looks at the active modal widget every 100 ms while a test runs; a modal dialog runs its own event
// loop, so the timer fires while the test waits in it.
class ModalWatch : public ::testing::EmptyTestEventListener {
public:
    void OnTestStart(const ::testing::TestInfo&) override {
        if (timer_ == nullptr) {
            timer_ = new QTimer(qApp);
            timer_->setInterval(100);
            QObject::connect(timer_, &QTimer::timeout, [this] { look(); });
        }
        watched_ = nullptr;
        timer_->start();
    }
    void OnTestEnd(const ::testing::TestInfo&) override {
        if (timer_ != nullptr) timer_->stop();
        watched_ = nullptr;
    }

private:
    void look() {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal != watched_) {
            watched_ = modal;
            openFor_.start();
            return;
        }
        if (modal == nullptr || openFor_.elapsed() < limit.count()) return;
        ADD_FAILURE() << "a modal dialog was left open for " << limit.count() << " ms: \""
                      << modal->windowTitle().toStdString() << "\"";
        watched_ = nullptr;
        if (auto* dialog = qobject_cast<QDialog*>(modal)) {
            dialog->reject();
        } else {
            modal->close();
        }
    }

    QTimer* timer_ = nullptr;
    QPointer<QWidget> watched_;
    QElapsedTimer openFor_;
};

}  // namespace

std::chrono::milliseconds modalLimit() {
    return limit;
}

void installModalGuard() {
    ::testing::UnitTest::GetInstance()->listeners().Append(new ModalWatch);
}

ScopedModalLimit::ScopedModalLimit(std::chrono::milliseconds newLimit) : previous_(limit) {
    limit = newLimit;
}

ScopedModalLimit::~ScopedModalLimit() {
    limit = previous_;
}

}  // namespace testsupport
