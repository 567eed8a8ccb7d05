#pragma once
// The library's state: the output device, the channels, the configuration, the decode thread, the
// mixer and the sync thread. One instance for the process; every exported function goes through it.
//
// The output's callback (the mixer) takes only the mixing locks: the engine's, which guards the
// list of channels it mixes and the global volumes, and each channel's own. Control calls hold
// those only to copy a few values, and never while they wait for anything else; so the mixer never
// waits for a control call, a file being opened, a seek or a callback of the caller.

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "Channel.h"
#include "Output.h"
#include "QuillonAudio.h"
#include "SyncDispatcher.h"

namespace engine {

// How long the output callback took, since the last reset: for the benchmark and the processor
// figure. A callback is late when it took longer than the sound it rendered lasts.
struct MixTimings {
    std::uint64_t callbacks = 0;
    std::uint64_t late = 0;
    double worstSeconds = 0;
};

class Engine {
public:
    static Engine& instance();
    ~Engine();
    Engine(const Engine&) = delete;
    Engine& operator=(const Engine&) = delete;

    // Every exported call leaves its result here.
    void setError(int code) { error_.store(code, std::memory_order_relaxed); }
    int error() const { return error_.load(std::memory_order_relaxed); }

    // ---- Lifecycle and output. Init and free come from the control thread, never from a callback.
    // BASS_OK or the error code.
    int init(int device, DWORD freq);
    int free();
    bool initialized() const { return initialized_.load(std::memory_order_acquire); }
    int device() const;
    int outputRate() const { return outputRate_.load(std::memory_order_relaxed); }
    double outputLatencySeconds() const;
    void setOutputPaused(bool paused);
    // A channel was told to play: the output, if idle, asks for sound at once, and a lost output
    // is tried again.
    void channelStarted(const Channel& started, bool wasPlaying);
    void setMasterVolume(DWORD volume);
    DWORD masterVolume() const;
    float cpuPercent() const { return cpuPercent_.load(std::memory_order_relaxed); }
    MixTimings mixTimings() const;
    void resetMixTimings();
    // True on the library's own threads (decoding, syncs), where init and free are refused.
    bool onEngineThread() const;

    // ---- Configuration
    void setConfig(DWORD option, DWORD value);
    std::optional<DWORD> config(DWORD option) const;
    // The decode blocks' length (the update period, 5 to 100 ms) and sample kind for the effect
    // routines.
    double updatePeriodSeconds() const {
        return updatePeriodMilliseconds_.load(std::memory_order_relaxed) / 1000.0;
    }
    bool floatDsp() const { return floatDsp_.load(std::memory_order_relaxed); }

    // ---- Channels. Any thread.
    DWORD addChannel(Channel::Kind kind, std::unique_ptr<Decoder> decoder, DWORD flags);
    // Reserves a handle for a channel whose decoder needs it before the channel exists.
    DWORD reserveChannelHandle() { return nextChannelHandle_.fetch_add(1); }
    DWORD addChannel(DWORD handle, Channel::Kind kind, std::unique_ptr<Decoder> decoder, DWORD flags);
    std::shared_ptr<Channel> channel(DWORD handle) const;
    // Stops mixing the channel, drops its pending syncs, closes its decoder; false when the handle
    // is not a channel of that kind.
    bool removeChannel(DWORD handle, Channel::Kind kind);
    void removeSync(Channel& channel, HSYNC sync);
    void wakeDecoder() { decodeWake_.notify_all(); }
    DWORD nextDspHandle() { return nextDspHandle_.fetch_add(1); }
    DWORD nextSyncHandle() { return nextSyncHandle_.fetch_add(1); }
    // Audible position of a channel in source frames.
    std::int64_t audibleFrame(const Channel& channel) const;

    // Strings handed out by the C interface stay valid until the next call of the same kind.
    const char* keepString(int slot, std::string text);

    // ---- Recording (a null input delivering silence).
    int recordInit();
    int recordFree();
    bool recordInitialized() const;
    std::string recordInputName() const;
    bool startRecording(HRECORD handle, DWORD freq, DWORD chans, RECORDPROC proc, void* user);

private:
    Engine() = default;
    void render(float* out, std::size_t frames);
    void decodeLoop();
    RenderFunction renderFunction();
    // Replaces an output that stopped taking sound by the silent device, saying so once.
    void replaceFailedOutput();
    // Suspends the output once nothing has played for a while. On the decode thread.
    void suspendIdleOutput();
    bool anyChannelPlaying() const;
    // While the silent device stands in for a lost or missing output, tries the real one again
    // (at a play, and every 2 s while playing) on a thread of its own, and moves back to it.
    void retryLostOutput();
    void joinRetry();
    void stopRecordings();
    void refreshMixSettings();

    std::atomic<int> error_{BASS_OK};

    // Init and free, one at a time.
    std::mutex lifecycleMutex_;
    std::atomic<bool> initialized_{false};
    std::atomic<int> outputRate_{44100};

    // The output, swapped when it fails; its latency is read by position queries.
    mutable std::mutex outputMutex_;
    std::unique_ptr<Output> output_;
    int device_ = -1;
    int wantedDevice_ = -1;  // the device asked for at init
    bool outputSuspended_ = false;

    // Idle and retry bookkeeping, on the decode thread (playRequested_ from any thread).
    std::chrono::steady_clock::time_point idleSince_{};
    bool idle_ = false;
    std::atomic<bool> playRequested_{false};
    std::chrono::steady_clock::time_point lastRetry_{};
    std::thread retryThread_;
    std::atomic<bool> retrying_{false};
    std::atomic<bool> firstProbe_{false};  // the output probe that init left to the retry thread
    std::chrono::steady_clock::time_point firstProbeAt_{};

    // Mixing: the channels played and the global volumes.
    mutable std::mutex mixMutex_;
    std::vector<std::shared_ptr<Channel>> mixed_;
    MixSettings mixSettings_;
    bool outputPaused_ = false;
    DWORD masterVolume_ = 100;
    std::vector<FiredSync> fired_;  // the mixer's, reserved up front
    std::atomic<float> cpuPercent_{0.0f};
    std::atomic<std::uint64_t> mixCallbacks_{0};
    std::atomic<std::uint64_t> lateMixCallbacks_{0};
    std::atomic<double> worstMixSeconds_{0.0};

    mutable std::mutex configMutex_;
    std::map<DWORD, DWORD> config_;
    std::atomic<int> updatePeriodMilliseconds_{100};
    std::atomic<bool> floatDsp_{false};

    mutable std::mutex channelsMutex_;
    std::map<DWORD, std::shared_ptr<Channel>> channels_;
    std::atomic<DWORD> nextChannelHandle_{0x10001};
    std::atomic<DWORD> nextDspHandle_{1};
    std::atomic<DWORD> nextSyncHandle_{1};

    std::thread decodeThread_;
    std::atomic<std::thread::id> decodeThreadId_{};
    std::mutex decodeWakeMutex_;
    std::condition_variable decodeWake_;
    bool decodeRunning_ = false;

    SyncDispatcher syncs_;

    std::mutex stringsMutex_;
    std::string strings_[4];

    struct Recording {
        std::thread thread;
        std::shared_ptr<std::atomic<bool>> running;
    };
    mutable std::mutex recordMutex_;
    bool recordInitialized_ = false;
    mutable std::optional<std::string> recordDeviceName_;  // looked up when first asked for
    std::vector<Recording> recordings_;
};

}  // namespace engine
