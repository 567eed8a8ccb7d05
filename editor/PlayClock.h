#pragma once
// The play time as the listener hears it, apart from the window: the positions the player reported
// at known moments, so that a key press is tagged with the position at the press (not at the
// moment its handler runs), and the displays never run ahead of the sound or step back.
//
// Positions are song seconds, moments are steady-clock time points; the clock does not read the
// player itself, the window feeds it.

#include <chrono>
#include <deque>
#include <optional>

class PlayClock {
public:
    using Moment = std::chrono::steady_clock::time_point;

    // A position read from the player at a moment. Within one pass positions only go forward: a
    // small step back (the sound server's latency estimate wavers by a few milliseconds) is held
    // at the last position, a larger one is taken as a jump made elsewhere and starts a new pass.
    void observe(Moment at, double seconds);
    // A seek, an open or a stop: the pass starts anew at this position, which shows at once.
    void restart(Moment at, double seconds);

    // The position at a moment, interpolated between the observations around it; before the first
    // one of this pass, the pass's start; after the last one, the last one. Nothing before any
    // observation.
    std::optional<double> positionAt(Moment at) const;
    // The latest position of this pass.
    std::optional<double> latest() const;

    // The observations kept: enough to look back past any press whose handler is late.
    static constexpr std::chrono::milliseconds kKeptHistory{3000};
    // A step back larger than this is a jump, not a wavering estimate.
    static constexpr double kLargestWaver = 0.050;

private:
    struct Observation {
        Moment at;
        double seconds;
    };
    std::deque<Observation> history_;
};

// Tenths of a second shown for a position: truncated, so the display never shows what has not been
// heard yet.
int shownTenths(double seconds);
// Hundredths of a second for a tag at a position less an offset in milliseconds: rounded to the
// nearest hundredth, never below 0.
int tagHundredths(double seconds, int offsetMilliseconds);
