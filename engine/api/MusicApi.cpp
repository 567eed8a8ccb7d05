// Tracker modules: loading, their name and length, and the attributes of the module player.

#include "ApiSupport.h"
#include "DataSource.h"

using namespace engine;
using namespace engine::api;

EXPORT HMUSIC BASS_MusicLoad(BOOL mem, const void* file, DWORD offset, DWORD length, DWORD flags,
                             DWORD freq) {
    return exported<HMUSIC>(0, [&] {
        if (!E().initialized()) return fail<HMUSIC>(BASS_ERROR_INIT, 0);
        if (file == nullptr) return fail<HMUSIC>(BASS_ERROR_ILLPARAM, 0);
        // Read and opened on the caller's thread with no engine lock held: playback goes on.
        int error = BASS_OK;
        auto source = openFileOrMemorySource(mem != 0, file, offset, length, error);
        if (!source) return fail<HMUSIC>(error, 0);
        const int rate = freq >= 8000 && freq <= 192000 ? static_cast<int>(freq) : E().outputRate();
        auto decoder = openMusicDecoder(std::move(source), rate,
                                        (flags & (BASS_MUSIC_RAMP | BASS_MUSIC_RAMPS)) != 0, error);
        if (!decoder) return fail<HMUSIC>(error, 0);
        if (!E().initialized()) return fail<HMUSIC>(BASS_ERROR_INIT, 0);
        return succeed(E().addChannel(Channel::Kind::music, std::move(decoder), flags));
    });
}

EXPORT BOOL BASS_MusicFree(HMUSIC handle) {
    return onChannel<BOOL>(
        handle, 0,
        [&](Channel&) {
            if (!E().removeChannel(handle, Channel::Kind::music)) return fail(BASS_ERROR_HANDLE, 0);
            return succeed(1);
        },
        Want::music);
}

EXPORT const char* BASS_MusicGetName(HMUSIC handle) {
    return onChannel<const char*>(
        handle, nullptr,
        [](Channel& channel) -> const char* {
            std::string name;
            if (!channel.withMusic([&](MusicDecoder& music) { name = music.name(); })) {
                return fail<const char*>(BASS_ERROR_HANDLE, nullptr);
            }
            return succeed(E().keepString(0, std::move(name)));
        },
        Want::music);
}

EXPORT QWORD BASS_MusicGetLength(HMUSIC handle, BOOL playlen) {
    return onChannel<QWORD>(
        handle, kFailQword,
        [&](Channel& channel) {
            if (playlen) {
                if (!(channel.flags & BASS_MUSIC_CALCLEN)) return fail(BASS_ERROR_NOTAVAIL, kFailQword);
                return succeed(framesToBytes(channel, channel.lengthFrames));
            }
            QWORD orders = 0;
            if (!channel.withMusic(
                    [&](MusicDecoder& music) { orders = static_cast<QWORD>(music.orderCount()); })) {
                return fail(BASS_ERROR_HANDLE, kFailQword);
            }
            return succeed(orders);
        },
        Want::music);
}

EXPORT DWORD BASS_MusicSetAttribute(HMUSIC handle, DWORD attrib, DWORD value) {
    return onChannel<DWORD>(
        handle, kFailDword,
        [&](Channel& channel) {
            int error = BASS_ERROR_ILLTYPE;
            const bool present = channel.withMusic([&](MusicDecoder& music) {
                if (attrib == BASS_MUSIC_ATTRIB_SPEED) {
                    error = music.setSpeed(static_cast<int>(value)) ? BASS_OK : BASS_ERROR_ILLPARAM;
                } else if (attrib >= BASS_MUSIC_ATTRIB_VOL_CHAN && attrib < BASS_MUSIC_ATTRIB_VOL_INST) {
                    const int index = static_cast<int>(attrib - BASS_MUSIC_ATTRIB_VOL_CHAN);
                    const int volume = static_cast<int>(std::min<DWORD>(value, 100));
                    error = music.setChannelVolume(index, volume) ? BASS_OK : BASS_ERROR_ILLTYPE;
                }
            });
            if (!present) return fail(BASS_ERROR_HANDLE, kFailDword);
            return error == BASS_OK ? succeed(value) : fail(error, kFailDword);
        },
        Want::music);
}

EXPORT DWORD BASS_MusicGetAttribute(HMUSIC handle, DWORD attrib) {
    return onChannel<DWORD>(
        handle, kFailDword,
        [&](Channel& channel) {
            int error = BASS_ERROR_ILLTYPE;
            int value = 0;
            const bool present = channel.withMusic([&](MusicDecoder& music) {
                if (attrib == BASS_MUSIC_ATTRIB_SPEED) {
                    value = music.speed();
                    error = BASS_OK;
                } else if (attrib >= BASS_MUSIC_ATTRIB_VOL_CHAN && attrib < BASS_MUSIC_ATTRIB_VOL_INST) {
                    if (music.channelVolume(static_cast<int>(attrib - BASS_MUSIC_ATTRIB_VOL_CHAN), value))
                        error = BASS_OK;
                }
            });
            if (!present) return fail(BASS_ERROR_HANDLE, kFailDword);
            return error == BASS_OK ? succeed(static_cast<DWORD>(value)) : fail(error, kFailDword);
        },
        Want::music);
}
