// Feeds arbitrary bytes to the stream and music loaders from memory, decoding whatever opens.
// Build and run with 'make fuzz'.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "QuillonAudio.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const bool initialised = BASS_Init(0, 44100, 0, nullptr, nullptr) != 0;
    if (!initialised || size == 0) return 0;
    std::vector<std::int16_t> block(4096);
    const HSTREAM stream = BASS_StreamCreateFile(1, data, 0, size, BASS_STREAM_DECODE);
    if (stream != 0) {
        BASS_StreamGetLength(stream);
        BASS_StreamGetTags(stream, BASS_TAG_ID3);
        BASS_StreamGetTags(stream, BASS_TAG_OGG);
        for (int i = 0; i < 64 && BASS_ChannelGetData(stream, block.data(), 8192) + 1 > 1; ++i) {
        }
        BASS_ChannelSetPosition(stream, 4 * 1000);
        BASS_ChannelGetData(stream, block.data(), 8192);
        BASS_StreamFree(stream);
    }
    const HMUSIC music =
        BASS_MusicLoad(1, data, 0, static_cast<DWORD>(size), BASS_STREAM_DECODE | BASS_MUSIC_CALCLEN, 0);
    if (music != 0) {
        BASS_MusicGetName(music);
        BASS_MusicGetLength(music, 1);
        BASS_MusicSetAttribute(music, BASS_MUSIC_ATTRIB_SPEED, 3);
        BASS_MusicSetAttribute(music, BASS_MUSIC_ATTRIB_VOL_CHAN + 1, 50);
        for (int i = 0; i < 16 && BASS_ChannelGetData(music, block.data(), 8192) + 1 > 1; ++i) {
        }
        BASS_MusicFree(music);
    }
    return 0;
}
