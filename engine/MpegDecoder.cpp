// MPEG layers 1, 2 and 3 through libmpg123: gapless, with a full scan of the stream where no info
// header gives the exact length, and sample-exact seeking.

#include <mpg123.h>

#include <cstring>
#include <vector>

#include "Decoder.h"

namespace engine {

namespace {

struct HandleDeleter {
    void operator()(mpg123_handle* handle) const {
        if (handle != nullptr) {
            mpg123_close(handle);
            mpg123_delete(handle);
        }
    }
};

bool libraryReady() {
    static const bool ready = mpg123_init() == MPG123_OK;
    return ready;
}

ssize_t readCallback(void* handle, void* buffer, size_t count) {
    return static_cast<ssize_t>(static_cast<DataSource*>(handle)->read(buffer, count));
}

off_t seekCallback(void* handle, off_t offset, int whence) {
    auto* source = static_cast<DataSource*>(handle);
    std::int64_t target = offset;
    if (whence == SEEK_CUR) target += static_cast<std::int64_t>(source->tell());
    if (whence == SEEK_END) target += static_cast<std::int64_t>(source->size());
    if (target < 0 || !source->seek(static_cast<std::uint64_t>(target))) return -1;
    return static_cast<off_t>(target);
}

class MpegDecoder : public Decoder {
public:
    MpegDecoder(std::unique_ptr<DataSource> source, std::unique_ptr<mpg123_handle, HandleDeleter> handle,
                int rate, int channels, std::int64_t length, DWORD type, std::int64_t leadingSkip)
        : source_(std::move(source)),
          handle_(std::move(handle)),
          rate_(rate),
          channels_(channels),
          length_(length - leadingSkip),
          type_(type),
          leadingSkip_(leadingSkip) {}

    int sampleRate() const override { return rate_; }
    int channels() const override { return channels_; }
    std::int64_t lengthFrames() const override { return length_; }
    DWORD channelType() const override { return type_; }
    std::uint64_t sourcePosition() const override { return source_->tell(); }
    std::uint64_t sourceSize() const override { return source_->size(); }

    std::size_t read(float* out, std::size_t frames) override {
        if (formatChanged_) return 0;
        std::size_t done = 0;
        const std::size_t bytesPerFrame = sizeof(float) * static_cast<std::size_t>(channels_);
        while (done < frames) {
            size_t got = 0;
            const int result =
                mpg123_read(handle_.get(), reinterpret_cast<unsigned char*>(out + done * channels_),
                            (frames - done) * bytesPerFrame, &got);
            done += got / bytesPerFrame;
            if (result == MPG123_NEW_FORMAT) {
                // A stream that changes its rate or channel count midway ends where it changes.
                long rate = 0;
                int channels = 0;
                int encoding = 0;
                mpg123_getformat(handle_.get(), &rate, &channels, &encoding);
                if (rate != rate_ || channels != channels_) {
                    formatChanged_ = true;
                    break;
                }
                continue;
            }
            if (result != MPG123_OK || got == 0) break;
        }
        return done;
    }

    bool seek(std::int64_t frame) override {
        formatChanged_ = false;
        return mpg123_seek(handle_.get(), static_cast<off_t>(frame + leadingSkip_), SEEK_SET) >= 0;
    }

    bool tags(DWORD kind, std::string& out) override {
        mpg123_id3v1* v1 = nullptr;
        mpg123_id3v2* v2 = nullptr;
        if (mpg123_id3(handle_.get(), &v1, &v2) != MPG123_OK) return false;
        if (kind == BASS_TAG_ID3 && v1 != nullptr) {
            out.assign(reinterpret_cast<const char*>(v1), sizeof(mpg123_id3v1));
            return true;
        }
        if (kind == BASS_TAG_ID3V2 && v2 != nullptr) {
            // The title, artist and album as "key=value" strings, each ended by a zero byte.
            auto add = [&out](const char* key, const mpg123_string* value) {
                if (value == nullptr || value->fill == 0) return;
                out += key;
                out += '=';
                out.append(value->p, strnlen(value->p, value->fill));
                out += '\0';
            };
            add("TITLE", v2->title);
            add("ARTIST", v2->artist);
            add("ALBUM", v2->album);
            return !out.empty();
        }
        return false;
    }

private:
    std::unique_ptr<DataSource> source_;
    std::unique_ptr<mpg123_handle, HandleDeleter> handle_;
    int rate_;
    int channels_;
    std::int64_t length_;
    DWORD type_;
    std::int64_t leadingSkip_;
    bool formatChanged_ = false;
};

// Layer III decoders lag the encoder by 529 samples. A stream with gapless information has them
// trimmed by libmpg123; without it they are trimmed here, so that samples line up with the
// original and the length is within one frame of it.
constexpr std::int64_t kLayer3DecoderDelay = 529;

}  // namespace

std::unique_ptr<Decoder> openMpegDecoder(std::unique_ptr<DataSource>& source, int& error) {
    error = BASS_ERROR_FILEFORM;
    if (!libraryReady()) return nullptr;
    int result = MPG123_OK;
    std::unique_ptr<mpg123_handle, HandleDeleter> handle(mpg123_new(nullptr, &result));
    if (!handle) return nullptr;
    mpg123_param(handle.get(), MPG123_FLAGS, MPG123_GAPLESS | MPG123_QUIET | MPG123_FORCE_FLOAT, 0);
    // A seek decodes this many frames before the target without output, so that the bit reservoir
    // (up to 511 bytes back, several frames at low bit rates) and the overlap are primed and the
    // samples after a seek equal those of a straight decode.
    mpg123_param(handle.get(), MPG123_PREFRAMES, 10, 0);
    mpg123_format_none(handle.get());
    const long* rates = nullptr;
    size_t rateCount = 0;
    mpg123_rates(&rates, &rateCount);
    for (size_t i = 0; i < rateCount; ++i) {
        mpg123_format(handle.get(), rates[i], MPG123_MONO | MPG123_STEREO, MPG123_ENC_FLOAT_32);
    }
    if (mpg123_replace_reader_handle(handle.get(), readCallback, seekCallback, nullptr) != MPG123_OK)
        return nullptr;
    if (!source->seek(0) || mpg123_open_handle(handle.get(), source.get()) != MPG123_OK) return nullptr;
    long rate = 0;
    int channels = 0;
    int encoding = 0;
    if (mpg123_getformat(handle.get(), &rate, &channels, &encoding) != MPG123_OK || rate <= 0 ||
        channels <= 0) {
        return nullptr;
    }
    // An info header with the encoder's delay and padding gives the exact length; only a file
    // without one is read through to its end.
    long encoderDelay = -1;
    double unused = 0;
    mpg123_getstate(handle.get(), MPG123_ENC_DELAY, &encoderDelay, &unused);
    if (encoderDelay < 0 && mpg123_scan(handle.get()) != MPG123_OK) return nullptr;
    const off_t length = mpg123_length(handle.get());
    if (length <= 0) return nullptr;
    mpg123_frameinfo info{};
    mpg123_info(handle.get(), &info);
    const DWORD type = info.layer == 1   ? BASS_CTYPE_STREAM_MP1
                       : info.layer == 2 ? BASS_CTYPE_STREAM_MP2
                                         : BASS_CTYPE_STREAM_MP3;
    const std::int64_t leadingSkip =
        info.layer == 3 && encoderDelay < 0 && length > kLayer3DecoderDelay ? kLayer3DecoderDelay : 0;
    if (mpg123_seek(handle.get(), static_cast<off_t>(leadingSkip), SEEK_SET) < 0) return nullptr;
    error = BASS_OK;
    return std::make_unique<MpegDecoder>(std::move(source), std::move(handle), static_cast<int>(rate),
                                         channels, static_cast<std::int64_t>(length), type, leadingSkip);
}

}  // namespace engine
