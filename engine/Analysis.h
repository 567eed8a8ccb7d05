#pragma once
// What the caller may read of a playing channel's recent output: its level, its spectrum and its
// samples. Reads a copy of the channel's recent output, so the mixer is held up only for that copy.

#include <cstddef>

#include "Channel.h"

namespace engine {

// Peaks of the most recent 20 ms, left in the low word and right in the high word, 0..32768.
DWORD peakLevel(const Channel& channel, int outputRate);

// Magnitudes of the most recent `size` frames (mixed to mono), size / 2 of them; returns the bytes
// of sample data the transform took (`size` 16-bit stereo frames).
DWORD recentSpectrum(const Channel& channel, std::size_t size, float* magnitudes);

// The most recent output as interleaved stereo samples (float or 16-bit); returns bytes written.
DWORD recentSamples(const Channel& channel, void* buffer, std::size_t bytes, bool asFloat);

}  // namespace engine
