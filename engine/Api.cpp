// The exported functions. Each takes the engine lock, checks its arguments and handles, leaves an
// error code, and never lets an exception out.

#include <algorithm>
#include <cmath>
#include <cstring>

#include "Engine.h"
#include "Fft.h"

using namespace engine;

#define EXPORT extern "C" __attribute__((visibility("default")))

namespace {

Engine& E() { return Engine::instance(); }

template <typename T>
T fail(int code, T value) {
    E().setError(code);
    return value;
}

template <typename T>
T succeed(T value) {
    E().setError(BASS_OK);
    return value;
}

constexpr DWORD kFailDword = static_cast<DWORD>(-1);
constexpr QWORD kFailQword = static_cast<QWORD>(-1);

// The channel for a handle, or null with the error set. The caller holds the lock.
std::shared_ptr<Channel> lookup(DWORD handle) {
    if (!E().initialized) {
        E().setError(BASS_ERROR_INIT);
        return nullptr;
    }
    auto channel = E().channel(handle);
    if (!channel) E().setError(BASS_ERROR_HANDLE);
    return channel;
}

std::shared_ptr<Channel> lookupMusic(DWORD handle) {
    auto channel = lookup(handle);
    if (channel && channel->kind != Channel::Kind::music) {
        E().setError(BASS_ERROR_HANDLE);
        return nullptr;
    }
    return channel;
}

HSTREAM addStream(std::unique_ptr<Decoder> decoder, DWORD flags) {
    const DWORD handle = E().nextChannelHandle();
    auto channel = std::make_shared<Channel>(handle, Channel::Kind::stream, std::move(decoder), flags, E().outputRate);
    E().addChannel(std::move(channel));
    return succeed(handle);
}

bool initializedNow() {
    std::lock_guard<std::recursive_mutex> guard(E().lock);
    return E().initialized;
}

int outputRateNow() {
    std::lock_guard<std::recursive_mutex> guard(E().lock);
    return E().outputRate;
}

// A file (a region of it) or the caller's memory; null with the error set when it cannot be had.
std::unique_ptr<DataSource> openSource(BOOL mem, const void* file, QWORD offset, QWORD length, int& error) {
    if (mem) {
        error = length == 0 ? BASS_ERROR_ILLPARAM : BASS_OK;
        if (length == 0) return nullptr;
        return openMemorySource(static_cast<const std::uint8_t*>(file) + offset, length);
    }
    return openFileSource(static_cast<const char*>(file), offset, length, error);
}

QWORD framesToBytes(const Channel& channel, std::int64_t frames) {
    return static_cast<QWORD>(std::max<std::int64_t>(0, frames)) * static_cast<QWORD>(channel.bytesPerFrame());
}

}  // namespace

// ---------------------------------------------------------------- global

EXPORT DWORD BASS_SetConfig(DWORD option, DWORD value) {
    return guarded<DWORD>(kFailDword, [&] {
        std::lock_guard<std::recursive_mutex> guard(E().lock);
        if (option == BASS_CONFIG_GVOL_STREAM || option == BASS_CONFIG_GVOL_MUSIC || option == BASS_CONFIG_GVOL_SAMPLE) {
            value = std::min<DWORD>(value, 100);
        }
        if (option > 64) return fail(BASS_ERROR_ILLTYPE, kFailDword);
        E().config[option] = value;
        return succeed(value);
    });
}

EXPORT DWORD BASS_GetConfig(DWORD option) {
    return guarded<DWORD>(kFailDword, [&] {
        std::lock_guard<std::recursive_mutex> guard(E().lock);
        const auto found = E().config.find(option);
        if (found != E().config.end()) return succeed(found->second);
        switch (option) {
            case BASS_CONFIG_BUFFER: return succeed<DWORD>(500);
            case BASS_CONFIG_UPDATEPERIOD: return succeed<DWORD>(100);
            case BASS_CONFIG_GVOL_SAMPLE:
            case BASS_CONFIG_GVOL_STREAM:
            case BASS_CONFIG_GVOL_MUSIC: return succeed<DWORD>(100);
            case BASS_CONFIG_FLOATDSP: return succeed<DWORD>(0);
            default: return fail(BASS_ERROR_ILLTYPE, kFailDword);
        }
    });
}

EXPORT DWORD BASS_GetVersion(void) { return BASS_VERSION; }

EXPORT const char* BASS_GetDeviceDescription(DWORD device) {
    return guarded<const char*>(nullptr, [&]() -> const char* {
        std::lock_guard<std::recursive_mutex> guard(E().lock);
        if (device == 0) return succeed("No sound");
        if (device == 1) return succeed("Default output");
        return fail<const char*>(BASS_ERROR_DEVICE, nullptr);
    });
}

EXPORT int BASS_ErrorGetCode(void) { return E().error(); }

EXPORT BOOL BASS_Init(int device, DWORD freq, DWORD /*flags*/, void* /*window*/, const void* /*clsid*/) {
    return guarded<BOOL>(0, [&] {
        std::lock_guard<std::recursive_mutex> guard(E().lock);
        if (E().initialized) return fail(BASS_ERROR_ALREADY, 0);
        if (device < -1 || device > 1) return fail(BASS_ERROR_DEVICE, 0);
        if (!E().init(device == -1 ? 1 : device, freq)) return fail(BASS_ERROR_DRIVER, 0);
        return succeed(1);
    });
}

EXPORT BOOL BASS_SetDevice(DWORD device) {
    std::lock_guard<std::recursive_mutex> guard(E().lock);
    if (!E().initialized) return fail(BASS_ERROR_INIT, 0);
    if (static_cast<int>(device) != E().device) return fail(BASS_ERROR_DEVICE, 0);
    return succeed(1);
}

EXPORT DWORD BASS_GetDevice(void) {
    std::lock_guard<std::recursive_mutex> guard(E().lock);
    if (!E().initialized) return fail(BASS_ERROR_INIT, kFailDword);
    return succeed(static_cast<DWORD>(E().device));
}

EXPORT BOOL BASS_Free(void) {
    return guarded<BOOL>(0, [] {
        {
            std::lock_guard<std::recursive_mutex> guard(E().lock);
            if (!E().initialized) return fail(BASS_ERROR_INIT, 0);
        }
        E().free();
        return succeed(1);
    });
}

EXPORT void* BASS_GetDSoundObject(DWORD) { return fail<void*>(BASS_ERROR_NOTAVAIL, nullptr); }

EXPORT BOOL BASS_GetInfo(BASS_INFO* info) {
    std::lock_guard<std::recursive_mutex> guard(E().lock);
    if (!E().initialized) return fail(BASS_ERROR_INIT, 0);
    if (info == nullptr) return fail(BASS_ERROR_ILLPARAM, 0);
    std::memset(info, 0, sizeof *info);
    info->size = sizeof *info;
    info->minrate = 100;
    info->maxrate = 100000;
    info->minbuf = 20;
    info->latency = static_cast<DWORD>(std::lround(E().output ? E().output->latencySeconds() * 1000 : 0));
    info->speakers = 2;
    info->freq = static_cast<DWORD>(E().outputRate);
    return succeed(1);
}

EXPORT BOOL BASS_Update(void) {
    std::lock_guard<std::recursive_mutex> guard(E().lock);
    if (!E().initialized) return fail(BASS_ERROR_INIT, 0);
    E().wakeDecoder();
    return succeed(1);
}

EXPORT float BASS_GetCPU(void) { return E().cpuPercent(); }

EXPORT BOOL BASS_Start(void) {
    std::lock_guard<std::recursive_mutex> guard(E().lock);
    if (!E().initialized) return fail(BASS_ERROR_INIT, 0);
    E().outputPaused = false;
    return succeed(1);
}

EXPORT BOOL BASS_Stop(void) {
    std::lock_guard<std::recursive_mutex> guard(E().lock);
    if (!E().initialized) return fail(BASS_ERROR_INIT, 0);
    // Stops the output; the channels keep their positions.
    E().outputPaused = true;
    return succeed(1);
}

EXPORT BOOL BASS_Pause(void) {
    std::lock_guard<std::recursive_mutex> guard(E().lock);
    if (!E().initialized) return fail(BASS_ERROR_INIT, 0);
    E().outputPaused = true;
    return succeed(1);
}

EXPORT BOOL BASS_SetVolume(DWORD volume) {
    std::lock_guard<std::recursive_mutex> guard(E().lock);
    if (!E().initialized) return fail(BASS_ERROR_INIT, 0);
    if (volume > 100) return fail(BASS_ERROR_ILLPARAM, 0);
    E().masterVolume = volume;
    return succeed(1);
}

EXPORT DWORD BASS_GetVolume(void) {
    std::lock_guard<std::recursive_mutex> guard(E().lock);
    if (!E().initialized) return fail(BASS_ERROR_INIT, kFailDword);
    return succeed(E().masterVolume);
}

// ---------------------------------------------------------------- 3D and EAX: not available

EXPORT BOOL BASS_Set3DFactors(float, float, float) { return fail(BASS_ERROR_NO3D, 0); }
EXPORT BOOL BASS_Get3DFactors(float*, float*, float*) { return fail(BASS_ERROR_NO3D, 0); }
EXPORT BOOL BASS_Set3DPosition(const BASS_3DVECTOR*, const BASS_3DVECTOR*, const BASS_3DVECTOR*,
                               const BASS_3DVECTOR*) {
    return fail(BASS_ERROR_NO3D, 0);
}
EXPORT BOOL BASS_Get3DPosition(BASS_3DVECTOR*, BASS_3DVECTOR*, BASS_3DVECTOR*, BASS_3DVECTOR*) {
    return fail(BASS_ERROR_NO3D, 0);
}
EXPORT void BASS_Apply3D(void) { E().setError(BASS_ERROR_NO3D); }
EXPORT BOOL BASS_SetEAXParameters(int, float, float, float) { return fail(BASS_ERROR_NOEAX, 0); }
EXPORT BOOL BASS_GetEAXParameters(DWORD*, float*, float*, float*) { return fail(BASS_ERROR_NOEAX, 0); }

// ---------------------------------------------------------------- musics

EXPORT HMUSIC BASS_MusicLoad(BOOL mem, const void* file, DWORD offset, DWORD length, DWORD flags, DWORD freq) {
    return guarded<HMUSIC>(0, [&] {
        if (!initializedNow()) return fail<HMUSIC>(BASS_ERROR_INIT, 0);
        if (file == nullptr) return fail<HMUSIC>(BASS_ERROR_ILLPARAM, 0);
        // Read and opened before the engine lock is taken: the mixer needs that lock.
        int error = BASS_OK;
        auto source = openSource(mem, file, offset, length, error);
        if (!source) return fail<HMUSIC>(error, 0);
        const int rate = freq >= 8000 && freq <= 192000 ? static_cast<int>(freq) : outputRateNow();
        auto decoder = openMusicDecoder(std::move(source), rate, (flags & (BASS_MUSIC_RAMP | BASS_MUSIC_RAMPS)) != 0, error);
        if (!decoder) return fail<HMUSIC>(error, 0);
        std::lock_guard<std::recursive_mutex> guard(E().lock);
        if (!E().initialized) return fail<HMUSIC>(BASS_ERROR_INIT, 0);
        const DWORD handle = E().nextChannelHandle();
        E().addChannel(std::make_shared<Channel>(handle, Channel::Kind::music, std::move(decoder), flags, E().outputRate));
        return succeed(handle);
    });
}

EXPORT BOOL BASS_MusicFree(HMUSIC handle) {
    return guarded<BOOL>(0, [&] {
        std::lock_guard<std::recursive_mutex> guard(E().lock);
        if (!E().initialized) return fail(BASS_ERROR_INIT, 0);
        if (!E().removeChannel(handle, Channel::Kind::music)) return fail(BASS_ERROR_HANDLE, 0);
        return succeed(1);
    });
}

EXPORT const char* BASS_MusicGetName(HMUSIC handle) {
    return guarded<const char*>(nullptr, [&]() -> const char* {
        std::lock_guard<std::recursive_mutex> guard(E().lock);
        auto channel = lookupMusic(handle);
        if (!channel) return nullptr;
        std::lock_guard<std::mutex> decodeLock(channel->decodeMutex);
        E().scratchString(0) = channel->music()->name();
        return succeed(E().scratchString(0).c_str());
    });
}

EXPORT QWORD BASS_MusicGetLength(HMUSIC handle, BOOL playlen) {
    return guarded<QWORD>(kFailQword, [&] {
        std::lock_guard<std::recursive_mutex> guard(E().lock);
        auto channel = lookupMusic(handle);
        if (!channel) return kFailQword;
        std::lock_guard<std::mutex> decodeLock(channel->decodeMutex);
        if (!playlen) return succeed(static_cast<QWORD>(channel->music()->orderCount()));
        if (!(channel->flags & BASS_MUSIC_CALCLEN)) return fail(BASS_ERROR_NOTAVAIL, kFailQword);
        return succeed(framesToBytes(*channel, channel->lengthFrames));
    });
}

EXPORT DWORD BASS_MusicSetAttribute(HMUSIC handle, DWORD attrib, DWORD value) {
    return guarded<DWORD>(kFailDword, [&] {
        std::lock_guard<std::recursive_mutex> guard(E().lock);
        auto channel = lookupMusic(handle);
        if (!channel) return kFailDword;
        std::lock_guard<std::mutex> decodeLock(channel->decodeMutex);
        MusicDecoder* music = channel->music();
        if (music == nullptr) return fail(BASS_ERROR_HANDLE, kFailDword);
        if (attrib == BASS_MUSIC_ATTRIB_SPEED) {
            if (!music->setSpeed(static_cast<int>(value))) return fail(BASS_ERROR_ILLPARAM, kFailDword);
            return succeed(value);
        }
        if (attrib >= BASS_MUSIC_ATTRIB_VOL_CHAN && attrib < BASS_MUSIC_ATTRIB_VOL_INST) {
            const int index = static_cast<int>(attrib - BASS_MUSIC_ATTRIB_VOL_CHAN);
            if (!music->setChannelVolume(index, static_cast<int>(std::min<DWORD>(value, 100)))) {
                return fail(BASS_ERROR_ILLTYPE, kFailDword);
            }
            return succeed(value);
        }
        return fail(BASS_ERROR_ILLTYPE, kFailDword);
    });
}

EXPORT DWORD BASS_MusicGetAttribute(HMUSIC handle, DWORD attrib) {
    return guarded<DWORD>(kFailDword, [&] {
        std::lock_guard<std::recursive_mutex> guard(E().lock);
        auto channel = lookupMusic(handle);
        if (!channel) return kFailDword;
        std::lock_guard<std::mutex> decodeLock(channel->decodeMutex);
        MusicDecoder* music = channel->music();
        if (music == nullptr) return fail(BASS_ERROR_HANDLE, kFailDword);
        if (attrib == BASS_MUSIC_ATTRIB_SPEED) return succeed(static_cast<DWORD>(music->speed()));
        if (attrib >= BASS_MUSIC_ATTRIB_VOL_CHAN && attrib < BASS_MUSIC_ATTRIB_VOL_INST) {
            int volume = 0;
            if (!music->channelVolume(static_cast<int>(attrib - BASS_MUSIC_ATTRIB_VOL_CHAN), volume)) {
                return fail(BASS_ERROR_ILLTYPE, kFailDword);
            }
            return succeed(static_cast<DWORD>(volume));
        }
        return fail(BASS_ERROR_ILLTYPE, kFailDword);
    });
}

// ---------------------------------------------------------------- samples: not available

EXPORT HSAMPLE BASS_SampleLoad(BOOL, const void*, DWORD, DWORD, DWORD, DWORD) {
    return fail<HSAMPLE>(BASS_ERROR_NOTAVAIL, 0);
}
EXPORT void* BASS_SampleCreate(DWORD, DWORD, DWORD, DWORD) { return fail<void*>(BASS_ERROR_NOTAVAIL, nullptr); }
EXPORT HSAMPLE BASS_SampleCreateDone(void) { return fail<HSAMPLE>(BASS_ERROR_NOTAVAIL, 0); }
EXPORT BOOL BASS_SampleFree(HSAMPLE) { return fail(BASS_ERROR_HANDLE, 0); }
EXPORT BOOL BASS_SampleGetInfo(HSAMPLE, BASS_SAMPLE*) { return fail(BASS_ERROR_HANDLE, 0); }
EXPORT BOOL BASS_SampleSetInfo(HSAMPLE, const BASS_SAMPLE*) { return fail(BASS_ERROR_HANDLE, 0); }
EXPORT HCHANNEL BASS_SampleGetChannel(HSAMPLE, BOOL) { return fail<HCHANNEL>(BASS_ERROR_HANDLE, 0); }
EXPORT BOOL BASS_SampleStop(HSAMPLE) { return fail(BASS_ERROR_HANDLE, 0); }

// ---------------------------------------------------------------- streams

EXPORT HSTREAM BASS_StreamCreate(DWORD freq, DWORD chans, DWORD flags, STREAMPROC proc, void* user) {
    return guarded<HSTREAM>(0, [&] {
        std::lock_guard<std::recursive_mutex> guard(E().lock);
        if (!E().initialized) return fail<HSTREAM>(BASS_ERROR_INIT, 0);
        if (proc == nullptr || chans == 0 || chans > 8) return fail<HSTREAM>(BASS_ERROR_ILLPARAM, 0);
        if (freq < 100 || freq > 192000) return fail<HSTREAM>(BASS_ERROR_FREQ, 0);
        const DWORD handle = E().nextChannelHandle();
        auto decoder = openCallbackDecoder(freq, chans, flags, proc, user, handle);
        E().addChannel(std::make_shared<Channel>(handle, Channel::Kind::stream, std::move(decoder), flags, E().outputRate));
        return succeed(handle);
    });
}

EXPORT HSTREAM BASS_StreamCreateFile(BOOL mem, const void* file, QWORD offset, QWORD length, DWORD flags) {
    return guarded<HSTREAM>(0, [&] {
        if (!initializedNow()) return fail<HSTREAM>(BASS_ERROR_INIT, 0);
        if (file == nullptr) return fail<HSTREAM>(BASS_ERROR_ILLPARAM, 0);
        // Opened (an mp3 without an info header scanned) before the engine lock is taken: the
        // mixer needs that lock.
        int error = BASS_OK;
        auto source = openSource(mem, file, offset, length, error);
        if (!source) return fail<HSTREAM>(error, 0);
        auto decoder = openStreamDecoder(std::move(source), error);
        if (!decoder) return fail<HSTREAM>(error, 0);
        std::lock_guard<std::recursive_mutex> guard(E().lock);
        if (!E().initialized) return fail<HSTREAM>(BASS_ERROR_INIT, 0);
        return addStream(std::move(decoder), flags);
    });
}

EXPORT HSTREAM BASS_StreamCreateURL(const char*, DWORD, DWORD, void*, void*) {
    return fail<HSTREAM>(BASS_ERROR_NONET, 0);
}

EXPORT HSTREAM BASS_StreamCreateFileUser(BOOL /*buffered*/, DWORD flags, const BASS_FILEPROCS* procs, void* user) {
    return guarded<HSTREAM>(0, [&] {
        if (!initializedNow()) return fail<HSTREAM>(BASS_ERROR_INIT, 0);
        if (procs == nullptr || procs->read == nullptr) return fail<HSTREAM>(BASS_ERROR_ILLPARAM, 0);
        // The caller's callbacks run without the engine lock: they may call the library, and the
        // mixer goes on meanwhile.
        int error = BASS_OK;
        auto decoder = openStreamDecoder(openCallbackSource(*procs, user), error);
        if (!decoder) return fail<HSTREAM>(error, 0);
        std::lock_guard<std::recursive_mutex> guard(E().lock);
        if (!E().initialized) return fail<HSTREAM>(BASS_ERROR_INIT, 0);
        return addStream(std::move(decoder), flags);
    });
}

EXPORT BOOL BASS_StreamFree(HSTREAM handle) {
    return guarded<BOOL>(0, [&] {
        std::lock_guard<std::recursive_mutex> guard(E().lock);
        if (!E().initialized) return fail(BASS_ERROR_INIT, 0);
        if (!E().removeChannel(handle, Channel::Kind::stream)) return fail(BASS_ERROR_HANDLE, 0);
        return succeed(1);
    });
}

EXPORT QWORD BASS_StreamGetLength(HSTREAM handle) {
    std::lock_guard<std::recursive_mutex> guard(E().lock);
    auto channel = lookup(handle);
    if (!channel) return kFailQword;
    if (channel->kind != Channel::Kind::stream) return fail(BASS_ERROR_HANDLE, kFailQword);
    if (channel->lengthFrames < 0) return fail(BASS_ERROR_NOTAVAIL, kFailQword);
    return succeed(framesToBytes(*channel, channel->lengthFrames));
}

EXPORT const char* BASS_StreamGetTags(HSTREAM handle, DWORD tags) {
    return guarded<const char*>(nullptr, [&]() -> const char* {
        std::lock_guard<std::recursive_mutex> guard(E().lock);
        auto channel = lookup(handle);
        if (!channel) return nullptr;
        std::string text;
        if (!channel->tags(tags, text)) return fail<const char*>(BASS_ERROR_NOTAVAIL, nullptr);
        text.push_back('\0');  // the list of strings ends with an empty one
        E().scratchString(1) = std::move(text);
        return succeed(E().scratchString(1).c_str());
    });
}

EXPORT QWORD BASS_StreamGetFilePosition(HSTREAM handle, DWORD mode) {
    std::lock_guard<std::recursive_mutex> guard(E().lock);
    auto channel = lookup(handle);
    if (!channel) return kFailQword;
    switch (mode) {
        case BASS_FILEPOS_DECODE: return succeed<QWORD>(channel->sourcePosition());
        case BASS_FILEPOS_DOWNLOAD:
        case BASS_FILEPOS_END: return succeed<QWORD>(channel->sourceSize());
        default: return fail(BASS_ERROR_ILLPARAM, kFailQword);
    }
}

// ---------------------------------------------------------------- recording

EXPORT const char* BASS_RecordGetDeviceDescription(DWORD device) {
    std::lock_guard<std::recursive_mutex> guard(E().lock);
    if (device != 0) return fail<const char*>(BASS_ERROR_DEVICE, nullptr);
    std::string name;
    E().scratchString(2) = systemInputAvailable(name) ? name : "Silent input";
    return succeed(E().scratchString(2).c_str());
}

EXPORT BOOL BASS_RecordInit(int device) {
    return guarded<BOOL>(0, [&] {
        std::lock_guard<std::recursive_mutex> guard(E().lock);
        if (E().recordInitialized) return fail(BASS_ERROR_ALREADY, 0);
        if (device != 0 && device != -1) return fail(BASS_ERROR_DEVICE, 0);
        std::string name;
        E().recordDeviceName = systemInputAvailable(name) ? name : "Silent input";
        E().recordDevice = 0;
        E().recordInitialized = true;
        return succeed(1);
    });
}

EXPORT BOOL BASS_RecordSetDevice(DWORD device) {
    std::lock_guard<std::recursive_mutex> guard(E().lock);
    if (!E().recordInitialized) return fail(BASS_ERROR_INIT, 0);
    if (device != 0) return fail(BASS_ERROR_DEVICE, 0);
    return succeed(1);
}

EXPORT DWORD BASS_RecordGetDevice(void) {
    std::lock_guard<std::recursive_mutex> guard(E().lock);
    if (!E().recordInitialized) return fail(BASS_ERROR_INIT, kFailDword);
    return succeed<DWORD>(0);
}

EXPORT BOOL BASS_RecordFree(void) {
    return guarded<BOOL>(0, [] {
        std::lock_guard<std::recursive_mutex> guard(E().lock);
        if (!E().recordInitialized) return fail(BASS_ERROR_INIT, 0);
        E().stopRecordings();
        E().recordInitialized = false;
        E().recordDevice = -1;
        return succeed(1);
    });
}

EXPORT BOOL BASS_RecordGetInfo(BASS_RECORDINFO* info) {
    std::lock_guard<std::recursive_mutex> guard(E().lock);
    if (!E().recordInitialized) return fail(BASS_ERROR_INIT, 0);
    if (info == nullptr) return fail(BASS_ERROR_ILLPARAM, 0);
    std::memset(info, 0, sizeof *info);
    info->size = sizeof *info;
    info->inputs = 1;
    info->singlein = 1;
    info->freq = 44100;
    return succeed(1);
}

EXPORT const char* BASS_RecordGetInputName(int input) {
    std::lock_guard<std::recursive_mutex> guard(E().lock);
    if (!E().recordInitialized) return fail<const char*>(BASS_ERROR_INIT, nullptr);
    if (input != 0) return fail<const char*>(BASS_ERROR_ILLPARAM, nullptr);
    E().scratchString(3) = E().recordDeviceName;
    return succeed(E().scratchString(3).c_str());
}

EXPORT BOOL BASS_RecordSetInput(int input, DWORD) {
    std::lock_guard<std::recursive_mutex> guard(E().lock);
    if (!E().recordInitialized) return fail(BASS_ERROR_INIT, 0);
    if (input != 0 && input != -1) return fail(BASS_ERROR_ILLPARAM, 0);
    return succeed(1);
}

EXPORT DWORD BASS_RecordGetInput(int input) {
    std::lock_guard<std::recursive_mutex> guard(E().lock);
    if (!E().recordInitialized) return fail(BASS_ERROR_INIT, kFailDword);
    if (input != 0 && input != -1) return fail(BASS_ERROR_ILLPARAM, kFailDword);
    return succeed<DWORD>(100);
}

EXPORT HRECORD BASS_RecordStart(DWORD freq, DWORD flags, RECORDPROC proc, void* user) {
    return guarded<HRECORD>(0, [&] {
        std::lock_guard<std::recursive_mutex> guard(E().lock);
        if (!E().recordInitialized) return fail<HRECORD>(BASS_ERROR_INIT, 0);
        if (freq < 100 || freq > 192000) return fail<HRECORD>(BASS_ERROR_FREQ, 0);
        const DWORD chans = (flags & BASS_SAMPLE_MONO) ? 1 : 2;
        const HRECORD handle = E().nextChannelHandle();
        if (!E().startRecording(handle, freq, chans, proc, user)) return fail<HRECORD>(BASS_ERROR_START, 0);
        return succeed(handle);
    });
}

// ---------------------------------------------------------------- channels

EXPORT float BASS_ChannelBytes2Seconds(DWORD handle, QWORD pos) {
    std::lock_guard<std::recursive_mutex> guard(E().lock);
    auto channel = lookup(handle);
    if (!channel) return -1.0f;
    const double frames = static_cast<double>(pos / static_cast<QWORD>(channel->bytesPerFrame()));
    return succeed(static_cast<float>(frames / channel->sourceRate));
}

EXPORT QWORD BASS_ChannelSeconds2Bytes(DWORD handle, float pos) {
    std::lock_guard<std::recursive_mutex> guard(E().lock);
    auto channel = lookup(handle);
    if (!channel) return kFailQword;
    if (!(pos >= 0.0f)) return fail(BASS_ERROR_ILLPARAM, kFailQword);
    const auto frames = static_cast<std::int64_t>(std::floor(static_cast<double>(pos) * channel->sourceRate + 1e-6));
    return succeed(framesToBytes(*channel, frames));
}

EXPORT DWORD BASS_ChannelGetDevice(DWORD handle) {
    std::lock_guard<std::recursive_mutex> guard(E().lock);
    if (!lookup(handle)) return kFailDword;
    return succeed(static_cast<DWORD>(E().device));
}

EXPORT DWORD BASS_ChannelIsActive(DWORD handle) {
    std::lock_guard<std::recursive_mutex> guard(E().lock);
    auto channel = lookup(handle);
    if (!channel) return BASS_ACTIVE_STOPPED;
    E().setError(BASS_OK);
    switch (channel->state) {
        case PlayState::playing: return channel->stalled ? BASS_ACTIVE_STALLED : BASS_ACTIVE_PLAYING;
        case PlayState::paused: return BASS_ACTIVE_PAUSED;
        default: return BASS_ACTIVE_STOPPED;
    }
}

EXPORT BOOL BASS_ChannelGetInfo(DWORD handle, BASS_CHANNELINFO* info) {
    std::lock_guard<std::recursive_mutex> guard(E().lock);
    auto channel = lookup(handle);
    if (!channel) return 0;
    if (info == nullptr) return fail(BASS_ERROR_ILLPARAM, 0);
    info->freq = static_cast<DWORD>(channel->sourceRate);
    info->chans = static_cast<DWORD>(channel->sourceChannels);
    info->flags = channel->flags;
    info->ctype = channel->channelType;
    return succeed(1);
}

EXPORT DWORD BASS_ChannelSetFlags(DWORD handle, DWORD) {
    std::lock_guard<std::recursive_mutex> guard(E().lock);
    auto channel = lookup(handle);
    if (!channel) return kFailDword;
    return succeed(channel->flags);
}

EXPORT BOOL BASS_ChannelPreBuf(DWORD handle) {
    std::shared_ptr<Channel> channel;
    double blockSeconds = 0.1;
    bool floatDsp = false;
    {
        std::lock_guard<std::recursive_mutex> guard(E().lock);
        channel = lookup(handle);
        if (!channel) return 0;
        blockSeconds = E().updatePeriodSeconds();
        floatDsp = E().mixSettings().floatDsp;
    }
    channel->fillAhead(blockSeconds, floatDsp);
    return succeed(1);
}

EXPORT BOOL BASS_ChannelPlay(DWORD handle, BOOL restart) {
    return guarded<BOOL>(0, [&] {
        std::lock_guard<std::recursive_mutex> guard(E().lock);
        auto channel = lookup(handle);
        if (!channel) return 0;
        if (channel->isDecodeOnly()) return fail(BASS_ERROR_DECODE, 0);
        if (restart) {
            if (!channel->seekFrame(0)) return fail(BASS_ERROR_POSITION, 0);
        } else if (channel->state == PlayState::playing) {
            return succeed(1);
        }
        channel->state = PlayState::playing;
        channel->stalled = false;
        E().wakeDecoder();
        return succeed(1);
    });
}

EXPORT BOOL BASS_ChannelStop(DWORD handle) {
    std::lock_guard<std::recursive_mutex> guard(E().lock);
    auto channel = lookup(handle);
    if (!channel) return 0;
    channel->state = PlayState::stopped;
    channel->stopAfterFade = false;
    channel->volumeSlide.active = channel->panSlide.active = channel->frequencySlide.active = false;
    return succeed(1);
}

EXPORT BOOL BASS_ChannelPause(DWORD handle) {
    std::lock_guard<std::recursive_mutex> guard(E().lock);
    auto channel = lookup(handle);
    if (!channel) return 0;
    if (channel->state == PlayState::paused) return fail(BASS_ERROR_ALREADY, 0);
    if (channel->state != PlayState::playing) return fail(BASS_ERROR_NOPLAY, 0);
    channel->state = PlayState::paused;
    return succeed(1);
}

EXPORT BOOL BASS_ChannelSetAttributes(DWORD handle, int freq, int volume, int pan) {
    std::lock_guard<std::recursive_mutex> guard(E().lock);
    auto channel = lookup(handle);
    if (!channel) return 0;
    if (freq != -1 && freq != 0 && (freq < 100 || freq > 100000)) return fail(BASS_ERROR_FREQ, 0);
    if (volume != -1 && (volume < 0 || volume > 100)) return fail(BASS_ERROR_ILLPARAM, 0);
    if (pan != -101 && (pan < -100 || pan > 100)) return fail(BASS_ERROR_ILLPARAM, 0);
    if (freq == 0) channel->frequency = channel->sourceRate;
    if (freq > 0) channel->frequency = freq;
    if (volume >= 0) channel->volume = volume;
    if (pan != -101) channel->pan = pan;
    if (freq != -1) channel->frequencySlide.active = false;
    if (volume != -1) channel->volumeSlide.active = false;
    if (pan != -101) channel->panSlide.active = false;
    return succeed(1);
}

EXPORT BOOL BASS_ChannelGetAttributes(DWORD handle, DWORD* freq, DWORD* volume, int* pan) {
    std::lock_guard<std::recursive_mutex> guard(E().lock);
    auto channel = lookup(handle);
    if (!channel) return 0;
    if (freq != nullptr) *freq = static_cast<DWORD>(std::lround(channel->frequency));
    if (volume != nullptr) *volume = static_cast<DWORD>(std::lround(channel->volume));
    if (pan != nullptr) *pan = static_cast<int>(std::lround(channel->pan));
    return succeed(1);
}

EXPORT BOOL BASS_ChannelSlideAttributes(DWORD handle, int freq, int volume, int pan, DWORD time) {
    std::lock_guard<std::recursive_mutex> guard(E().lock);
    auto channel = lookup(handle);
    if (!channel) return 0;
    if (freq != -1 && (freq < 100 || freq > 100000)) return fail(BASS_ERROR_FREQ, 0);
    if (volume != -1 && volume != -2 && (volume < 0 || volume > 100)) return fail(BASS_ERROR_ILLPARAM, 0);
    if (pan != -101 && (pan < -100 || pan > 100)) return fail(BASS_ERROR_ILLPARAM, 0);
    const double seconds = time / 1000.0;
    auto start = [seconds](Slide& slide, double from, double to) {
        slide = Slide{true, from, to, 0.0, std::max(seconds, 1e-9)};
    };
    if (freq != -1) start(channel->frequencySlide, channel->frequency, freq);
    if (volume != -1) {
        start(channel->volumeSlide, channel->volume, volume == -2 ? 0 : volume);
        channel->stopAfterFade = volume == -2;
    }
    if (pan != -101) start(channel->panSlide, channel->pan, pan);
    return succeed(1);
}

EXPORT DWORD BASS_ChannelIsSliding(DWORD handle) {
    std::lock_guard<std::recursive_mutex> guard(E().lock);
    auto channel = lookup(handle);
    if (!channel) return 0;
    DWORD sliding = 0;
    // A slide runs on the clock of the channel's playback: set on a stopped or paused channel, it
    // waits, and counts as sliding once the channel plays.
    if (channel->state != PlayState::playing) return succeed(sliding);
    if (channel->frequencySlide.active) sliding |= BASS_SLIDE_FREQ;
    if (channel->volumeSlide.active) sliding |= BASS_SLIDE_VOL;
    if (channel->panSlide.active) sliding |= BASS_SLIDE_PAN;
    return succeed(sliding);
}

EXPORT BOOL BASS_ChannelSet3DAttributes(DWORD, int, float, float, int, int, int) { return fail(BASS_ERROR_NO3D, 0); }
EXPORT BOOL BASS_ChannelGet3DAttributes(DWORD, DWORD*, float*, float*, DWORD*, DWORD*, DWORD*) {
    return fail(BASS_ERROR_NO3D, 0);
}
EXPORT BOOL BASS_ChannelSet3DPosition(DWORD, const BASS_3DVECTOR*, const BASS_3DVECTOR*, const BASS_3DVECTOR*) {
    return fail(BASS_ERROR_NO3D, 0);
}
EXPORT BOOL BASS_ChannelGet3DPosition(DWORD, BASS_3DVECTOR*, BASS_3DVECTOR*, BASS_3DVECTOR*) {
    return fail(BASS_ERROR_NO3D, 0);
}

EXPORT BOOL BASS_ChannelSetPosition(DWORD handle, QWORD pos) {
    return guarded<BOOL>(0, [&] {
        std::lock_guard<std::recursive_mutex> guard(E().lock);
        auto channel = lookup(handle);
        if (!channel) return 0;
        std::int64_t frame;
        if (channel->kind == Channel::Kind::music &&
            (pos & 0xFFFFFFFFull) >= BASS_MUSIC_POSITION_SECONDS && (pos >> 32) == 0) {
            frame = static_cast<std::int64_t>(pos & 0xFFFF) * channel->sourceRate;
        } else {
            frame = static_cast<std::int64_t>(pos / static_cast<QWORD>(channel->bytesPerFrame()));
        }
        if (!channel->seekFrame(frame)) return fail(BASS_ERROR_POSITION, 0);
        E().wakeDecoder();
        return succeed(1);
    });
}

EXPORT QWORD BASS_ChannelGetPosition(DWORD handle) {
    std::lock_guard<std::recursive_mutex> guard(E().lock);
    auto channel = lookup(handle);
    if (!channel) return kFailQword;
    return succeed(framesToBytes(*channel, E().audibleFrame(*channel)));
}

EXPORT DWORD BASS_ChannelGetLevel(DWORD handle) {
    std::lock_guard<std::recursive_mutex> guard(E().lock);
    auto channel = lookup(handle);
    if (!channel) return kFailDword;
    if (channel->state != PlayState::playing) return succeed<DWORD>(0);
    // The peaks of the most recent 20 ms of output.
    const std::size_t frames = static_cast<std::size_t>(E().outputRate) / 50;
    std::vector<float> recent(2 * frames);
    const std::size_t got = channel->recentOutput(recent.data(), frames);
    float left = 0;
    float right = 0;
    for (std::size_t i = 0; i < got; ++i) {
        left = std::max(left, std::fabs(recent[2 * i]));
        right = std::max(right, std::fabs(recent[2 * i + 1]));
    }
    auto scale = [](float peak) { return static_cast<DWORD>(std::min(32768L, std::lround(peak * 32768.0f))); };
    return succeed(scale(left) | (scale(right) << 16));
}

EXPORT DWORD BASS_ChannelGetData(DWORD handle, void* buffer, DWORD length) {
    return guarded<DWORD>(kFailDword, [&] {
        std::lock_guard<std::recursive_mutex> guard(E().lock);
        auto channel = lookup(handle);
        if (!channel) return kFailDword;
        if (buffer == nullptr) return fail(BASS_ERROR_ILLPARAM, kFailDword);
        if (length >= BASS_DATA_FFT512 && length <= BASS_DATA_FFT2048) {
            const std::size_t size = std::size_t{512} << (length - BASS_DATA_FFT512);
            std::vector<float> recent(2 * size, 0.0f);
            const std::size_t got = channel->recentOutput(recent.data(), size);
            std::vector<float> mono(size, 0.0f);
            for (std::size_t i = 0; i < got; ++i) {
                mono[size - got + i] = 0.5f * (recent[2 * i] + recent[2 * i + 1]);
            }
            magnitudeSpectrum(mono.data(), size, static_cast<float*>(buffer));
            // The result counts the sample data the transform took: `size` 16-bit stereo frames.
            return succeed(static_cast<DWORD>(size * 4));
        }
        const bool asFloat = (length & BASS_DATA_FLOAT) != 0 || (channel->flags & BASS_SAMPLE_FLOAT) != 0;
        const std::size_t bytes = length & ~static_cast<DWORD>(BASS_DATA_FLOAT);
        if (channel->isDecodeOnly()) {
            return succeed(static_cast<DWORD>(channel->decodeInto(buffer, bytes, asFloat, E().mixSettings())));
        }
        // The most recent output of a playing channel, as stereo samples.
        const std::size_t sampleBytes = asFloat ? 4 : 2;
        const std::size_t frames = bytes / (2 * sampleBytes);
        std::vector<float> recent(2 * frames, 0.0f);
        const std::size_t got = channel->recentOutput(recent.data(), frames);
        for (std::size_t i = 0; i < 2 * got; ++i) {
            if (asFloat) {
                static_cast<float*>(buffer)[i] = recent[i];
            } else {
                const float scaled = std::nearbyint(std::clamp(recent[i], -1.0f, 1.0f) * 32767.0f);
                static_cast<std::int16_t*>(buffer)[i] = static_cast<std::int16_t>(scaled);
            }
        }
        return succeed(static_cast<DWORD>(got * 2 * sampleBytes));
    });
}

EXPORT HSYNC BASS_ChannelSetSync(DWORD handle, DWORD type, QWORD param, SYNCPROC proc, void* user) {
    return guarded<HSYNC>(0, [&] {
        std::lock_guard<std::recursive_mutex> guard(E().lock);
        auto channel = lookup(handle);
        if (!channel) return HSYNC{0};
        const DWORD kind = type & ~BASS_SYNC_ONETIME;
        if (proc == nullptr || (kind != BASS_SYNC_POS && kind != BASS_SYNC_END)) {
            return fail<HSYNC>(BASS_ERROR_ILLTYPE, 0);
        }
        const HSYNC sync = E().nextSyncHandle();
        channel->syncs.push_back({sync, kind, param, proc, user, (type & BASS_SYNC_ONETIME) != 0});
        return succeed(sync);
    });
}

EXPORT BOOL BASS_ChannelRemoveSync(DWORD handle, HSYNC sync) {
    std::lock_guard<std::recursive_mutex> guard(E().lock);
    auto channel = lookup(handle);
    if (!channel) return 0;
    const auto removed = std::erase_if(channel->syncs, [sync](const SyncEntry& entry) { return entry.handle == sync; });
    return removed > 0 ? succeed(1) : fail(BASS_ERROR_HANDLE, 0);
}

EXPORT HDSP BASS_ChannelSetDSP(DWORD handle, DSPPROC proc, void* user, int priority) {
    return guarded<HDSP>(0, [&] {
        std::lock_guard<std::recursive_mutex> guard(E().lock);
        auto channel = lookup(handle);
        if (!channel) return HDSP{0};
        if (proc == nullptr) return fail<HDSP>(BASS_ERROR_ILLPARAM, 0);
        const HDSP dsp = E().nextDspHandle();
        channel->addDsp({dsp, proc, user, priority});
        channel->redecodeFromPlayback();
        E().wakeDecoder();
        return succeed(dsp);
    });
}

EXPORT BOOL BASS_ChannelRemoveDSP(DWORD handle, HDSP dsp) {
    std::shared_ptr<Channel> channel;
    {
        std::lock_guard<std::recursive_mutex> guard(E().lock);
        channel = lookup(handle);
        if (!channel) return 0;
    }
    // Without the engine lock: this waits for the effect chain running on the decode thread, whose
    // routines may be waiting for that lock.
    if (!channel->removeDsp(dsp)) return fail(BASS_ERROR_HANDLE, 0);
    std::lock_guard<std::recursive_mutex> guard(E().lock);
    channel->redecodeFromPlayback();
    E().wakeDecoder();
    return succeed(1);
}

EXPORT BOOL BASS_ChannelSetEAXMix(DWORD, float) { return fail(BASS_ERROR_NOEAX, 0); }
EXPORT BOOL BASS_ChannelGetEAXMix(DWORD, float*) { return fail(BASS_ERROR_NOEAX, 0); }
EXPORT BOOL BASS_ChannelSetLink(DWORD, DWORD) { return fail(BASS_ERROR_NOTAVAIL, 0); }
EXPORT BOOL BASS_ChannelRemoveLink(DWORD, DWORD) { return fail(BASS_ERROR_NOTAVAIL, 0); }
EXPORT HFX BASS_ChannelSetFX(DWORD, DWORD, int) { return fail<HFX>(BASS_ERROR_NOFX, 0); }
EXPORT BOOL BASS_ChannelRemoveFX(DWORD, HFX) { return fail(BASS_ERROR_NOFX, 0); }
EXPORT BOOL BASS_FXSetParameters(HFX, const void*) { return fail(BASS_ERROR_NOFX, 0); }
EXPORT BOOL BASS_FXGetParameters(HFX, void*) { return fail(BASS_ERROR_NOFX, 0); }
