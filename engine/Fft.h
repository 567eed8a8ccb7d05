#pragma once
// Magnitude spectrum of the most recent output, as BASS_ChannelGetData returns it.

#include <cstddef>

namespace engine {

// `samples` holds `size` mono samples (size a power of two); writes size / 2 magnitudes, scaled so
// that a full-scale sine gives a peak near 1, after a Hann window.
void magnitudeSpectrum(const float* samples, std::size_t size, float* magnitudes);

}  // namespace engine
