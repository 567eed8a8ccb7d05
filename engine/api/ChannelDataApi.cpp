// What a channel gives back (levels, spectrum, samples) and what the caller hangs on it: syncs and
// effect routines. Links, EAX and built-in effects are not available.

#include "Analysis.h"
#include "ApiSupport.h"

using namespace engine;
using namespace engine::api;

EXPORT DWORD BASS_ChannelGetLevel(DWORD handle) {
    return onChannel<DWORD>(handle, kFailDword, [](Channel& channel) {
        if (!channel.isPlaying()) return succeed<DWORD>(0);
        return succeed(peakLevel(channel, E().outputRate()));
    });
}

EXPORT DWORD BASS_ChannelGetData(DWORD handle, void* buffer, DWORD length) {
    return onChannel<DWORD>(handle, kFailDword, [&](Channel& channel) {
        if (buffer == nullptr) return fail(BASS_ERROR_ILLPARAM, kFailDword);
        if (length >= BASS_DATA_FFT512 && length <= BASS_DATA_FFT2048) {
            const std::size_t size = std::size_t{512} << (length - BASS_DATA_FFT512);
            return succeed(recentSpectrum(channel, size, static_cast<float*>(buffer)));
        }
        const bool asFloat = (length & BASS_DATA_FLOAT) != 0 || (channel.flags & BASS_SAMPLE_FLOAT) != 0;
        const std::size_t bytes = length & ~static_cast<DWORD>(BASS_DATA_FLOAT);
        if (channel.isDecodeOnly()) {
            if (!decoderReachable(channel)) return kFailDword;
            return succeed(static_cast<DWORD>(channel.decodeInto(buffer, bytes, asFloat, E().floatDsp())));
        }
        return succeed(recentSamples(channel, buffer, bytes, asFloat));
    });
}

EXPORT HSYNC BASS_ChannelSetSync(DWORD handle, DWORD type, QWORD param, SYNCPROC proc, void* user) {
    return onChannel<HSYNC>(handle, 0, [&](Channel& channel) {
        const DWORD kind = type & ~BASS_SYNC_ONETIME;
        if (proc == nullptr || (kind != BASS_SYNC_POS && kind != BASS_SYNC_END))
            return fail<HSYNC>(BASS_ERROR_ILLTYPE, 0);
        const HSYNC sync = E().nextSyncHandle();
        channel.addSync({sync, kind, param, proc, user, (type & BASS_SYNC_ONETIME) != 0});
        return succeed(sync);
    });
}

EXPORT BOOL BASS_ChannelRemoveSync(DWORD handle, HSYNC sync) {
    return onChannel<BOOL>(handle, 0, [&](Channel& channel) {
        if (!channel.removeSync(sync)) return fail(BASS_ERROR_HANDLE, 0);
        // A call of it already on its way is dropped, or finished before this returns.
        E().removeSync(channel, sync);
        return succeed(1);
    });
}

EXPORT HDSP BASS_ChannelSetDSP(DWORD handle, DSPPROC proc, void* user, int priority) {
    return onChannel<HDSP>(handle, 0, [&](Channel& channel) {
        if (proc == nullptr) return fail<HDSP>(BASS_ERROR_ILLPARAM, 0);
        const HDSP dsp = E().nextDspHandle();
        channel.addDsp({dsp, proc, user, priority});
        // Heard at once: what was decoded ahead without it is decoded again. Not from within the
        // channel's own decoding, which picks the routine up with its next block.
        if (!channel.busyOnThisThread()) channel.redecodeFromPlayback();
        E().wakeDecoder();
        return succeed(dsp);
    });
}

EXPORT BOOL BASS_ChannelRemoveDSP(DWORD handle, HDSP dsp) {
    return onChannel<BOOL>(handle, 0, [&](Channel& channel) {
        // Waits for the effect chain if it is running on the decode thread.
        if (!channel.removeDsp(dsp)) return fail(BASS_ERROR_HANDLE, 0);
        if (!channel.busyOnThisThread()) channel.redecodeFromPlayback();
        E().wakeDecoder();
        return succeed(1);
    });
}

EXPORT BOOL BASS_ChannelSetEAXMix(DWORD, float) {
    return unavailable<BOOL>(BASS_ERROR_NOEAX, 0);
}
EXPORT BOOL BASS_ChannelGetEAXMix(DWORD, float*) {
    return unavailable<BOOL>(BASS_ERROR_NOEAX, 0);
}
EXPORT BOOL BASS_ChannelSetLink(DWORD, DWORD) {
    return unavailable<BOOL>(BASS_ERROR_NOTAVAIL, 0);
}
EXPORT BOOL BASS_ChannelRemoveLink(DWORD, DWORD) {
    return unavailable<BOOL>(BASS_ERROR_NOTAVAIL, 0);
}
EXPORT HFX BASS_ChannelSetFX(DWORD, DWORD, int) {
    return unavailable<HFX>(BASS_ERROR_NOFX, 0);
}
EXPORT BOOL BASS_ChannelRemoveFX(DWORD, HFX) {
    return unavailable<BOOL>(BASS_ERROR_NOFX, 0);
}
EXPORT BOOL BASS_FXSetParameters(HFX, const void*) {
    return unavailable<BOOL>(BASS_ERROR_NOFX, 0);
}
EXPORT BOOL BASS_FXGetParameters(HFX, void*) {
    return unavailable<BOOL>(BASS_ERROR_NOFX, 0);
}
