#pragma once
// A song's waveform for drawing: for each slice of 1/100 s the lowest and the highest sample over
// all its channels, and the same over every ten slices for wide views. Samples are kept as 16-bit
// values (full scale ±32767), so a song of 90 minutes takes about 2.4 MB.

#include <cstddef>
#include <cstdint>
#include <vector>

struct PeakPair {
    std::int16_t low = 0;
    std::int16_t high = 0;
    bool operator==(const PeakPair&) const = default;
};

struct PeakTable {
    static constexpr int kSlicesPerSecond = 100;
    // Slices of the fine level in one of the coarse level.
    static constexpr int kCoarseFactor = 10;

    std::vector<PeakPair> fine;
    std::vector<PeakPair> coarse;

    // The coarse pairs again from the fine ones (after a load from elsewhere).
    void rebuildCoarse();
    std::size_t bytesHeld() const { return (fine.capacity() + coarse.capacity()) * sizeof(PeakPair); }
};

// Turns decoded samples into slices. Slice i covers the frames from floor(i * rate / 100) up to
// the next slice's first, so rates that 100 does not divide (22050) keep their slices in time.
class PeakBuilder {
public:
    PeakBuilder(int sampleRate, int channels);

    // Interleaved float frames; complete slices are appended to `table`.
    void add(const float* samples, std::size_t frames, PeakTable& table);
    // The last, partial slice (if it holds any frame) goes into the table.
    void finish(PeakTable& table);

private:
    void closeSlice(PeakTable& table);
    std::uint64_t sliceEnd(std::uint64_t slice) const;

    std::uint64_t rate_;
    int channels_;
    std::uint64_t frame_ = 0;
    std::uint64_t slice_ = 0;
    std::uint64_t nextSliceStart_;
    bool sliceHasFrames_ = false;
    float low_ = 0.0f;
    float high_ = 0.0f;
};

// A float sample as a 16-bit peak value: full scale is ±32767, beyond it is clipped.
std::int16_t peakValue(float sample);
