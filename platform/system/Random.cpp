#include "Random.h"

#include <chrono>
#include <random>

namespace desktop {

namespace {
std::mt19937& generator() {
    static std::mt19937 engine(1);
    return engine;
}
}  // namespace

void Randomize() {
    generator().seed(static_cast<unsigned>(std::chrono::steady_clock::now().time_since_epoch().count()));
}

void seedRandom(unsigned seed) {
    generator().seed(seed);
}

RandomSource& randomSource() {
    static RandomSource source;
    return source;
}

int Random(int range) {
    if (randomSource()) return randomSource()(range);
    if (range <= 1) return 0;
    return std::uniform_int_distribution<int>(0, range - 1)(generator());
}

}  // namespace desktop
