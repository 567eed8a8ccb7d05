#pragma once
// The library's state: the output device, the channels, the configuration, the decode thread and
// the mixer. One instance for the process; every exported function goes through it.

#include <atomic>
#include <condition_variable>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "Channel.h"
#include "Output.h"
#include "QuillonAudio.h"

namespace engine {

class Engine {
public:
    static Engine& instance();
    ~Engine();

    // Every exported call leaves its result here.
    void setError(int code) { error_.store(code, std::memory_order_relaxed); }
    int error() const { return error_.load(std::memory_order_relaxed); }

    // The one lock of the control side; the mixer holds it while it renders a block. Recursive, so
    // an effect routine or sync may call back into the library from the mixing thread.
    std::recursive_mutex lock;

    bool initialized = false;
    int device = -1;
    int outputRate = 44100;
    std::unique_ptr<Output> output;
    bool outputPaused = false;
    DWORD masterVolume = 100;
    std::map<DWORD, DWORD> config;
    MixSettings mixSettings() const;
    // The decode blocks' length (the update period, 5 to 100 ms) and sample kind for the effect
    // routines. The caller holds `lock`.
    double updatePeriodSeconds() const;

    // The caller holds `lock` for init, and does not hold it for free.
    bool init(int device, DWORD freq);
    void free();

    // Channels. The caller holds `lock`.
    DWORD addChannel(std::shared_ptr<Channel> channel);
    DWORD nextChannelHandle() { return nextChannelHandle_++; }
    std::shared_ptr<Channel> channel(DWORD handle) const;
    bool removeChannel(DWORD handle, Channel::Kind kind);
    void wakeDecoder() { decodeWake_.notify_all(); }
    DWORD nextDspHandle() { return nextDspHandle_++; }
    DWORD nextSyncHandle() { return nextSyncHandle_++; }

    // Audible position of a channel in source frames: what was mixed less what the device still holds.
    std::int64_t audibleFrame(const Channel& channel) const;

    float cpuPercent() const { return cpuPercent_.load(std::memory_order_relaxed); }

    // Strings handed out by the C interface stay valid until the next call of the same kind.
    std::string& scratchString(int slot) { return scratch_[slot]; }

    // Recording.
    bool recordInitialized = false;
    int recordDevice = -1;
    std::string recordDeviceName;
    bool startRecording(HRECORD handle, DWORD freq, DWORD chans, RECORDPROC proc, void* user);
    void stopRecordings();

private:
    Engine() = default;
    void render(float* out, std::size_t frames);
    void decodeLoop();
    // Replaces an output that stopped taking sound by the silent device, saying so once.
    void replaceFailedOutput();

    std::atomic<int> error_{BASS_OK};
    std::map<DWORD, std::shared_ptr<Channel>> channels_;
    DWORD nextChannelHandle_ = 0x10001;
    DWORD nextDspHandle_ = 1;
    DWORD nextSyncHandle_ = 1;

    std::thread decodeThread_;
    std::mutex decodeWakeMutex_;
    std::condition_variable decodeWake_;
    bool decodeRunning_ = false;

    std::atomic<float> cpuPercent_{0.0f};
    std::string scratch_[4];

    struct Recording {
        std::thread thread;
        std::shared_ptr<std::atomic<bool>> running;
    };
    std::vector<Recording> recordings_;
};

// Runs an exported call: catches anything thrown (nothing may cross the C interface) and turns
// it into an error code and the given failure value.
template <typename Result, typename Body>
Result guarded(Result failure, Body body) {
    try {
        return body();
    } catch (const std::bad_alloc&) {
        Engine::instance().setError(BASS_ERROR_MEM);
    } catch (...) {
        Engine::instance().setError(BASS_ERROR_UNKNOWN);
    }
    return failure;
}

}  // namespace engine
