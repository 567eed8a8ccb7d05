#include <cstring>

#include "Decoder.h"

namespace engine {

namespace {

enum class Kind { wave, ogg, mpeg, other };

bool isMpegFrameHeader(const std::uint8_t* h) {
    if (h[0] != 0xFF || (h[1] & 0xE0) != 0xE0) return false;
    const int version = (h[1] >> 3) & 3;
    const int layer = (h[1] >> 1) & 3;
    const int bitrate = (h[2] >> 4) & 0xF;
    const int rate = (h[2] >> 2) & 3;
    return version != 1 && layer != 0 && bitrate != 0xF && rate != 3;
}

Kind sniff(DataSource& source) {
    std::uint8_t head[16] = {};
    const std::size_t got = source.peek(0, head, sizeof head);
    if (got >= 12 && std::memcmp(head, "RIFF", 4) == 0 && std::memcmp(head + 8, "WAVE", 4) == 0)
        return Kind::wave;
    if (got >= 4 && std::memcmp(head, "OggS", 4) == 0) return Kind::ogg;
    std::uint64_t audioStart = 0;
    if (got >= 10 && std::memcmp(head, "ID3", 3) == 0) {
        // Skip the ID3v2 tag: its size is stored in four 7-bit bytes.
        const std::uint64_t tagSize = (static_cast<std::uint64_t>(head[6] & 0x7F) << 21) |
                                      ((head[7] & 0x7F) << 14) | ((head[8] & 0x7F) << 7) | (head[9] & 0x7F);
        audioStart = 10 + tagSize + ((head[5] & 0x10) ? 10 : 0);
    }
    std::uint8_t frame[4] = {};
    if (source.peek(audioStart, frame, sizeof frame) == sizeof frame && isMpegFrameHeader(frame))
        return Kind::mpeg;
    return Kind::other;
}

}  // namespace

std::unique_ptr<Decoder> openStreamDecoder(std::unique_ptr<DataSource> source, int& error) {
    error = BASS_ERROR_FILEFORM;
    if (!source || source->size() == 0) return nullptr;
    std::unique_ptr<Decoder> decoder;
    switch (sniff(*source)) {
        case Kind::wave:
            decoder = openSndfileDecoder(source, error);
            break;
        case Kind::ogg:
            // Only Vorbis: libsndfile's Ogg reader leaks on malformed pages (found by fuzzing).
            decoder = openVorbisDecoder(source, error);
            break;
        case Kind::mpeg:
            decoder = openMpegDecoder(source, error);
            break;
        case Kind::other:
            decoder = openSndfileDecoder(source, error);
            break;
    }
    if (!decoder) {
        if (error == BASS_OK) error = BASS_ERROR_FILEFORM;
        return nullptr;
    }
    // A header may declare anything; buffers are sized from these (found by fuzzing).
    if (decoder->sampleRate() < kMinimumRate || decoder->sampleRate() > kMaximumRate ||
        decoder->channels() < 1 || decoder->channels() > kMaximumChannels) {
        error = BASS_ERROR_FORMAT;
        return nullptr;
    }
    error = BASS_OK;
    return decoder;
}

}  // namespace engine
