#pragma once
// One playable channel (a stream or a music): its decoder, the frames decoded ahead, the playback
// state, attributes and their slides, effect routines, syncs and the recent output for levels.
//
// Threads: the decode thread calls fillAhead, which decodes under decodeMutex and runs the effect
// routines on each block outside it; the mixing thread calls render (under the engine's mix lock);
// control calls take the locks they need, briefly.

#include <samplerate.h>

#include <atomic>
#include <memory>
#include <mutex>
#include <vector>

#include "Decoder.h"
#include "FrameRing.h"
#include "MusicDecoder.h"
#include "QuillonAudio.h"

namespace engine {

struct DspEntry {
    HDSP handle;
    DSPPROC proc;
    void* user;
    int priority;
};

struct SyncEntry {
    HSYNC handle;
    DWORD type;
    QWORD param;
    SYNCPROC proc;
    void* user;
    bool once;
};

struct Slide {
    bool active = false;
    double from = 0;
    double to = 0;
    double elapsed = 0;
    double duration = 0;
};

enum class PlayState { stopped, playing, paused };

struct MixSettings {
    double streamGain = 1.0;  // global stream volume
    double musicGain = 1.0;   // global music volume
    double masterGain = 1.0;  // output volume
    bool floatDsp = false;
};

class Channel {
public:
    enum class Kind { stream, music };

    Channel(DWORD handle, Kind kind, std::unique_ptr<Decoder> decoder, DWORD flags, int outputRate);
    ~Channel();

    const DWORD handle;
    const Kind kind;
    const DWORD flags;
    const int outputRate;
    const int sourceRate;
    const int sourceChannels;
    const DWORD channelType;
    const std::int64_t lengthFrames;  // -1 when unknown

    bool isDecodeOnly() const { return (flags & BASS_STREAM_DECODE) != 0; }
    int bytesPerFrame() const { return sourceChannels * ((flags & BASS_SAMPLE_FLOAT) ? 4 : 2); }
    // Null once retired. The caller holds decodeMutex.
    MusicDecoder* music() { return kind == Kind::music ? static_cast<MusicDecoder*>(decoder_.get()) : nullptr; }

    // Decode thread: keeps the ring topped up, in blocks of `blockSeconds` (the update period), each
    // through the effect routines before it enters the ring. Returns true when it decoded something.
    bool fillAhead(double blockSeconds = 0.1, bool floatDsp = false);
    // Waits for any decoding in progress and makes every later fillAhead do nothing: after this the
    // caller may release the stream's memory, even while the decode thread still holds the channel.
    void retire();
    // Mixing thread: adds `frames` output frames of this channel to `out` (stereo float).
    void render(float* out, std::size_t frames, const MixSettings& mix, std::vector<SyncEntry>& firedSyncs);

    // Control (the caller holds the mix lock).
    PlayState state = PlayState::stopped;
    bool stalled = false;
    double volume = 100;  // 0..100
    double pan = 0;       // -100..100
    double frequency;     // playback rate in Hz
    Slide volumeSlide, panSlide, frequencySlide;
    bool stopAfterFade = false;
    std::vector<SyncEntry> syncs;

    // Effect routines, higher priority first (among equals, the earlier first). Any thread,
    // effect routines included. removeDsp waits for the chain if it runs on another thread, so
    // the routine is never called after it returns: call it without the engine lock.
    void addDsp(const DspEntry& entry);
    bool removeDsp(HDSP dsp);

    // Moves to a source frame (takes the decode lock; the caller holds the mix lock).
    bool seekFrame(std::int64_t frame);
    // Drops what was decoded ahead and decodes again from what has been played, so that a change
    // of the effect routines is heard at once (the caller holds the mix lock).
    void redecodeFromPlayback();
    std::int64_t consumedFrames() const { return consumed_; }
    bool atEnd() const { return decoderEnded_ && ring_.available() == 0 && pendingFrames() == 0; }

    // Decode-only channels: decodes straight into the caller's buffer (16-bit or float samples,
    // the source's channel count), running the effect routines. Returns bytes written.
    std::size_t decodeInto(void* buffer, std::size_t bytes, bool asFloat, const MixSettings& mix);

    // The most recent frames played (stereo, after the effects, before volume and pan), newest last;
    // fewer when not enough.
    std::size_t recentOutput(float* frames, std::size_t count) const;
    void clearRecentOutput();

    std::mutex decodeMutex;
    bool tags(DWORD kind, std::string& out);
    std::uint64_t sourcePosition();
    std::uint64_t sourceSize();

private:
    // Runs the chain on a block, in 32-bit float or 16-bit samples. Called without decodeMutex.
    void runDsps(float* samples, std::size_t frames, int channels, bool floatDsp);
    bool dspPresent(HDSP dsp) const;
    std::size_t pendingFrames() const { return pending_.size() / 2 - pendingOffset_; }
    void advanceSlides(double seconds);
    void keepOutput(const float* stereo, std::size_t frames);

    std::unique_ptr<Decoder> decoder_;
    FrameRing ring_;
    std::vector<float> decodeScratch_;
    std::vector<float> stereoScratch_;
    mutable std::mutex dspMutex_;
    std::recursive_mutex dspRunMutex_;  // held while the chain runs
    std::vector<DspEntry> dsps_;
    std::uint64_t seekGeneration_ = 0;  // under decodeMutex: blocks decoded before a seek are dropped
    std::atomic<bool> decoderEnded_{false};
    bool retired_ = false;  // under decodeMutex  // set by the decode thread, read by the mixer
    std::int64_t decodedFrames_ = 0;

    SRC_STATE* resampler_ = nullptr;
    std::vector<float> pending_;  // frames taken from the ring and through the effects
    std::size_t pendingOffset_ = 0;
    std::vector<float> renderScratch_;
    std::int64_t consumed_ = 0;

    mutable std::mutex recentMutex_;
    std::vector<float> recent_;  // ring of stereo frames
    std::size_t recentWrite_ = 0;
    std::size_t recentCount_ = 0;
};

}  // namespace engine
