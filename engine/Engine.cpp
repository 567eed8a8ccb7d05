#include "Engine.h"

#include <chrono>
#include <cmath>
#include <algorithm>
#include <cstdio>

namespace engine {

namespace {

// Said once per process, on the standard error, so a user with broken sound is not left guessing.
void tellSilentDevice(const char* why) {
    static std::atomic<bool> told{false};
    if (!told.exchange(true)) std::fprintf(stderr, "Quillon: %s; playing on the silent device.\n", why);
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

MixSettings Engine::mixSettings() const {
    auto value = [this](DWORD option, DWORD fallback) {
        const auto found = config.find(option);
        return found == config.end() ? fallback : found->second;
    };
    MixSettings settings;
    settings.streamGain = std::min<DWORD>(value(BASS_CONFIG_GVOL_STREAM, 100), 100) / 100.0;
    settings.musicGain = std::min<DWORD>(value(BASS_CONFIG_GVOL_MUSIC, 100), 100) / 100.0;
    settings.masterGain = std::min<DWORD>(masterVolume, 100) / 100.0;
    settings.floatDsp = value(BASS_CONFIG_FLOATDSP, 0) != 0;
    return settings;
}

double Engine::updatePeriodSeconds() const {
    const auto period = config.find(BASS_CONFIG_UPDATEPERIOD);
    return std::clamp<DWORD>(period == config.end() ? 100 : period->second, 5, 100) / 1000.0;
}

bool Engine::init(int deviceNumber, DWORD freq) {
    outputRate = freq >= 8000 && freq <= 192000 ? static_cast<int>(freq) : 44100;
    auto renderFunction = [this](float* out, std::size_t frames) { render(out, frames); };
    if (deviceNumber != 0) {
        output = openSystemOutput(outputRate, renderFunction);
        if (!output) tellSilentDevice("no sound output could be opened");
    }
    if (!output) output = openNullOutput(outputRate, renderFunction);
    if (!output->start()) {
        output.reset();
        return false;
    }
    // The device that plays: 0 when the silent device stands in for the one asked for.
    device = output->isNull() ? 0 : deviceNumber;
    initialized = true;
    outputPaused = false;
    {
        std::lock_guard<std::mutex> wakeLock(decodeWakeMutex_);
        decodeRunning_ = true;
    }
    decodeThread_ = std::thread([this] { decodeLoop(); });
    return true;
}

void Engine::free() {
    // Called without `lock`: the output and decode threads take it, so they are stopped first.
    std::unique_ptr<Output> closing;
    {
        std::lock_guard<std::recursive_mutex> guard(lock);
        if (!initialized) return;
        closing = std::move(output);
        initialized = false;
        device = -1;
    }
    {
        std::lock_guard<std::mutex> wakeLock(decodeWakeMutex_);
        decodeRunning_ = false;
    }
    decodeWake_.notify_all();
    if (closing) closing->stop();
    if (decodeThread_.joinable()) decodeThread_.join();
    closing.reset();
    std::lock_guard<std::recursive_mutex> guard(lock);
    for (auto& entry : channels_) entry.second->retire();
    channels_.clear();
}

DWORD Engine::addChannel(std::shared_ptr<Channel> channelPointer) {
    const DWORD handle = channelPointer->handle;
    channels_[handle] = std::move(channelPointer);
    wakeDecoder();
    return handle;
}

std::shared_ptr<Channel> Engine::channel(DWORD handle) const {
    const auto found = channels_.find(handle);
    return found == channels_.end() ? nullptr : found->second;
}

bool Engine::removeChannel(DWORD handle, Channel::Kind kind) {
    const auto found = channels_.find(handle);
    if (found == channels_.end() || found->second->kind != kind) return false;
    // The decode thread may be reading the channel's source right now; once retired, it never
    // touches it again, so the caller may free the memory a stream was made from.
    found->second->retire();
    channels_.erase(found);
    return true;
}

std::int64_t Engine::audibleFrame(const Channel& channel) const {
    std::int64_t frame = channel.consumedFrames();
    if (output && !channel.isDecodeOnly() && channel.state == PlayState::playing && !channel.stalled) {
        const double queued = output->latencySeconds() * channel.frequency;
        frame -= static_cast<std::int64_t>(std::llround(queued));
        if (channel.lengthFrames >= 0) frame = std::min(frame, channel.lengthFrames);
    }
    return std::max<std::int64_t>(0, frame);
}

void Engine::render(float* out, std::size_t frames) {
    const auto begin = std::chrono::steady_clock::now();
    std::vector<SyncEntry> fired;
    std::vector<DWORD> firedOn;  // the channel of each fired sync
    {
        std::lock_guard<std::recursive_mutex> guard(lock);
        if (outputPaused || !initialized) return;
        const MixSettings settings = mixSettings();
        for (auto& [handle, channel] : channels_) {
            if (channel->isDecodeOnly()) continue;
            channel->render(out, frames, settings, fired);
            firedOn.resize(fired.size(), handle);
        }
        // Called once the loop over the channels is done: a sync may free its own channel.
        for (std::size_t i = 0; i < fired.size(); ++i) fired[i].proc(fired[i].handle, firedOn[i], 0, fired[i].user);
    }
    const double spent = std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
    const double available = static_cast<double>(frames) / outputRate;
    // Smoothed share of real time spent mixing (with the effect routines), in percent.
    const float now = static_cast<float>(100.0 * spent / available);
    cpuPercent_.store(cpuPercent_.load(std::memory_order_relaxed) * 0.95f + now * 0.05f, std::memory_order_relaxed);
}

void Engine::decodeLoop() {
    std::unique_lock<std::mutex> wakeLock(decodeWakeMutex_);
    while (decodeRunning_) {
        wakeLock.unlock();
        std::vector<std::shared_ptr<Channel>> snapshot;
        double blockSeconds = 0.1;
        bool floatDsp = false;
        {
            std::lock_guard<std::recursive_mutex> guard(lock);
            for (auto& entry : channels_) snapshot.push_back(entry.second);
            blockSeconds = updatePeriodSeconds();
            floatDsp = mixSettings().floatDsp;
        }
        for (auto& channelPointer : snapshot) channelPointer->fillAhead(blockSeconds, floatDsp);
        snapshot.clear();
        replaceFailedOutput();
        wakeLock.lock();
        // Each ring holds half a second; topping up every 50 ms (or when woken by a new channel,
        // a play or a seek) keeps it well ahead without waking often.
        decodeWake_.wait_for(wakeLock, std::chrono::milliseconds(50));
    }
}

void Engine::replaceFailedOutput() {
    std::unique_ptr<Output> failed;
    {
        std::lock_guard<std::recursive_mutex> guard(lock);
        if (!initialized || !output || output->isNull() || !output->failed()) return;
        failed = std::move(output);
        device = 0;
        output = openNullOutput(outputRate, [this](float* out, std::size_t frames) { render(out, frames); });
        output->start();
    }
    tellSilentDevice(("the sound output (" + failed->description() + ") stopped taking sound").c_str());
    // Outside the lock: its thread may be waiting for it.
    failed->stop();
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
            if (proc != nullptr && !proc(handle, silence.data(), static_cast<DWORD>(silence.size()), user)) break;
        }
    });
    recordings_.push_back({std::move(thread), running});
    return true;
}

void Engine::stopRecordings() {
    for (Recording& recording : recordings_) {
        recording.running->store(false);
        if (recording.thread.joinable()) recording.thread.join();
    }
    recordings_.clear();
}

}  // namespace engine
