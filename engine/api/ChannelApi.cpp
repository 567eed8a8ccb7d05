// A channel's transport, attributes, slides and position.

#include <cmath>

#include "ApiSupport.h"

using namespace engine;
using namespace engine::api;

EXPORT float BASS_ChannelBytes2Seconds(DWORD handle, QWORD pos) {
    return onChannel<float>(handle, -1.0f, [&](Channel& channel) {
        const double frames = static_cast<double>(pos / static_cast<QWORD>(channel.bytesPerFrame()));
        return succeed(static_cast<float>(frames / channel.sourceRate));
    });
}

EXPORT QWORD BASS_ChannelSeconds2Bytes(DWORD handle, float pos) {
    return onChannel<QWORD>(handle, kFailQword, [&](Channel& channel) {
        if (!(pos >= 0.0f)) return fail(BASS_ERROR_ILLPARAM, kFailQword);
        const auto frames =
            static_cast<std::int64_t>(std::floor(static_cast<double>(pos) * channel.sourceRate + 1e-6));
        return succeed(framesToBytes(channel, frames));
    });
}

EXPORT DWORD BASS_ChannelGetDevice(DWORD handle) {
    return onChannel<DWORD>(handle, kFailDword,
                            [](Channel&) { return succeed(static_cast<DWORD>(E().device())); });
}

EXPORT DWORD BASS_ChannelIsActive(DWORD handle) {
    return onChannel<DWORD>(handle, BASS_ACTIVE_STOPPED,
                            [](Channel& channel) { return succeed(channel.activity()); });
}

EXPORT BOOL BASS_ChannelGetInfo(DWORD handle, BASS_CHANNELINFO* info) {
    return onChannel<BOOL>(handle, 0, [&](Channel& channel) {
        if (info == nullptr) return fail(BASS_ERROR_ILLPARAM, 0);
        info->freq = static_cast<DWORD>(channel.sourceRate);
        info->chans = static_cast<DWORD>(channel.sourceChannels);
        info->flags = channel.flags;
        info->ctype = channel.channelType;
        return succeed(1);
    });
}

EXPORT DWORD BASS_ChannelSetFlags(DWORD handle, DWORD) {
    return onChannel<DWORD>(handle, kFailDword, [](Channel& channel) { return succeed(channel.flags); });
}

EXPORT BOOL BASS_ChannelPreBuf(DWORD handle) {
    return onChannel<BOOL>(handle, 0, [](Channel& channel) {
        // From the channel's own callback the fill is already running on this thread.
        channel.fillAhead(E().updatePeriodSeconds(), E().floatDsp());
        return succeed(1);
    });
}

EXPORT BOOL BASS_ChannelPlay(DWORD handle, BOOL restart) {
    return onChannel<BOOL>(handle, 0, [&](Channel& channel) {
        if (channel.isDecodeOnly()) return fail(BASS_ERROR_DECODE, 0);
        const bool wasPlaying = channel.isPlaying();
        if (restart) {
            if (!decoderReachable(channel)) return 0;
            if (!channel.seekFrame(0, E().updatePeriodSeconds(), E().floatDsp()))
                return fail(BASS_ERROR_POSITION, 0);
        }
        channel.play();
        E().channelStarted(channel, wasPlaying);
        return succeed(1);
    });
}

EXPORT BOOL BASS_ChannelStop(DWORD handle) {
    return onChannel<BOOL>(handle, 0, [](Channel& channel) {
        channel.stop();
        return succeed(1);
    });
}

EXPORT BOOL BASS_ChannelPause(DWORD handle) {
    return onChannel<BOOL>(handle, 0, [](Channel& channel) {
        const int result = channel.pause();
        return result == BASS_OK ? succeed(1) : fail(result, 0);
    });
}

EXPORT BOOL BASS_ChannelSetAttributes(DWORD handle, int freq, int volume, int pan) {
    return onChannel<BOOL>(handle, 0, [&](Channel& channel) {
        if (freq != -1 && freq != 0 && (freq < 100 || freq > 100000)) return fail(BASS_ERROR_FREQ, 0);
        if (volume != -1 && (volume < 0 || volume > 100)) return fail(BASS_ERROR_ILLPARAM, 0);
        if (pan != -101 && (pan < -100 || pan > 100)) return fail(BASS_ERROR_ILLPARAM, 0);
        std::optional<double> frequency;
        if (freq != -1) frequency = freq == 0 ? channel.sourceRate : freq;  // 0: the source's own rate
        channel.setAttributes(frequency, volume == -1 ? std::nullopt : std::optional<double>(volume),
                              pan == -101 ? std::nullopt : std::optional<double>(pan));
        return succeed(1);
    });
}

EXPORT BOOL BASS_ChannelGetAttributes(DWORD handle, DWORD* freq, DWORD* volume, int* pan) {
    return onChannel<BOOL>(handle, 0, [&](Channel& channel) {
        const Attributes now = channel.attributes();
        if (freq != nullptr) *freq = static_cast<DWORD>(std::lround(now.frequency));
        if (volume != nullptr) *volume = static_cast<DWORD>(std::lround(now.volume));
        if (pan != nullptr) *pan = static_cast<int>(std::lround(now.pan));
        return succeed(1);
    });
}

EXPORT BOOL BASS_ChannelSlideAttributes(DWORD handle, int freq, int volume, int pan, DWORD time) {
    return onChannel<BOOL>(handle, 0, [&](Channel& channel) {
        if (freq != -1 && (freq < 100 || freq > 100000)) return fail(BASS_ERROR_FREQ, 0);
        if (volume != -1 && volume != -2 && (volume < 0 || volume > 100)) return fail(BASS_ERROR_ILLPARAM, 0);
        if (pan != -101 && (pan < -100 || pan > 100)) return fail(BASS_ERROR_ILLPARAM, 0);
        // A volume of -2 fades out and then stops the channel.
        channel.slide(freq == -1 ? std::nullopt : std::optional<double>(freq),
                      volume == -1 ? std::nullopt : std::optional<double>(volume == -2 ? 0 : volume),
                      pan == -101 ? std::nullopt : std::optional<double>(pan), time / 1000.0, volume == -2);
        return succeed(1);
    });
}

EXPORT DWORD BASS_ChannelIsSliding(DWORD handle) {
    return onChannel<DWORD>(handle, 0, [](Channel& channel) { return succeed(channel.slidingFlags()); });
}

EXPORT BOOL BASS_ChannelSet3DAttributes(DWORD, int, float, float, int, int, int) {
    return unavailable<BOOL>(BASS_ERROR_NO3D, 0);
}
EXPORT BOOL BASS_ChannelGet3DAttributes(DWORD, DWORD*, float*, float*, DWORD*, DWORD*, DWORD*) {
    return unavailable<BOOL>(BASS_ERROR_NO3D, 0);
}
EXPORT BOOL BASS_ChannelSet3DPosition(DWORD, const BASS_3DVECTOR*, const BASS_3DVECTOR*,
                                      const BASS_3DVECTOR*) {
    return unavailable<BOOL>(BASS_ERROR_NO3D, 0);
}
EXPORT BOOL BASS_ChannelGet3DPosition(DWORD, BASS_3DVECTOR*, BASS_3DVECTOR*, BASS_3DVECTOR*) {
    return unavailable<BOOL>(BASS_ERROR_NO3D, 0);
}

EXPORT BOOL BASS_ChannelSetPosition(DWORD handle, QWORD pos) {
    return onChannel<BOOL>(handle, 0, [&](Channel& channel) {
        if (!decoderReachable(channel)) return 0;
        std::int64_t frame;
        if (channel.kind == Channel::Kind::music && (pos & 0xFFFFFFFFull) >= BASS_MUSIC_POSITION_SECONDS &&
            (pos >> 32) == 0) {
            frame = static_cast<std::int64_t>(pos & 0xFFFF) * channel.sourceRate;
        } else {
            frame = static_cast<std::int64_t>(pos / static_cast<QWORD>(channel.bytesPerFrame()));
        }
        if (!channel.seekFrame(frame, E().updatePeriodSeconds(), E().floatDsp()))
            return fail(BASS_ERROR_POSITION, 0);
        E().wakeDecoder();
        return succeed(1);
    });
}

EXPORT BOOL BASS_ChannelSetTempo(DWORD handle, float percent) {
    return onChannel<BOOL>(handle, 0, [&](Channel& channel) {
        if (!(percent >= 25.0f && percent <= 400.0f)) return fail(BASS_ERROR_ILLPARAM, 0);
        if (channel.isDecodeOnly()) return fail(BASS_ERROR_NOTAVAIL, 0);
        if (!decoderReachable(channel)) return 0;
        const double tempo = percent / 100.0;
        if (channel.tempo() == tempo) return succeed(1);
        // What the stretch holds was made for the old speed: start again from what has left the
        // mixer, without a gap or a step of the position, so the new speed is heard as soon as
        // the output has played what it holds.
        const std::int64_t mixed = channel.audibleFrame(0.0);
        channel.setTempo(tempo);
        if (channel.activity() != BASS_ACTIVE_STOPPED) {
            channel.seekFrame(mixed, E().updatePeriodSeconds(), E().floatDsp());
            E().wakeDecoder();
        }
        return succeed(1);
    });
}

EXPORT float BASS_ChannelGetTempo(DWORD handle) {
    return onChannel<float>(
        handle, -1.0f, [](Channel& channel) { return succeed(static_cast<float>(channel.tempo() * 100.0)); });
}

EXPORT QWORD BASS_ChannelGetPosition(DWORD handle) {
    return onChannel<QWORD>(handle, kFailQword, [](Channel& channel) {
        return succeed(framesToBytes(channel, E().audibleFrame(channel)));
    });
}
