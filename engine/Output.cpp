#include "Output.h"

#include <alsa/asoundlib.h>
#include <dlfcn.h>
#include <fcntl.h>
#include <portaudio.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace engine {

namespace {

void silentAlsaErrors(const char*, int, const char*, int, const char*, ...) {}

#ifdef QUILLON_SANITIZE
// Leak checking runs at exit; what the plugins ALSA loads while PortAudio lists the devices (and
// the libraries they pull in) allocate would then show up as leaks of unknown modules, since ALSA
// unloads them again. Sanitizer builds keep them mapped, so the report can name them (and the
// suppressions skip them).
void keepAlsaPluginsMapped() {
    static const bool kept = [] {
        std::error_code error;
        for (const auto& entry : std::filesystem::directory_iterator(ALSA_PLUGIN_DIR, error)) {
            if (entry.path().filename().string().rfind("libasound_module_", 0) == 0) {
                dlopen(entry.path().c_str(), RTLD_LAZY | RTLD_NODELETE);
            }
        }
        return true;
    }();
    (void)kept;
}
#else
void keepAlsaPluginsMapped() {}
#endif

// PortAudio is initialised once per use and terminated with it.
class PortAudioSession {
public:
    PortAudioSession() {
        keepAlsaPluginsMapped();
        snd_lib_error_set_handler(silentAlsaErrors);
        // The sound servers' client libraries that PortAudio probes print their start-up chatter to
        // the standard error; hide it while probing. This mutes the whole process for those few
        // tens of milliseconds, also when the probe runs on the engine's retry thread.
        const int savedError = dup(STDERR_FILENO);
        const int nowhere = open("/dev/null", O_WRONLY | O_CLOEXEC);
        if (savedError >= 0 && nowhere >= 0) dup2(nowhere, STDERR_FILENO);
        ok_ = Pa_Initialize() == paNoError;
        if (savedError >= 0) {
            dup2(savedError, STDERR_FILENO);
            close(savedError);
        }
        if (nowhere >= 0) close(nowhere);
    }
    ~PortAudioSession() {
        if (ok_) Pa_Terminate();
    }
    bool ok() const { return ok_; }

private:
    bool ok_ = false;
};

class NullOutput : public Output {
public:
    NullOutput(int rate, RenderFunction render) : rate_(rate), render_(std::move(render)) {}
    ~NullOutput() override { stop(); }

    bool start() override {
        if (thread_.joinable()) return true;
        running_ = true;
        thread_ = std::thread([this] { run(); });
        return true;
    }
    void stop() override {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            running_ = false;
        }
        wake_.notify_all();
        if (thread_.joinable()) thread_.join();
    }
    // Blocks are rendered once real time has consumed them, so the time since the last block was
    // handed over has already been "heard"; it is at most one block.
    double latencySeconds() const override {
        const auto last = lastRender_.load(std::memory_order_relaxed);
        if (last == 0) return 0.0;
        const double since =
            std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count() -
            static_cast<double>(last) * 1e-9;
        return -std::clamp(since, 0.0, blockSeconds());
    }
    std::string description() const override { return "No sound"; }
    bool isNull() const override { return true; }

private:
    double blockSeconds() const { return static_cast<double>(blockFrames()) / rate_; }
    std::size_t blockFrames() const { return static_cast<std::size_t>(rate_) / 200; }

    void suspend() override {
        std::lock_guard<std::mutex> lock(mutex_);
        suspended_ = true;
    }
    void resume() override {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            if (!suspended_) return;
            suspended_ = false;
        }
        lastRender_.store(std::chrono::duration_cast<std::chrono::nanoseconds>(
                              std::chrono::steady_clock::now().time_since_epoch())
                              .count(),
                          std::memory_order_relaxed);
        wake_.notify_all();
    }

    // Renders as much sound as real time has consumed, in blocks of 5 ms, sleeping until the next
    // block is due; while suspended it sleeps until resumed and counts time afresh from then.
    void run() {
        using Clock = std::chrono::steady_clock;
        auto begin = Clock::now();
        std::uint64_t rendered = 0;
        std::vector<float> block(2 * blockFrames());
        std::unique_lock<std::mutex> lock(mutex_);
        while (running_) {
            if (suspended_) {
                wake_.wait(lock, [this] { return !running_ || !suspended_; });
                begin = Clock::now();
                rendered = 0;
                continue;
            }
            lock.unlock();
            const double elapsed = std::chrono::duration<double>(Clock::now() - begin).count();
            const auto due = static_cast<std::uint64_t>(elapsed * rate_);
            // A wake-up that came late loses the time it slept through, as a real device that ran
            // dry does. Catching it up would hand out a burst of sound at once: a song started
            // just then would be "heard" faster than real time and end early.
            if (due > rendered + 2 * blockFrames()) rendered = (due / blockFrames() - 1) * blockFrames();
            while (rendered + blockFrames() <= due) {
                std::fill(block.begin(), block.end(), 0.0f);
                render_(block.data(), blockFrames());
                rendered += blockFrames();
                lastRender_.store(
                    std::chrono::duration_cast<std::chrono::nanoseconds>(
                        (begin + std::chrono::duration<double>(static_cast<double>(rendered) / rate_))
                            .time_since_epoch())
                        .count(),
                    std::memory_order_relaxed);
            }
            const auto nextDue =
                begin + std::chrono::duration<double>(static_cast<double>(rendered + blockFrames()) / rate_);
            lock.lock();
            wake_.wait_until(lock, std::chrono::time_point_cast<Clock::duration>(nextDue),
                             [this] { return !running_ || suspended_; });
        }
    }

    int rate_;
    RenderFunction render_;
    std::thread thread_;
    std::mutex mutex_;
    std::condition_variable wake_;
    bool running_ = false;
    bool suspended_ = false;
    std::atomic<std::int64_t> lastRender_{0};  // steady-clock nanoseconds at which the last block ends
};

class PortAudioOutput : public Output {
public:
    PortAudioOutput(int rate, RenderFunction render) : rate_(rate), render_(std::move(render)) {}
    ~PortAudioOutput() override {
        stop();
        if (stream_ != nullptr) Pa_CloseStream(stream_);
    }

    bool open() {
        if (!session_.ok()) return false;
        const PaDeviceIndex device = Pa_GetDefaultOutputDevice();
        if (device == paNoDevice) return false;
        const PaDeviceInfo* info = Pa_GetDeviceInfo(device);
        if (info == nullptr) return false;
        name_ = info->name != nullptr ? info->name : "Default output";
        PaStreamParameters parameters{};
        parameters.device = device;
        parameters.channelCount = 2;
        parameters.sampleFormat = paFloat32;
        // The device's high latency: at its low one, a stream through ALSA's plugin for a sound
        // server stops after a few callbacks.
        parameters.suggestedLatency = info->defaultHighOutputLatency;
        if (Pa_OpenStream(&stream_, nullptr, &parameters, rate_, paFramesPerBufferUnspecified, paNoFlag,
                          callback, this) != paNoError) {
            stream_ = nullptr;
            return false;
        }
        const PaStreamInfo* streamInfo = Pa_GetStreamInfo(stream_);
        latency_ = streamInfo != nullptr ? streamInfo->outputLatency : parameters.suggestedLatency;
        return true;
    }

    bool start() override {
        if (stream_ == nullptr) return false;
        if (Pa_IsStreamActive(stream_) == 1) return true;
        lastCallback_.store(now(), std::memory_order_relaxed);
        return Pa_StartStream(stream_) == paNoError;
    }
    void stop() override {
        // Aborted, not drained: a stream whose callbacks stopped would never drain.
        if (stream_ != nullptr && Pa_IsStreamStopped(stream_) == 0) Pa_AbortStream(stream_);
    }
    // The block handed over last starts playing after the device's latency and then plays for its
    // own length: until the next callback the position moves on smoothly instead of in blocks.
    double latencySeconds() const override {
        const double block = static_cast<double>(lastBlockFrames_.load(std::memory_order_relaxed)) / rate_;
        const double since = now() - lastCallback_.load(std::memory_order_relaxed);
        return latency_ + block - std::clamp(since, 0.0, block);
    }
    std::string description() const override { return name_; }
    bool isNull() const override { return false; }
    // The stream calls back every few milliseconds for as long as it runs, silence or not.
    bool failed() const override {
        return now() - lastCallback_.load(std::memory_order_relaxed) > std::max(1.5, 10 * latency_);
    }

private:
    static double now() {
        return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
    }
    static int callback(const void*, void* output, unsigned long frames, const PaStreamCallbackTimeInfo*,
                        PaStreamCallbackFlags, void* self) {
        auto* out = static_cast<float*>(output);
        std::fill(out, out + 2 * frames, 0.0f);
        auto* portAudio = static_cast<PortAudioOutput*>(self);
        portAudio->render_(out, frames);
        portAudio->lastBlockFrames_.store(frames, std::memory_order_relaxed);
        portAudio->lastCallback_.store(now(), std::memory_order_relaxed);
        return paContinue;
    }

    PortAudioSession session_;
    int rate_;
    RenderFunction render_;
    PaStream* stream_ = nullptr;
    double latency_ = 0;
    std::atomic<unsigned long> lastBlockFrames_{0};
    std::string name_;
    std::atomic<double> lastCallback_{0.0};
};

}  // namespace

std::unique_ptr<Output> openNullOutput(int rate, RenderFunction render) {
    return std::make_unique<NullOutput>(rate, std::move(render));
}

std::unique_ptr<Output> openSystemOutput(int rate, RenderFunction render) {
    bool hung = false;
    if (auto pulse = openPulseOutput(rate, render, &hung)) return pulse;
    if (hung) return nullptr;
    auto output = std::make_unique<PortAudioOutput>(rate, std::move(render));
    if (!output->open()) return nullptr;
    return output;
}

bool systemInputAvailable(std::string& name) {
    PortAudioSession session;
    if (!session.ok()) return false;
    const PaDeviceIndex device = Pa_GetDefaultInputDevice();
    if (device == paNoDevice) return false;
    const PaDeviceInfo* info = Pa_GetDeviceInfo(device);
    if (info == nullptr || info->maxInputChannels <= 0) return false;
    name = info->name != nullptr ? info->name : "Default input";
    return true;
}

}  // namespace engine
