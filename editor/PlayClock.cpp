#include "PlayClock.h"

#include <algorithm>
#include <cmath>

void PlayClock::observe(Moment at, double seconds) {
    if (!history_.empty()) {
        const Observation& last = history_.back();
        if (seconds < last.seconds - kLargestWaver) {
            restart(at, seconds);
            return;
        }
        seconds = std::max(seconds, last.seconds);
        // A moment out of order (a stale reading) adds nothing.
        if (at < last.at) return;
    }
    history_.push_back({at, seconds});
    while (history_.size() > 2 && at - history_.front().at > kKeptHistory) history_.pop_front();
}

void PlayClock::restart(Moment at, double seconds) {
    history_.clear();
    history_.push_back({at, seconds});
}

std::optional<double> PlayClock::positionAt(Moment at) const {
    if (history_.empty()) return std::nullopt;
    if (at <= history_.front().at) return history_.front().seconds;
    if (at >= history_.back().at) return history_.back().seconds;
    const auto after = std::upper_bound(history_.begin(), history_.end(), at,
                                        [](Moment moment, const Observation& o) { return moment < o.at; });
    const Observation& before = *(after - 1);
    const double span = std::chrono::duration<double>(after->at - before.at).count();
    if (span <= 0.0) return after->seconds;
    const double part = std::chrono::duration<double>(at - before.at).count() / span;
    return before.seconds + (after->seconds - before.seconds) * part;
}

std::optional<double> PlayClock::latest() const {
    if (history_.empty()) return std::nullopt;
    return history_.back().seconds;
}

int shownTenths(double seconds) {
    if (!(seconds > 0.0)) return 0;
    // A position a hair below a tenth (a float from a frame count) still shows that tenth.
    return static_cast<int>(std::floor(seconds * 10.0 + 1e-6));
}

int tagHundredths(double seconds, int offsetMilliseconds) {
    const double hundredths = std::round((seconds - offsetMilliseconds / 1000.0) * 100.0);
    if (!(hundredths > 0.0)) return 0;
    return static_cast<int>(std::min(hundredths, 2'000'000'000.0));
}
