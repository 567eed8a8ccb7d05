#pragma once
// When the user really pressed: the window system stamps every key and button event with its own
// time (milliseconds on the monotonic clock, wrapping at 32 bits, on X11 and Wayland alike). A
// handler that runs late, on a busy machine, can ask for that moment instead of taking "now".

#include <QObject>
#include <chrono>
#include <optional>

namespace widgets {

using Moment = std::chrono::steady_clock::time_point;

// The moment an event's time stamp stands for, read against `now`: nothing when the stamp is 0 or
// more than a second away from now (a stamp on another clock, as some platforms and synthetic
// events give).
std::optional<Moment> momentOfStamp(unsigned long stampMilliseconds, Moment now);

// Watches the application's key and mouse-button presses and keeps the last one's stamp.
class PressMoments : public QObject {
public:
    explicit PressMoments(QObject* parent = nullptr);
    ~PressMoments() override;

    // The moment of the press being handled now: the last press's stamp when it came in at most a
    // second ago and is usable, else `now`.
    Moment pressMoment(Moment now = std::chrono::steady_clock::now()) const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    unsigned long lastStamp_ = 0;
    std::optional<Moment> lastSeen_;
};

}  // namespace widgets
