// Streams from files, memory and the caller's callbacks; samples, which this library does not have.
// Sources are opened (an mp3 without an info header scanned) before the channel is added, on the
// caller's thread with no engine lock held: playback goes on meanwhile.

#include "ApiSupport.h"
#include "DataSource.h"

using namespace engine;
using namespace engine::api;

namespace {

HSTREAM addStream(std::unique_ptr<Decoder> decoder, int error, DWORD flags) {
    if (!decoder) return fail<HSTREAM>(error, 0);
    // Freed while the file was being opened.
    if (!E().initialized()) return fail<HSTREAM>(BASS_ERROR_INIT, 0);
    return succeed(E().addChannel(Channel::Kind::stream, std::move(decoder), flags));
}

}  // namespace

EXPORT HSTREAM BASS_StreamCreate(DWORD freq, DWORD chans, DWORD flags, STREAMPROC proc, void* user) {
    return exported<HSTREAM>(0, [&] {
        if (!E().initialized()) return fail<HSTREAM>(BASS_ERROR_INIT, 0);
        if (proc == nullptr || chans == 0 || chans > 8) return fail<HSTREAM>(BASS_ERROR_ILLPARAM, 0);
        if (freq < 100 || freq > 192000) return fail<HSTREAM>(BASS_ERROR_FREQ, 0);
        // The callback is told its own handle, so the handle comes first.
        const DWORD handle = E().reserveChannelHandle();
        auto decoder = openCallbackDecoder(freq, chans, flags, proc, user, handle);
        return succeed(E().addChannel(handle, Channel::Kind::stream, std::move(decoder), flags));
    });
}

EXPORT HSTREAM BASS_StreamCreateFile(BOOL mem, const void* file, QWORD offset, QWORD length, DWORD flags) {
    return exported<HSTREAM>(0, [&] {
        if (!E().initialized()) return fail<HSTREAM>(BASS_ERROR_INIT, 0);
        if (file == nullptr) return fail<HSTREAM>(BASS_ERROR_ILLPARAM, 0);
        int error = BASS_OK;
        auto source = openFileOrMemorySource(mem != 0, file, offset, length, error);
        if (!source) return fail<HSTREAM>(error, 0);
        auto decoder = openStreamDecoder(std::move(source), error);
        return addStream(std::move(decoder), error, flags);
    });
}

EXPORT HSTREAM BASS_StreamCreateURL(const char*, DWORD, DWORD, void*, void*) {
    return unavailable<HSTREAM>(BASS_ERROR_NONET, 0);
}

EXPORT HSTREAM BASS_StreamCreateFileUser(BOOL /*buffered*/, DWORD flags, const BASS_FILEPROCS* procs,
                                         void* user) {
    return exported<HSTREAM>(0, [&] {
        if (!E().initialized()) return fail<HSTREAM>(BASS_ERROR_INIT, 0);
        if (procs == nullptr || procs->read == nullptr) return fail<HSTREAM>(BASS_ERROR_ILLPARAM, 0);
        // The caller's callbacks may call the library while the stream is being opened.
        int error = BASS_OK;
        auto decoder = openStreamDecoder(openCallbackSource(*procs, user), error);
        return addStream(std::move(decoder), error, flags);
    });
}

EXPORT BOOL BASS_StreamFree(HSTREAM handle) {
    return onChannel<BOOL>(
        handle, 0,
        [&](Channel& channel) {
            if (!decoderReachable(channel)) return 0;
            if (!E().removeChannel(handle, Channel::Kind::stream)) return fail(BASS_ERROR_HANDLE, 0);
            return succeed(1);
        },
        Want::stream);
}

EXPORT QWORD BASS_StreamGetLength(HSTREAM handle) {
    return onChannel<QWORD>(
        handle, kFailQword,
        [](Channel& channel) {
            if (channel.lengthFrames < 0) return fail(BASS_ERROR_NOTAVAIL, kFailQword);
            return succeed(framesToBytes(channel, channel.lengthFrames));
        },
        Want::stream);
}

EXPORT const char* BASS_StreamGetTags(HSTREAM handle, DWORD tags) {
    return onChannel<const char*>(handle, nullptr, [&](Channel& channel) -> const char* {
        if (!decoderReachable(channel)) return nullptr;
        std::string text;
        if (!channel.tags(tags, text)) return fail<const char*>(BASS_ERROR_NOTAVAIL, nullptr);
        text.push_back('\0');  // the list of strings ends with an empty one
        return succeed(E().keepString(1, std::move(text)));
    });
}

EXPORT QWORD BASS_StreamGetFilePosition(HSTREAM handle, DWORD mode) {
    return onChannel<QWORD>(handle, kFailQword, [&](Channel& channel) {
        if (!decoderReachable(channel)) return kFailQword;
        switch (mode) {
            case BASS_FILEPOS_DECODE:
                return succeed<QWORD>(channel.sourcePosition());
            case BASS_FILEPOS_DOWNLOAD:
            case BASS_FILEPOS_END:
                return succeed<QWORD>(channel.sourceSize());
            default:
                return fail(BASS_ERROR_ILLPARAM, kFailQword);
        }
    });
}

// ---------------------------------------------------------------- samples: not available

EXPORT HSAMPLE BASS_SampleLoad(BOOL, const void*, DWORD, DWORD, DWORD, DWORD) {
    return unavailable<HSAMPLE>(BASS_ERROR_NOTAVAIL, 0);
}
EXPORT void* BASS_SampleCreate(DWORD, DWORD, DWORD, DWORD) {
    return unavailable<void*>(BASS_ERROR_NOTAVAIL, nullptr);
}
EXPORT HSAMPLE BASS_SampleCreateDone(void) {
    return unavailable<HSAMPLE>(BASS_ERROR_NOTAVAIL, 0);
}
EXPORT BOOL BASS_SampleFree(HSAMPLE) {
    return unavailable<BOOL>(BASS_ERROR_HANDLE, 0);
}
EXPORT BOOL BASS_SampleGetInfo(HSAMPLE, BASS_SAMPLE*) {
    return unavailable<BOOL>(BASS_ERROR_HANDLE, 0);
}
EXPORT BOOL BASS_SampleSetInfo(HSAMPLE, const BASS_SAMPLE*) {
    return unavailable<BOOL>(BASS_ERROR_HANDLE, 0);
}
EXPORT HCHANNEL BASS_SampleGetChannel(HSAMPLE, BOOL) {
    return unavailable<HCHANNEL>(BASS_ERROR_HANDLE, 0);
}
EXPORT BOOL BASS_SampleStop(HSAMPLE) {
    return unavailable<BOOL>(BASS_ERROR_HANDLE, 0);
}
