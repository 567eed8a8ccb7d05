#include "PlayerEffects.h"

#include <bit>
#include <cmath>

namespace playereffects {

std::atomic<float> RotateAngle{0.0f};

float rotateStartAngle() {
    return std::bit_cast<float>(std::uint32_t{0x3F490FDA});
}

void RotateDSP(HDSP, DWORD, void* buffer, DWORD length, void*) {
    auto* samples = static_cast<float*>(buffer);
    float angle = RotateAngle.load(std::memory_order_relaxed);
    for (DWORD pair = 0; pair < length / 8; ++pair) {
        samples[2 * pair] = samples[2 * pair] * std::fabs(std::sin(angle));
        samples[2 * pair + 1] = samples[2 * pair + 1] * std::fabs(std::cos(angle));
        const float next = angle + 0.00003f;
        angle = next - std::trunc(next / 3.1415927f) * 3.1415927f;
    }
    RotateAngle.store(angle, std::memory_order_relaxed);
}

void EchoDSP(HDSP, DWORD, void* buffer, DWORD length, void*) {
    constexpr int kPairs = 1200;
    float history[kPairs][2] = {};
    int index = 0;
    auto* samples = static_cast<float*>(buffer);
    for (DWORD pair = 0; pair < length / 8; ++pair) {
        const float left = samples[2 * pair] + history[index][1] / 2;
        const float right = samples[2 * pair + 1] + history[index][0] / 2;
        samples[2 * pair] = left;
        samples[2 * pair + 1] = right;
        history[index][0] = left;
        history[index][1] = right;
        index = index + 1 == kPairs ? 0 : index + 1;
    }
}

void FlangerDSP(HDSP, DWORD, void* buffer, DWORD length, void*) {
    constexpr int kPairs = 350;
    float history[kPairs][2] = {};
    int write = 0;
    float sweep = 175.0f;
    float step = 0.002f;
    auto* samples = static_cast<float*>(buffer);
    for (DWORD pair = 0; pair < length / 8; ++pair) {
        const int p1 = static_cast<int>(std::trunc(static_cast<float>(write) + sweep)) % kPairs;
        const int p2 = (p1 + 1) % kPairs;
        const float fraction = sweep - std::trunc(sweep);
        for (int side = 0; side < 2; ++side) {
            const float input = samples[2 * pair + side];
            const float mixed = (1 - fraction) * history[p1][side] + fraction * history[p2][side] + input;
            history[write][side] = input;
            samples[2 * pair + side] = mixed;
        }
        write = write + 1 == kPairs ? 0 : write + 1;
        sweep = sweep + step;
        if (sweep < 0 || sweep > 350) step = -step;
    }
}

}  // namespace playereffects
