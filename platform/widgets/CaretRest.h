#pragma once
// A blinking text caret repaints its text box twice a second for as long as the program runs,
// which is most of what an idle program costs. As desktops do, the caret stops blinking (and
// stays shown) once the user has done nothing for a while, and blinks again at the next key or
// click.

#include <QObject>
#include <QTimer>
#include <chrono>

namespace widgets {

class CaretRest : public QObject {
public:
    explicit CaretRest(std::chrono::milliseconds after = std::chrono::seconds(10), QObject* parent = nullptr);
    ~CaretRest() override;

    bool resting() const { return resting_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void rest();
    void wake();

    QTimer timer_;
    int flashTime_;  // the desktop's, kept while resting
    bool resting_ = false;
};

}  // namespace widgets
