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

namespace {

// The lowest and highest of `count` samples, folded into `low` and `high`. Eight running pairs keep
// the processor busy where one pair would wait on each comparison: this runs once for every
// sample of a song, so it must cost little beside decoding it.
void foldRange(const float* samples, std::size_t count, float& low, float& high) {
    constexpr std::size_t kLanes = 8;
    std::size_t i = 0;
    if (count >= kLanes) {
        float lows[kLanes];
        float highs[kLanes];
        for (std::size_t lane = 0; lane < kLanes; ++lane) lows[lane] = highs[lane] = samples[lane];
        for (i = kLanes; i + kLanes <= count; i += kLanes) {
            for (std::size_t lane = 0; lane < kLanes; ++lane) {
                const float value = samples[i + lane];
                lows[lane] = value < lows[lane] ? value : lows[lane];
                highs[lane] = value > highs[lane] ? value : highs[lane];
            }
        }
        for (std::size_t lane = 0; lane < kLanes; ++lane) {
            low = std::min(low, lows[lane]);
            high = std::max(high, highs[lane]);
        }
    }
    for (; i < count; ++i) {
        low = std::min(low, samples[i]);
        high = std::max(high, samples[i]);
    }
}

}  // namespace

void PeakBuilder::add(const float* samples, std::size_t frames, PeakTable& table) {
    const auto channels = static_cast<std::size_t>(channels_);
    std::size_t done = 0;
    while (done < frames) {
        while (frame_ >= nextSliceStart_) closeSlice(table);
        // The frames of this call that belong to the current slice.
        const std::size_t take =
            static_cast<std::size_t>(std::min<std::uint64_t>(nextSliceStart_ - frame_, frames - done));
        const float* first = samples + done * channels;
        if (!sliceHasFrames_) {
            low_ = high_ = first[0];
            sliceHasFrames_ = true;
        }
        foldRange(first, take * channels, low_, high_);
        frame_ += take;
        done += take;
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
