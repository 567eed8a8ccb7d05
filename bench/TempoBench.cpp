// What practice speed costs: the mixing step of one channel playing a chord song, at 100, 75 and
// 50 %, in processor time of the mixing thread per second of sound heard (percent of one core).
// Linked with the engine's core, so the mixing step runs without a device and its own cost is all
// that is timed; decoding is done ahead and timed apart. Target: the stretch adds under 5 % of one
// core.

#include <time.h>

#include <cmath>
#include <cstdio>
#include <vector>

#include "Channel.h"
#include "tests/support/GeneratedDecoder.h"

namespace {

constexpr int kRate = 44100;

// Ten minutes of a chord that changes every second, generated rather than decoded.
std::unique_ptr<fixtures::GeneratedDecoder> chordSong() {
    return std::make_unique<fixtures::GeneratedDecoder>(
        [](double t) {
            const double root = 220.0 + 20.0 * (static_cast<int>(t) % 12);
            return static_cast<float>(0.3 * std::sin(2 * M_PI * root * t) +
                                      0.2 * std::sin(2 * M_PI * root * 1.5 * t));
        },
        600.0, kRate);
}

double threadSeconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

// Percent of one core that mixing takes at `percent` speed, over `seconds` of sound heard.
double mixingShare(int percent, double seconds) {
    engine::Channel channel(1, engine::Channel::Kind::stream, chordSong(), 0, kRate);
    channel.setTempo(percent / 100.0);
    channel.play();
    const engine::MixSettings plain;
    std::vector<engine::FiredSync> fired;
    fired.reserve(8);
    constexpr std::size_t kBlock = 441;  // the output's 10 ms requests
    std::vector<float> out(2 * kBlock);
    double mixing = 0;
    const auto blocks = static_cast<int>(seconds * kRate / kBlock);
    for (int b = 0; b < blocks; ++b) {
        channel.fillAhead();  // decoding, not timed
        std::fill(out.begin(), out.end(), 0.0f);
        const double start = threadSeconds();
        channel.render(out.data(), kBlock, plain, fired);
        mixing += threadSeconds() - start;
    }
    return 100.0 * mixing / seconds;
}

}  // namespace

int main() {
    const double seconds = 60.0;
    // Alternating rounds, so a busy moment of the machine does not fall on one speed only.
    double share[3] = {0, 0, 0};
    const int speeds[3] = {100, 75, 50};
    constexpr int kRounds = 3;
    for (int round = 0; round < kRounds; ++round) {
        for (int s = 0; s < 3; ++s) share[s] += mixingShare(speeds[s], seconds / kRounds) / kRounds;
    }
    for (int s = 0; s < 3; ++s) {
        std::printf("mixing at %3d %%: %.2f %% of one core\n", speeds[s], share[s]);
    }
    std::printf("the stretch adds %.2f %% of one core at 75 %% and %.2f %% at 50 %% (target: under 5 %%)\n",
                share[1] - share[0], share[2] - share[0]);
    return share[1] - share[0] < 5.0 && share[2] - share[0] < 5.0 ? 0 : 1;
}
