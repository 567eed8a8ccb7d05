#include "Engine.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <thread>

namespace engine {

namespace {

// Said once per loss, on the standard error, so a user with broken sound is not left guessing.
std::atomic<bool> silenceTold{false};

void tellSilentDevice(const char* why) {
    if (!silenceTold.exchange(true))
        std::fprintf(stderr, "Quillon: %s; playing on the silent device.\n", why);
}

void tellSoundBack(const std::string& output) {
    if (silenceTold.exchange(false))
        std::fprintf(stderr, "Quillon: the sound output (%s) is back.\n", output.c_str());
}

}  // namespace

Engine& Engine::instance() {
    static Engine engine;
    return engine;
}

Engine::~Engine() {
    free();
    stopRecordings();
}

RenderFunction Engine::renderFunction() {
    return [this](float* out, std::size_t frames) { render(out, frames); };
}

bool Engine::onEngineThread() const {
    return std::this_thread::get_id() == decodeThreadId_.load() || syncs_.onDispatchThread();
}

int Engine::init(int deviceNumber, DWORD freq) {
    if (onEngineThread()) return BASS_ERROR_ALREADY;
    std::lock_guard<std::mutex> lifecycle(lifecycleMutex_);
    if (initialized()) return BASS_ERROR_ALREADY;
    const int rate = freq >= 8000 && freq <= 192000 ? static_cast<int>(freq) : 44100;
    outputRate_.store(rate);
    {
        std::lock_guard<std::mutex> mixing(mixMutex_);
        outputPaused_ = false;
        fired_.reserve(64);
    }
    std::unique_ptr<Output> output;
    bool probeLater = false;
    if (deviceNumber != 0) {
        // A sound server answers at once. Without one, the system's default device is probed on
        // the retry thread, a moment after start-up or at the first play: probing takes tens of
        // milliseconds of processor time that the program's first window should not compete
        // with, and the silent device plays meanwhile.
        output = openPulseOutput(rate, renderFunction());
        probeLater = !output;
    }
    if (!output) output = openNullOutput(rate, renderFunction());
    if (!output->start()) return BASS_ERROR_DRIVER;
    {
        std::lock_guard<std::mutex> lock(outputMutex_);
        // The device that plays: 0 when the silent device stands in for the one asked for.
        device_ = output->isNull() ? 0 : deviceNumber;
        wantedDevice_ = deviceNumber;
        outputSuspended_ = false;
        firstProbe_ = probeLater;
        firstProbeAt_ = std::chrono::steady_clock::now() + std::chrono::milliseconds(300);
        playRequested_.store(false);
        lastRetry_ = {};
        output_ = std::move(output);
    }
    syncs_.start();
    {
        std::lock_guard<std::mutex> wakeLock(decodeWakeMutex_);
        decodeRunning_ = true;
    }
    decodeThread_ = std::thread([this] { decodeLoop(); });
    decodeThreadId_.store(decodeThread_.get_id());
    initialized_.store(true, std::memory_order_release);
    return BASS_OK;
}

int Engine::free() {
    if (onEngineThread()) return BASS_ERROR_ALREADY;
    std::lock_guard<std::mutex> lifecycle(lifecycleMutex_);
    if (!initialized()) return BASS_ERROR_INIT;
    initialized_.store(false, std::memory_order_release);
    // The threads stop first, without any lock held: a callback of theirs may be inside the library.
    {
        std::lock_guard<std::mutex> wakeLock(decodeWakeMutex_);
        decodeRunning_ = false;
    }
    decodeWake_.notify_all();
    if (decodeThread_.joinable()) decodeThread_.join();
    decodeThreadId_.store(std::thread::id());
    joinRetry();
    std::unique_ptr<Output> closing;
    {
        std::lock_guard<std::mutex> lock(outputMutex_);
        closing = std::move(output_);
        device_ = -1;
    }
    if (closing) closing->stop();
    closing.reset();
    syncs_.stop();
    std::map<DWORD, std::shared_ptr<Channel>> freed;
    {
        std::lock_guard<std::mutex> lock(channelsMutex_);
        freed.swap(channels_);
    }
    {
        std::lock_guard<std::mutex> mixing(mixMutex_);
        mixed_.clear();
    }
    for (auto& entry : freed) entry.second->retire();
    return BASS_OK;
}

int Engine::device() const {
    std::lock_guard<std::mutex> lock(outputMutex_);
    return device_;
}

double Engine::outputLatencySeconds() const {
    std::lock_guard<std::mutex> lock(outputMutex_);
    return output_ ? output_->latencySeconds() : 0.0;
}

void Engine::setOutputPaused(bool paused) {
    {
        std::lock_guard<std::mutex> mixing(mixMutex_);
        outputPaused_ = paused;
    }
    if (paused) return;
    std::lock_guard<std::mutex> lock(outputMutex_);
    if (output_ && outputSuspended_) output_->resume();
    outputSuspended_ = false;
}

void Engine::channelStarted(const Channel& started, bool wasPlaying) {
    playRequested_.store(true);
    bool othersPlaying = false;
    {
        std::lock_guard<std::mutex> mixing(mixMutex_);
        for (const auto& channel : mixed_)
            othersPlaying = othersPlaying || (channel.get() != &started && channel->isPlaying());
    }
    {
        std::lock_guard<std::mutex> lock(outputMutex_);
        // Only from silence: what is queued then is silence, or at most the end of a sound that
        // has stopped. While anything plays, its queued sound is heard, and already counted.
        if (output_ && (outputSuspended_ || (!wasPlaying && !othersPlaying))) output_->resume();
        outputSuspended_ = false;
    }
    wakeDecoder();
}

bool Engine::anyChannelPlaying() const {
    std::lock_guard<std::mutex> mixing(mixMutex_);
    if (outputPaused_) return false;
    return std::any_of(mixed_.begin(), mixed_.end(),
                       [](const auto& channel) { return channel->isPlaying(); });
}

void Engine::setMasterVolume(DWORD volume) {
    std::lock_guard<std::mutex> mixing(mixMutex_);
    masterVolume_ = volume;
    mixSettings_.masterGain = std::min<DWORD>(volume, 100) / 100.0;
}

DWORD Engine::masterVolume() const {
    std::lock_guard<std::mutex> mixing(mixMutex_);
    return masterVolume_;
}

MixTimings Engine::mixTimings() const {
    return {mixCallbacks_.load(), lateMixCallbacks_.load(), worstMixSeconds_.load()};
}

void Engine::resetMixTimings() {
    mixCallbacks_.store(0);
    lateMixCallbacks_.store(0);
    worstMixSeconds_.store(0.0);
}

void Engine::setConfig(DWORD option, DWORD value) {
    {
        std::lock_guard<std::mutex> lock(configMutex_);
        config_[option] = value;
    }
    refreshMixSettings();
}

std::optional<DWORD> Engine::config(DWORD option) const {
    std::lock_guard<std::mutex> lock(configMutex_);
    const auto found = config_.find(option);
    if (found == config_.end()) return std::nullopt;
    return found->second;
}

void Engine::refreshMixSettings() {
    auto value = [this](DWORD option, DWORD fallback) { return config(option).value_or(fallback); };
    updatePeriodMilliseconds_.store(
        static_cast<int>(std::clamp<DWORD>(value(BASS_CONFIG_UPDATEPERIOD, 100), 5, 100)));
    floatDsp_.store(value(BASS_CONFIG_FLOATDSP, 0) != 0);
    const double streamGain = std::min<DWORD>(value(BASS_CONFIG_GVOL_STREAM, 100), 100) / 100.0;
    const double musicGain = std::min<DWORD>(value(BASS_CONFIG_GVOL_MUSIC, 100), 100) / 100.0;
    std::lock_guard<std::mutex> mixing(mixMutex_);
    mixSettings_.streamGain = streamGain;
    mixSettings_.musicGain = musicGain;
}

DWORD Engine::addChannel(Channel::Kind kind, std::unique_ptr<Decoder> decoder, DWORD flags) {
    return addChannel(reserveChannelHandle(), kind, std::move(decoder), flags);
}

DWORD Engine::addChannel(DWORD handle, Channel::Kind kind, std::unique_ptr<Decoder> decoder, DWORD flags) {
    auto channelPointer = std::make_shared<Channel>(handle, kind, std::move(decoder), flags, outputRate());
    {
        std::lock_guard<std::mutex> lock(channelsMutex_);
        channels_[handle] = channelPointer;
    }
    if (!channelPointer->isDecodeOnly()) {
        std::lock_guard<std::mutex> mixing(mixMutex_);
        mixed_.push_back(channelPointer);
    }
    wakeDecoder();
    return handle;
}

std::shared_ptr<Channel> Engine::channel(DWORD handle) const {
    std::lock_guard<std::mutex> lock(channelsMutex_);
    const auto found = channels_.find(handle);
    return found == channels_.end() ? nullptr : found->second;
}

bool Engine::removeChannel(DWORD handle, Channel::Kind kind) {
    std::shared_ptr<Channel> removed;
    {
        std::lock_guard<std::mutex> lock(channelsMutex_);
        const auto found = channels_.find(handle);
        if (found == channels_.end() || found->second->kind != kind) return false;
        removed = std::move(found->second);
        channels_.erase(found);
    }
    {
        std::lock_guard<std::mutex> mixing(mixMutex_);
        std::erase(mixed_, removed);
    }
    syncs_.forgetChannel(handle);
    // The decode thread may be reading the channel's source right now; once retired, it never
    // touches it again, so the caller may free the memory a stream was made from.
    removed->retire();
    return true;
}

void Engine::removeSync(Channel& channel, HSYNC sync) {
    syncs_.forgetSync(channel.handle, sync);
}

std::int64_t Engine::audibleFrame(const Channel& channel) const {
    return channel.heardFrame(outputLatencySeconds());
}

const char* Engine::keepString(int slot, std::string text) {
    std::lock_guard<std::mutex> lock(stringsMutex_);
    strings_[slot] = std::move(text);
    return strings_[slot].c_str();
}

void Engine::render(float* out, std::size_t frames) {
    const auto begin = std::chrono::steady_clock::now();
    {
        std::lock_guard<std::mutex> mixing(mixMutex_);
        if (outputPaused_) return;
        for (auto& channel : mixed_) channel->render(out, frames, mixSettings_, fired_);
        // Handed over once the loop is done; the sync thread calls them, so a sync may do anything.
        syncs_.post(fired_);
        fired_.clear();
    }
    const double spent = std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
    const double available = static_cast<double>(frames) / outputRate();
    // Smoothed share of real time spent mixing, in percent.
    const float now = static_cast<float>(100.0 * spent / available);
    cpuPercent_.store(cpuPercent_.load(std::memory_order_relaxed) * 0.95f + now * 0.05f,
                      std::memory_order_relaxed);
    mixCallbacks_.fetch_add(1, std::memory_order_relaxed);
    if (spent > available) lateMixCallbacks_.fetch_add(1, std::memory_order_relaxed);
    // Only the output's thread writes this.
    if (spent > worstMixSeconds_.load(std::memory_order_relaxed))
        worstMixSeconds_.store(spent, std::memory_order_relaxed);
}

void Engine::decodeLoop() {
    std::unique_lock<std::mutex> wakeLock(decodeWakeMutex_);
    while (decodeRunning_) {
        wakeLock.unlock();
        std::vector<std::shared_ptr<Channel>> snapshot;
        {
            std::lock_guard<std::mutex> lock(channelsMutex_);
            snapshot.reserve(channels_.size());
            for (auto& entry : channels_) snapshot.push_back(entry.second);
        }
        for (auto& channelPointer : snapshot) channelPointer->fillAhead(updatePeriodSeconds(), floatDsp());
        snapshot.clear();
        replaceFailedOutput();
        suspendIdleOutput();
        retryLostOutput();
        wakeLock.lock();
        // Each ring holds half a second; topping up every 50 ms (or when woken by a new channel,
        // a play or a seek) keeps it well ahead without waking often. With the output suspended
        // nothing is mixed, and a play wakes the loop.
        decodeWake_.wait_for(wakeLock, std::chrono::milliseconds(idle_ ? 250 : 50));
    }
}

void Engine::replaceFailedOutput() {
    std::unique_ptr<Output> failed;
    {
        std::lock_guard<std::mutex> lock(outputMutex_);
        if (!output_ || output_->isNull() || !output_->failed()) return;
        failed = std::move(output_);
        device_ = 0;
        output_ = openNullOutput(outputRate(), renderFunction());
        output_->start();
    }
    tellSilentDevice(("the sound output (" + failed->description() + ") stopped taking sound").c_str());
    failed->stop();
}

void Engine::suspendIdleOutput() {
    constexpr auto kIdleBeforeSuspend = std::chrono::milliseconds(600);
    const auto now = std::chrono::steady_clock::now();
    if (anyChannelPlaying()) {
        idle_ = false;
        return;
    }
    if (!idle_) {
        idle_ = true;
        idleSince_ = now;
        return;
    }
    // Long enough for the end of the last sound to leave the output's buffer.
    if (now - idleSince_ < kIdleBeforeSuspend) return;
    std::lock_guard<std::mutex> lock(outputMutex_);
    // A play may have come in meanwhile; it resumes under this lock, so check again here.
    if (!output_ || outputSuspended_ || anyChannelPlaying()) return;
    output_->suspend();
    outputSuspended_ = true;
}

void Engine::joinRetry() {
    if (retryThread_.joinable()) retryThread_.join();
    retrying_.store(false);
}

void Engine::retryLostOutput() {
    constexpr auto kRetryEvery = std::chrono::seconds(2);
    {
        std::lock_guard<std::mutex> lock(outputMutex_);
        if (wantedDevice_ == 0 || !output_ || !output_->isNull()) {
            playRequested_.store(false);
            return;
        }
    }
    if (retrying_.load()) return;
    const auto now = std::chrono::steady_clock::now();
    const bool played = playRequested_.exchange(false);
    const bool firstProbeDue = firstProbe_.load() && now >= firstProbeAt_;
    if (!played && !firstProbeDue && !(anyChannelPlaying() && now - lastRetry_ >= kRetryEvery)) return;
    // A play right after a failed try does not try again at once: a server that hangs takes a
    // second to give up on.
    if (now - lastRetry_ < std::chrono::milliseconds(500)) return;
    lastRetry_ = now;
    joinRetry();
    retrying_.store(true);
    retryThread_ = std::thread([this] {
        std::unique_ptr<Output> found = openSystemOutput(outputRate(), renderFunction());
        if (found && !found->start()) found.reset();
        if (firstProbe_.exchange(false) && !found) tellSilentDevice("no sound output could be opened");
        const std::string description = found ? found->description() : std::string();
        std::unique_ptr<Output> replaced;
        if (found) {
            std::lock_guard<std::mutex> lock(outputMutex_);
            if (output_ && output_->isNull() && initialized()) {
                if (outputSuspended_) found->suspend();
                replaced = std::move(output_);
                output_ = std::move(found);
                device_ = wantedDevice_;
            }
        }
        if (replaced) {
            replaced->stop();
            tellSoundBack(description);
        }
        retrying_.store(false);
    });
}

int Engine::recordInit() {
    // The input delivers silence whatever the system has, so nothing needs probing here: the
    // device's name is looked up when first asked for (probing takes tens of milliseconds, and a
    // program asks at start-up).
    std::lock_guard<std::mutex> lock(recordMutex_);
    if (recordInitialized_) return BASS_ERROR_ALREADY;
    recordDeviceName_.reset();
    recordInitialized_ = true;
    return BASS_OK;
}

int Engine::recordFree() {
    {
        std::lock_guard<std::mutex> lock(recordMutex_);
        if (!recordInitialized_) return BASS_ERROR_INIT;
        recordInitialized_ = false;
    }
    stopRecordings();
    return BASS_OK;
}

bool Engine::recordInitialized() const {
    std::lock_guard<std::mutex> lock(recordMutex_);
    return recordInitialized_;
}

std::string Engine::recordInputName() const {
    {
        std::lock_guard<std::mutex> lock(recordMutex_);
        if (recordDeviceName_) return *recordDeviceName_;
    }
    // Looked up outside the lock: it may take a while.
    std::string name;
    const std::string found = systemInputAvailable(name) ? name : "Silent input";
    std::lock_guard<std::mutex> lock(recordMutex_);
    if (!recordDeviceName_) recordDeviceName_ = found;
    return *recordDeviceName_;
}

bool Engine::startRecording(HRECORD handle, DWORD freq, DWORD chans, RECORDPROC proc, void* user) {
    // The input delivers silence in blocks of 50 ms (a null input, also standing in for devices
    // that cannot be opened), for as long as the callback asks for more.
    auto running = std::make_shared<std::atomic<bool>>(true);
    const DWORD frames = std::max<DWORD>(1, freq / 20);
    const std::size_t bytes = static_cast<std::size_t>(frames) * std::max<DWORD>(1, chans) * 2;
    std::thread thread([running, handle, proc, user, bytes] {
        std::vector<std::uint8_t> silence(bytes, 0);
        auto next = std::chrono::steady_clock::now();
        while (running->load()) {
            next += std::chrono::milliseconds(50);
            std::this_thread::sleep_until(next);
            if (!running->load()) break;
            if (proc != nullptr && !proc(handle, silence.data(), static_cast<DWORD>(silence.size()), user))
                break;
        }
    });
    std::lock_guard<std::mutex> lock(recordMutex_);
    recordings_.push_back({std::move(thread), running});
    return true;
}

void Engine::stopRecordings() {
    std::vector<Recording> stopping;
    {
        std::lock_guard<std::mutex> lock(recordMutex_);
        stopping.swap(recordings_);
    }
    for (Recording& recording : stopping) {
        recording.running->store(false);
        if (recording.thread.joinable()) recording.thread.join();
    }
}

}  // namespace engine
