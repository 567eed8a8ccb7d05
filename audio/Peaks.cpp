#include "Peaks.h"

#include <algorithm>
#include <cmath>

std::int16_t peakValue(float sample) {
    if (!(sample == sample)) return 0;  // NaN
    const float scaled = std::clamp(sample, -1.0f, 1.0f) * 32767.0f;
    return static_cast<std::int16_t>(std::lround(scaled));
}

namespace {

PeakPair combined(const PeakPair* pairs, std::size_t count) {
    PeakPair result = pairs[0];
    for (std::size_t i = 1; i < count; ++i) {
        result.low = std::min(result.low, pairs[i].low);
        result.high = std::max(result.high, pairs[i].high);
    }
    return result;
}

}  // namespace

void PeakTable::rebuildCoarse() {
    coarse.clear();
    coarse.reserve((fine.size() + kCoarseFactor - 1) / kCoarseFactor);
    for (std::size_t start = 0; start < fine.size(); start += kCoarseFactor) {
        const std::size_t count = std::min<std::size_t>(kCoarseFactor, fine.size() - start);
        coarse.push_back(combined(&fine[start], count));
    }
}

PeakBuilder::PeakBuilder(int sampleRate, int channels)
    : rate_(static_cast<std::uint64_t>(std::max(sampleRate, 1))),
      channels_(std::max(channels, 1)),
      nextSliceStart_(sliceEnd(0)) {}

std::uint64_t PeakBuilder::sliceEnd(std::uint64_t slice) const {
    return (slice + 1) * rate_ / PeakTable::kSlicesPerSecond;
}

void PeakBuilder::add(const float* samples, std::size_t frames, PeakTable& table) {
    for (std::size_t f = 0; f < frames; ++f) {
        while (frame_ >= nextSliceStart_) closeSlice(table);
        const float* frame = samples + f * static_cast<std::size_t>(channels_);
        for (int c = 0; c < channels_; ++c) {
            const float value = frame[c];
            if (!sliceHasFrames_) {
                low_ = high_ = value;
                sliceHasFrames_ = true;
            } else {
                low_ = std::min(low_, value);
                high_ = std::max(high_, value);
            }
        }
        ++frame_;
    }
    while (frame_ >= nextSliceStart_) closeSlice(table);
}

void PeakBuilder::closeSlice(PeakTable& table) {
    // A rate below 100 frames a second leaves some slices without frames; they repeat silence.
    table.fine.push_back(sliceHasFrames_ ? PeakPair{peakValue(low_), peakValue(high_)} : PeakPair{});
    sliceHasFrames_ = false;
    ++slice_;
    nextSliceStart_ = sliceEnd(slice_);
    const std::size_t done = table.fine.size();
    if (done % PeakTable::kCoarseFactor == 0) {
        table.coarse.push_back(
            combined(&table.fine[done - PeakTable::kCoarseFactor], PeakTable::kCoarseFactor));
    }
}

void PeakBuilder::finish(PeakTable& table) {
    if (sliceHasFrames_) closeSlice(table);
    const std::size_t tail = table.fine.size() % PeakTable::kCoarseFactor;
    if (tail != 0) table.coarse.push_back(combined(&table.fine[table.fine.size() - tail], tail));
}
