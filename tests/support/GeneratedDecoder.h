#pragma once
// Generated sound for the engine's mixing step, where tests and benchmarks drive a channel without
// a file: stereo, both sides of each frame from a function of the frame's time in seconds. Users
// link the engine's core, whose internal headers this needs.

#include <algorithm>
#include <functional>
#include <utility>

#include "Decoder.h"

namespace fixtures {

class GeneratedDecoder : public engine::Decoder {
public:
    GeneratedDecoder(std::function<float(double seconds)> sample, double seconds, int rate = 44100)
        : sample_(std::move(sample)), rate_(rate), length_(static_cast<std::int64_t>(seconds * rate)) {}

    int sampleRate() const override { return rate_; }
    int channels() const override { return 2; }
    std::int64_t lengthFrames() const override { return length_; }
    DWORD channelType() const override { return BASS_CTYPE_STREAM; }
    std::size_t read(float* out, std::size_t frames) override {
        const std::size_t n = std::min<std::size_t>(frames, static_cast<std::size_t>(length_ - position_));
        for (std::size_t i = 0; i < n; ++i) {
            const double t = static_cast<double>(position_ + static_cast<std::int64_t>(i)) / rate_;
            out[2 * i] = out[2 * i + 1] = sample_(t);
        }
        position_ += static_cast<std::int64_t>(n);
        return n;
    }
    bool seek(std::int64_t frame) override {
        position_ = frame;
        return true;
    }

private:
    std::function<float(double)> sample_;
    int rate_;
    std::int64_t length_;
    std::int64_t position_ = 0;
};

}  // namespace fixtures
