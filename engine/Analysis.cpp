#include "Analysis.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "Fft.h"

namespace engine {

DWORD peakLevel(const Channel& channel, int outputRate) {
    const std::size_t frames = static_cast<std::size_t>(outputRate) / 50;
    std::vector<float> recent(2 * frames);
    const std::size_t got = channel.recentOutput(recent.data(), frames);
    float left = 0;
    float right = 0;
    for (std::size_t i = 0; i < got; ++i) {
        left = std::max(left, std::fabs(recent[2 * i]));
        right = std::max(right, std::fabs(recent[2 * i + 1]));
    }
    auto scale = [](float peak) {
        return static_cast<DWORD>(std::min(32768L, std::lround(peak * 32768.0f)));
    };
    return scale(left) | (scale(right) << 16);
}

DWORD recentSpectrum(const Channel& channel, std::size_t size, float* magnitudes) {
    std::vector<float> recent(2 * size, 0.0f);
    const std::size_t got = channel.recentOutput(recent.data(), size);
    // Fewer frames than the transform's size are the newest ones, after silence.
    std::vector<float> mono(size, 0.0f);
    for (std::size_t i = 0; i < got; ++i) mono[size - got + i] = 0.5f * (recent[2 * i] + recent[2 * i + 1]);
    magnitudeSpectrum(mono.data(), size, magnitudes);
    return static_cast<DWORD>(size * 4);
}

DWORD recentSamples(const Channel& channel, void* buffer, std::size_t bytes, bool asFloat) {
    const std::size_t sampleBytes = asFloat ? 4 : 2;
    const std::size_t frames = bytes / (2 * sampleBytes);
    std::vector<float> recent(2 * frames, 0.0f);
    const std::size_t got = channel.recentOutput(recent.data(), frames);
    for (std::size_t i = 0; i < 2 * got; ++i) {
        if (asFloat) {
            static_cast<float*>(buffer)[i] = recent[i];
        } else {
            const float scaled = std::nearbyint(std::clamp(recent[i], -1.0f, 1.0f) * 32767.0f);
            static_cast<std::int16_t*>(buffer)[i] = static_cast<std::int16_t>(scaled);
        }
    }
    return static_cast<DWORD>(got * 2 * sampleBytes);
}

}  // namespace engine
