#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWidget>

#include "platform/widgets/PressMoments.h"

using namespace std::chrono_literals;
using widgets::Moment;

namespace {
// The window system's stamp for a moment: milliseconds on the monotonic clock, cut to 32 bits.
unsigned long stampOf(Moment moment) {
    return static_cast<std::uint32_t>(
        std::chrono::duration_cast<std::chrono::milliseconds>(moment.time_since_epoch()).count());
}
}  // namespace

TEST(PressStamp, AStampOnTheMonotonicClockGivesItsMomentAndOthersNone) {
    const Moment now = std::chrono::steady_clock::now();
    const auto pressed = widgets::momentOfStamp(stampOf(now - 340ms), now);
    ASSERT_TRUE(pressed.has_value());
    EXPECT_LE(std::chrono::abs(*pressed - (now - 340ms)), 1ms);
    EXPECT_FALSE(widgets::momentOfStamp(0, now).has_value()) << "no stamp";
    EXPECT_FALSE(widgets::momentOfStamp(stampOf(now - 1500ms), now).has_value()) << "too old: another clock";
    EXPECT_FALSE(widgets::momentOfStamp(stampOf(now + 1500ms), now).has_value()) << "in the future";
    EXPECT_TRUE(widgets::momentOfStamp(stampOf(now + 20ms), now).has_value()) << "a coarse clock a bit ahead";
}

TEST(PressStamp, TheDifferenceIsRightAcrossTheThirtyTwoBitWrap) {
    // A moment just after the millisecond count wrapped, and a press just before it.
    const Moment now{std::chrono::milliseconds(0x1'0000'0005LL)};
    const auto pressed = widgets::momentOfStamp(0xFFFF'FFF0UL, now);
    ASSERT_TRUE(pressed.has_value());
    EXPECT_EQ(now - *pressed, 21ms);
}

TEST(PressStamp, TheLastKeyOrButtonPressIsTheMomentOfTheHandlerThatRunsForIt) {
    QWidget target;
    widgets::PressMoments moments;
    const Moment now = std::chrono::steady_clock::now();
    EXPECT_EQ(moments.pressMoment(now), now) << "no press seen: now";

    QKeyEvent press(QEvent::KeyPress, Qt::Key_Space, Qt::NoModifier, QStringLiteral(" "));
    press.setTimestamp(stampOf(now - 250ms));
    QApplication::sendEvent(&target, &press);
    EXPECT_LE(std::chrono::abs(moments.pressMoment(now) - (now - 250ms)), 1ms);

    QKeyEvent repeat(QEvent::KeyPress, Qt::Key_Space, Qt::NoModifier, QStringLiteral(" "), true);
    repeat.setTimestamp(stampOf(now - 10ms));
    QApplication::sendEvent(&target, &repeat);
    EXPECT_LE(std::chrono::abs(moments.pressMoment(now) - (now - 250ms)), 1ms)
        << "a held key keeps its first press";

    QMouseEvent click(QEvent::MouseButtonPress, QPointF(1, 1), QPointF(1, 1), Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    click.setTimestamp(stampOf(now - 90ms));
    QApplication::sendEvent(&target, &click);
    EXPECT_LE(std::chrono::abs(moments.pressMoment(now) - (now - 90ms)), 1ms);

    EXPECT_EQ(moments.pressMoment(now + 5s), now + 5s) << "a press long gone is not the one being handled";
}
