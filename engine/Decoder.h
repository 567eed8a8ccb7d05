#pragma once
// Decoders turn a data source into interleaved 32-bit float frames at the source's own rate.
// openStreamDecoder recognises the format by content (wav and other PCM containers, MPEG layers
// 1 to 3, Ogg Vorbis), never by a file name.

#include <cstdint>
#include <memory>
#include <string>

#include "DataSource.h"
#include "QuillonAudio.h"

namespace engine {

class Decoder {
public:
    virtual ~Decoder() = default;
    virtual int sampleRate() const = 0;
    virtual int channels() const = 0;
    // Exact length in frames, or -1 when unknown.
    virtual std::int64_t lengthFrames() const = 0;
    // Decodes up to `frames` frames into `out` (channels() floats a frame); 0 at the end.
    virtual std::size_t read(float* out, std::size_t frames) = 0;
    // Moves so that the next read returns frame `frame` exactly.
    virtual bool seek(std::int64_t frame) = 0;
    virtual DWORD channelType() const = 0;
    // The tag block of the given kind, or false when the stream has none.
    virtual bool tags(DWORD /*kind*/, std::string& /*out*/) { return false; }
    // Whether a read that returned nothing means the end (a callback stream may just be starved).
    virtual bool finished() const { return true; }
    // Bytes of the source consumed so far, and its size.
    virtual std::uint64_t sourcePosition() const { return 0; }
    virtual std::uint64_t sourceSize() const { return 0; }
};

// The formats a stream may have.
constexpr int kMinimumRate = 100;
constexpr int kMaximumRate = 384000;
constexpr int kMaximumChannels = 32;

// Takes ownership of the source. On failure returns null and sets `error`.
std::unique_ptr<Decoder> openStreamDecoder(std::unique_ptr<DataSource> source, int& error);

std::unique_ptr<Decoder> openMpegDecoder(std::unique_ptr<DataSource>& source, int& error);
std::unique_ptr<Decoder> openVorbisDecoder(std::unique_ptr<DataSource>& source, int& error);
std::unique_ptr<Decoder> openSndfileDecoder(std::unique_ptr<DataSource>& source, int& error);

// A stream whose samples come from the caller's callback (16-bit, 8-bit or float samples).
std::unique_ptr<Decoder> openCallbackDecoder(DWORD freq, DWORD chans, DWORD flags, STREAMPROC proc,
                                             void* user, HSTREAM handle);

}  // namespace engine
