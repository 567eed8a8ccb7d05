#pragma once
// One playable channel (a stream or a music): its decoder, the frames decoded ahead, the playback
// state, attributes and their slides, effect routines, syncs and the recent output for levels.
//
// Threads and locks, in the only order they are ever nested:
// - the decode lock guards the decoder. The decode thread holds it while it reads a chunk (which
//   may call the caller's file or stream procedure); control calls hold it for a seek or a tag
//   read, never while holding another engine lock.
// - the mixing lock guards the playback state. The mixer holds it while it renders this channel's
//   share of one output block; control calls hold it only to copy a few values.
// The effect routines run on the decode thread outside both, on whole blocks before they enter the
// ring. A call made from a callback that would need a lock its own thread holds is refused
// (`busyOnThisThread`), so nothing ever waits on itself.

#include <samplerate.h>

#include <atomic>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

#include "Decoder.h"
#include "FrameRing.h"
#include "MusicDecoder.h"
#include "OwnedMutex.h"
#include "QuillonAudio.h"
#include "TempoStretch.h"

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

// A sync the mixer reached, waiting to be called.
struct FiredSync {
    SyncEntry sync;
    DWORD channel;
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
};

struct Attributes {
    double frequency;  // playback rate in Hz
    double volume;     // 0..100
    double pan;        // -100..100
};

class Channel {
public:
    enum class Kind { stream, music };

    Channel(DWORD handle, Kind kind, std::unique_ptr<Decoder> decoder, DWORD flags, int outputRate);
    ~Channel();
    Channel(const Channel&) = delete;
    Channel& operator=(const Channel&) = delete;

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
    // True on a thread inside one of this channel's own callbacks that holds its decode lock (a
    // file or stream procedure, or an effect routine while a decoding channel is read); the calls
    // that need the decoder must be refused there.
    bool busyOnThisThread() const { return decodeMutex_.heldByThisThread(); }

    // ---- Decode side
    // Keeps the ring topped up, in blocks of `blockSeconds` (the update period), each through the
    // effect routines before it enters the ring. Any thread; while one fill runs, another call
    // returns at once. Returns true when it decoded something.
    bool fillAhead(double blockSeconds = 0.1, bool floatDsp = false);
    // Waits for any decoding and effect routine in progress and closes the decoder and its source
    // on the caller's thread; every later call finds nothing to decode and no routine to run. After this the
    // caller may release the stream's memory, even while the decode thread still holds the channel.
    void retire();
    // Moves to a source frame; drops what was decoded ahead and what the mixer holds, once the
    // first block (of `blockSeconds`, through the effect routines) at the new place is decoded.
    bool seekFrame(std::int64_t frame, double blockSeconds = 0.1, bool floatDsp = false);
    // Drops what was decoded ahead and decodes again from what has been played, so that a change
    // of the effect routines is heard at once.
    void redecodeFromPlayback();
    // Decode-only channels: decodes straight into the caller's buffer (16-bit or float samples,
    // the source's channel count), running the effect routines. Returns bytes written.
    std::size_t decodeInto(void* buffer, std::size_t bytes, bool asFloat, bool floatDsp);
    bool tags(DWORD kind, std::string& out);
    std::uint64_t sourcePosition();
    std::uint64_t sourceSize();
    // Runs `body` on the module player under the decode lock; false for a stream or once retired.
    template <typename Body>
    bool withMusic(Body body) {
        std::lock_guard<OwnedMutex> lock(decodeMutex_);
        if (kind != Kind::music || !decoder_) return false;
        body(*static_cast<MusicDecoder*>(decoder_.get()));
        return true;
    }

    // Effect routines, higher priority first (among equals, the earlier first). Any thread,
    // effect routines included. removeDsp waits for the chain if it runs on another thread, so
    // the routine is never called after it returns.
    void addDsp(const DspEntry& entry);
    bool removeDsp(HDSP dsp);

    // ---- Mixing side: the mixer renders, control calls copy. Any thread.
    // Adds `frames` output frames of this channel to `out` (stereo float); syncs reached are
    // appended to `fired` (whose capacity the caller reserves).
    void render(float* out, std::size_t frames, const MixSettings& mix, std::vector<FiredSync>& fired);
    void play();
    void stop();
    // BASS_OK, or the error code of a channel that is already paused or not playing.
    int pause();
    bool isPlaying() const;
    DWORD activity() const;  // BASS_ACTIVE_*
    Attributes attributes() const;
    // Values left empty keep theirs; a value set ends its slide.
    void setAttributes(std::optional<double> frequency, std::optional<double> volume,
                       std::optional<double> pan);
    // Slides run on the clock of the channel's playback. `stopAtEnd` stops the channel once the
    // volume has arrived.
    void slide(std::optional<double> frequency, std::optional<double> volume, std::optional<double> pan,
               double seconds, bool stopAtEnd);
    DWORD slidingFlags() const;  // BASS_SLIDE_*, only while playing
    // Practice speed: 1 plays at the song's own tempo, 0.5 half as fast with the pitch kept. Takes
    // effect for the frames the mixer pulls next; a seek to the played frame makes it heard at once.
    void setTempo(double tempo);
    double tempo() const;
    // What is audible, in source frames: what was mixed less what the device still holds.
    std::int64_t audibleFrame(double outputLatencySeconds) const;
    // The same as reported to callers: within one start it never goes back.
    std::int64_t heardFrame(double outputLatencySeconds) const;
    std::int64_t consumedFrames() const;
    void addSync(const SyncEntry& sync);
    bool removeSync(HSYNC sync);

    // The most recent frames played (stereo, after the effects, before volume and pan), newest last;
    // fewer when not enough.
    std::size_t recentOutput(float* frames, std::size_t count) const;

private:
    // Runs the chain on a block, in 32-bit float or 16-bit samples. Called without the decode lock.
    void runDsps(float* samples, std::size_t frames, int channels, bool floatDsp);
    bool dspPresent(HDSP dsp) const;
    struct DecodedBlock {
        enum Outcome { decoded, stale, retired } outcome = decoded;
        std::size_t frames = 0;
        bool ended = false;
    };
    // Decodes up to `frames` frames into block_ as stereo, a chunk per decode lock; stale when a
    // seek came in between or waits. The caller holds the fill.
    DecodedBlock decodeBlock(std::uint64_t generation, std::size_t frames);
    std::size_t blockFramesFor(double blockSeconds) const;
    // A seek from inside this channel's own fill (an effect routine): the ring is refilled later.
    bool seekWithoutFirstBlock(std::int64_t frame);
    // Empties the ring and what the mixer took from it, starting again at `frame` with the given
    // first block in the ring. The caller holds the decode lock.
    void restartAt(std::int64_t frame, const float* firstBlock = nullptr, std::size_t firstFrames = 0,
                   bool ended = false);

    // Marks the thread that holds the fill, for as long as it holds it.
    class FillOwner {
    public:
        explicit FillOwner(std::atomic<std::thread::id>& owner) : owner_(owner) {
            owner_.store(std::this_thread::get_id());
        }
        ~FillOwner() { owner_.store(std::thread::id()); }
        FillOwner(const FillOwner&) = delete;
        FillOwner& operator=(const FillOwner&) = delete;

    private:
        std::atomic<std::thread::id>& owner_;
    };
    std::size_t pendingFrames() const { return pending_.size() / 2 - pendingOffset_; }
    // Up to `frames` stereo output frames from the ring, resampled by `ratio` (output frames per
    // channel frame); sets `ended` at the song's end and stalled_ when the ring runs dry. Counts
    // what it took in consumed_. The caller holds the mixing lock.
    std::size_t pullSongFrames(float* out, std::size_t frames, double ratio, bool& ended);
    // The same through the tempo stretch, moving played_ on by the song time heard.
    std::size_t pullStretchedFrames(float* out, std::size_t frames, double ratio, bool& ended);
    void fireSyncs(std::int64_t before, bool ended, std::vector<FiredSync>& fired);
    void advanceSlides(double seconds);
    void keepOutput(const float* stereo, std::size_t frames);
    void clearRecentOutput();

    // Decode side.
    OwnedMutex decodeMutex_;
    std::mutex fillMutex_;  // one fill at a time: the ring has one producer
    std::atomic<std::thread::id> fillOwner_{};
    std::atomic<int> seeksWaiting_{0};  // seeks waiting for the fill, which then stops early
    std::unique_ptr<Decoder> decoder_;  // null once retired
    FrameRing ring_;
    std::vector<float> decodeScratch_;              // under the decode lock
    std::vector<float> block_;                      // under the fill
    std::atomic<std::uint64_t> seekGeneration_{0};  // blocks decoded before a seek are dropped
    std::atomic<bool> decoderEnded_{false};
    std::int64_t decodedFrames_ = 0;  // under the decode lock

    mutable std::mutex dspMutex_;
    std::recursive_mutex dspRunMutex_;  // held while the chain runs
    std::vector<DspEntry> dsps_;

    // Mixing side, under mixMutex_.
    mutable std::mutex mixMutex_;
    PlayState state_ = PlayState::stopped;
    bool stalled_ = false;
    Attributes attributes_;
    Slide volumeSlide_, panSlide_, frequencySlide_;
    bool stopAfterFade_ = false;
    std::vector<SyncEntry> syncs_;
    SRC_STATE* resampler_ = nullptr;
    std::vector<float> pending_;  // frames taken from the ring
    std::size_t pendingOffset_ = 0;
    std::vector<float> renderScratch_;
    std::int64_t consumed_ = 0;
    // What has left the mixer, in the channel's frames: the resampler keeps some of what it took
    // from the ring (consumed_) and hands it out later, so only this follows the sound smoothly.
    double played_ = 0.0;
    std::int64_t audibleFrameLocked(double outputLatencySeconds) const;  // under mixMutex_
    // The last heard frame reported since the last new start (restartAt).
    mutable std::int64_t lastHeard_ = 0;
    double tempo_ = 1.0;
    std::unique_ptr<TempoStretch> stretch_;
    bool stretchInUse_ = false;     // since the last start; left only at the next one
    bool stretchFinished_ = false;  // the song's end went in; what it still holds comes out
    std::vector<float> stretchFeed_;

    mutable std::mutex recentMutex_;
    std::vector<float> recent_;  // ring of stereo frames
    std::size_t recentWrite_ = 0;
    std::size_t recentCount_ = 0;
};

}  // namespace engine
