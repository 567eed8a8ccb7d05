#include "PressMoments.h"

#include <QCoreApplication>
#include <QEvent>
#include <QKeyEvent>
#include <cstdint>

namespace widgets {

namespace {
constexpr std::chrono::milliseconds kLargestDistance{1000};
}  // namespace

std::optional<Moment> momentOfStamp(unsigned long stampMilliseconds, Moment now) {
    if (stampMilliseconds == 0) return std::nullopt;
    const auto nowMilliseconds =
        std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count();
    // Both wrap at 32 bits; the difference, taken as signed, is right across a wrap.
    const auto age = static_cast<std::int32_t>(static_cast<std::uint32_t>(nowMilliseconds) -
                                               static_cast<std::uint32_t>(stampMilliseconds));
    if (age > kLargestDistance.count() || age < -kLargestDistance.count()) return std::nullopt;
    return now - std::chrono::milliseconds(age);
}

PressMoments::PressMoments(QObject* parent) : QObject(parent) {
    if (QCoreApplication::instance() != nullptr) QCoreApplication::instance()->installEventFilter(this);
}

PressMoments::~PressMoments() {
    if (QCoreApplication::instance() != nullptr) QCoreApplication::instance()->removeEventFilter(this);
}

Moment PressMoments::pressMoment(Moment now) const {
    if (!lastSeen_ || now - *lastSeen_ > kLargestDistance) return now;
    return momentOfStamp(lastStamp_, now).value_or(now);
}

bool PressMoments::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
        case QEvent::KeyPress:
        case QEvent::ShortcutOverride:
            // A key held down repeats; its first press is the moment.
            if (static_cast<QKeyEvent*>(event)->isAutoRepeat()) break;
            [[fallthrough]];
        case QEvent::MouseButtonPress: {
            const unsigned long stamp = static_cast<QInputEvent*>(event)->timestamp();
            // One press reaches several objects (the shortcut check, then its receivers): the
            // first sighting of a stamp is the one that counts.
            if (stamp != lastStamp_ || !lastSeen_) {
                lastStamp_ = stamp;
                lastSeen_ = std::chrono::steady_clock::now();
            }
            break;
        }
        default:
            break;
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace widgets
