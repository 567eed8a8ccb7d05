#include <gtest/gtest.h>

#include "editor/PlayClock.h"

using namespace std::chrono_literals;

namespace {
const PlayClock::Moment kStart = std::chrono::steady_clock::now();
}  // namespace

TEST(PlayClock, APressBetweenTwoReadingsTakesTheInterpolatedPosition) {
    PlayClock clock;
    EXPECT_FALSE(clock.positionAt(kStart).has_value()) << "nothing read yet";
    clock.restart(kStart, 10.0);
    clock.observe(kStart + 85ms, 10.085);
    clock.observe(kStart + 170ms, 10.170);
    EXPECT_NEAR(*clock.positionAt(kStart + 100ms), 10.100, 1e-9);
    EXPECT_NEAR(*clock.positionAt(kStart + 150ms), 10.150, 1e-9);
    EXPECT_DOUBLE_EQ(*clock.positionAt(kStart - 1s), 10.0) << "before the pass: its start";
    EXPECT_DOUBLE_EQ(*clock.positionAt(kStart + 1s), 10.170) << "after the last reading: that reading";
}

TEST(PlayClock, PositionsNeverStepBackWithinAPassButAJumpStartsANewOne) {
    PlayClock clock;
    clock.restart(kStart, 5.0);
    clock.observe(kStart + 85ms, 5.085);
    clock.observe(kStart + 170ms, 5.080);
    EXPECT_DOUBLE_EQ(*clock.latest(), 5.085) << "a wavering estimate is held";
    clock.observe(kStart + 255ms, 4.9);
    EXPECT_DOUBLE_EQ(*clock.latest(), 4.9) << "a step back of more than the waver is a jump";
    EXPECT_DOUBLE_EQ(*clock.positionAt(kStart + 100ms), 4.9) << "the old pass is forgotten";
    clock.restart(kStart + 300ms, 30.0);
    EXPECT_DOUBLE_EQ(*clock.latest(), 30.0) << "a seek shows at once";
}

TEST(PlayClock, PressesInOrderGiveTimesInOrder) {
    PlayClock clock;
    clock.restart(kStart, 0.0);
    double last = -1.0;
    for (int tick = 1; tick < 40; ++tick) {
        // Readings with a jittering estimate, as a sound server gives.
        const double jitter = (tick % 3 == 0) ? -0.004 : 0.003;
        clock.observe(kStart + tick * 85ms, tick * 0.085 + jitter);
        for (int press = 0; press < 85; press += 17) {
            const double at =
                *clock.positionAt(kStart + (tick - 1) * 85ms + std::chrono::milliseconds(press));
            EXPECT_GE(at, last);
            last = at;
        }
    }
}

TEST(PlayClock, OnlyTheRecentHistoryIsKept) {
    PlayClock clock;
    clock.restart(kStart, 0.0);
    for (int tick = 1; tick <= 200; ++tick) clock.observe(kStart + tick * 85ms, tick * 0.085);
    EXPECT_NEAR(*clock.positionAt(kStart + 16s), 16.0, 1e-9);
    EXPECT_GT(*clock.positionAt(kStart), 10.0) << "readings older than the kept history are gone";
}

TEST(PlayClock, TagsRoundToTheHundredthAndNeverGoBelowZero) {
    EXPECT_EQ(tagHundredths(12.344, 0), 1234);
    EXPECT_EQ(tagHundredths(12.346, 0), 1235);
    EXPECT_EQ(tagHundredths(12.346, 500), 1185);
    EXPECT_EQ(tagHundredths(0.2, 300), 0);
}
