#pragma once
// Practice speed: plays stereo float audio slower or faster while keeping its pitch, so that a
// singer's words can be followed at half speed and still sound like the singer. Runs on the
// mixer's thread, after resampling, so everything before it (the ring, the position's source
// frames, the syncs) stays in song time.
//
// A thin owner of SoundTouch's time-domain stretch; the channel bypasses it at normal tempo.

#include <cstddef>
#include <memory>

namespace soundtouch {
class SoundTouch;
}

namespace engine {

class TempoStretch {
public:
    explicit TempoStretch(int sampleRate);
    ~TempoStretch();
    TempoStretch(const TempoStretch&) = delete;
    TempoStretch& operator=(const TempoStretch&) = delete;

    // 1 is the song's own tempo, 0.5 half as fast. Applies to what is put in from now on.
    void setTempo(double tempo);
    // Stereo frames in; what comes out of them is taken with take().
    void put(const float* stereo, std::size_t frames);
    // Up to `frames` stretched stereo frames; fewer (or none) until enough has been put in.
    std::size_t take(float* stereo, std::size_t frames);
    // No more input will come: what is still held is made ready to take.
    void finish();
    // Drops everything held, for a new start (a seek).
    void clear();

private:
    std::unique_ptr<soundtouch::SoundTouch> touch_;
};

}  // namespace engine
