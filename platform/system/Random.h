#pragma once
// The program's pseudo-random generator: seeded once at start-up from the clock, then drawn from.

namespace desktop {

// Seeds from the clock.
void Randomize();
// Seeds with a fixed value, for repeatable runs.
void seedRandom(unsigned seed);
// An integer from 0 to range - 1.
int Random(int range);

}  // namespace desktop
