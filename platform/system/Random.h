#pragma once
// The program's pseudo-random generator: seeded once at start-up from the clock, then drawn from.

#include <functional>

#include "ScopedHook.h"

namespace desktop {

// Seeds from the clock.
void Randomize();
// Seeds with a fixed value, for repeatable runs.
void seedRandom(unsigned seed);
// An integer from 0 to range - 1.
int Random(int range);

// Where the draws come from in place of the generator while set (given the range): a test's seam.
using RandomSource = std::function<int(int range)>;
RandomSource& randomSource();
class ScopedRandomSource : ScopedHook<RandomSource> {
public:
    explicit ScopedRandomSource(RandomSource source) : ScopedHook(randomSource(), std::move(source)) {}
};

}  // namespace desktop
