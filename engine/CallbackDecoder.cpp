// A stream whose samples the caller produces in a callback.

#include <vector>

#include "Decoder.h"

namespace engine {

namespace {

class CallbackDecoder : public Decoder {
public:
    CallbackDecoder(DWORD freq, DWORD chans, DWORD flags, STREAMPROC proc, void* user, HSTREAM handle)
        : rate_(static_cast<int>(freq)),
          channels_(static_cast<int>(chans)),
          flags_(flags),
          proc_(proc),
          user_(user),
          handle_(handle) {}

    int sampleRate() const override { return rate_; }
    int channels() const override { return channels_; }
    std::int64_t lengthFrames() const override { return -1; }
    DWORD channelType() const override { return BASS_CTYPE_STREAM; }
    bool seek(std::int64_t frame) override { return frame == produced_; }
    bool finished() const override { return ended_; }

    std::size_t read(float* out, std::size_t frames) override {
        if (ended_) return 0;
        const std::size_t sampleBytes = (flags_ & BASS_SAMPLE_FLOAT)   ? 4
                                        : (flags_ & BASS_SAMPLE_8BITS) ? 1
                                                                       : 2;
        const std::size_t frameBytes = sampleBytes * static_cast<std::size_t>(channels_);
        scratch_.resize(frames * frameBytes);
        DWORD result = proc_(handle_, scratch_.data(), static_cast<DWORD>(scratch_.size()), user_);
        if (result & BASS_STREAMPROC_END) {
            ended_ = true;
            result &= ~BASS_STREAMPROC_END;
        }
        const std::size_t got = std::min<std::size_t>(result, scratch_.size()) / frameBytes;
        const std::size_t samples = got * static_cast<std::size_t>(channels_);
        for (std::size_t i = 0; i < samples; ++i) {
            if (sampleBytes == 4) {
                out[i] = reinterpret_cast<const float*>(scratch_.data())[i];
            } else if (sampleBytes == 2) {
                out[i] = reinterpret_cast<const std::int16_t*>(scratch_.data())[i] / 32768.0f;
            } else {
                out[i] = (static_cast<int>(scratch_[i]) - 128) / 128.0f;
            }
        }
        produced_ += static_cast<std::int64_t>(got);
        return got;
    }

private:
    int rate_;
    int channels_;
    DWORD flags_;
    STREAMPROC proc_;
    void* user_;
    HSTREAM handle_;
    bool ended_ = false;
    std::int64_t produced_ = 0;
    std::vector<std::uint8_t> scratch_;
};

}  // namespace

std::unique_ptr<Decoder> openCallbackDecoder(DWORD freq, DWORD chans, DWORD flags, STREAMPROC proc,
                                             void* user, HSTREAM handle) {
    return std::make_unique<CallbackDecoder>(freq, chans, flags, proc, user, handle);
}

}  // namespace engine
