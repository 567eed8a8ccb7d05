// Wave and the other PCM containers through libsndfile.

#include <sndfile.h>

#include "Decoder.h"

namespace engine {

namespace {

sf_count_t lengthCallback(void* handle) {
    return static_cast<sf_count_t>(static_cast<DataSource*>(handle)->size());
}

sf_count_t seekCallback(sf_count_t offset, int whence, void* handle) {
    auto* source = static_cast<DataSource*>(handle);
    std::int64_t target = offset;
    if (whence == SEEK_CUR) target += static_cast<std::int64_t>(source->tell());
    if (whence == SEEK_END) target += static_cast<std::int64_t>(source->size());
    if (target < 0 || !source->seek(static_cast<std::uint64_t>(target))) return -1;
    return target;
}

sf_count_t readCallback(void* buffer, sf_count_t count, void* handle) {
    if (count <= 0) return 0;
    return static_cast<sf_count_t>(
        static_cast<DataSource*>(handle)->read(buffer, static_cast<std::size_t>(count)));
}

sf_count_t writeCallback(const void*, sf_count_t, void*) {
    return 0;
}

sf_count_t tellCallback(void* handle) {
    return static_cast<sf_count_t>(static_cast<DataSource*>(handle)->tell());
}

class SndfileDecoder : public Decoder {
public:
    explicit SndfileDecoder(std::unique_ptr<DataSource> source) : source_(std::move(source)) {}
    ~SndfileDecoder() override {
        if (file_ != nullptr) sf_close(file_);
    }

    bool open() {
        static SF_VIRTUAL_IO io{lengthCallback, seekCallback, readCallback, writeCallback, tellCallback};
        if (!source_->seek(0)) return false;
        file_ = sf_open_virtual(&io, SFM_READ, &info_, source_.get());
        if (file_ == nullptr) return false;
        return info_.channels > 0 && info_.samplerate > 0 && info_.frames > 0 && info_.seekable;
    }

    int sampleRate() const override { return info_.samplerate; }
    int channels() const override { return info_.channels; }
    std::int64_t lengthFrames() const override { return info_.frames; }
    DWORD channelType() const override {
        return (info_.format & SF_FORMAT_TYPEMASK) == SF_FORMAT_WAV ? BASS_CTYPE_STREAM_WAV
                                                                    : BASS_CTYPE_STREAM;
    }
    std::uint64_t sourcePosition() const override { return source_->tell(); }
    std::uint64_t sourceSize() const override { return source_->size(); }

    std::size_t read(float* out, std::size_t frames) override {
        const sf_count_t got = sf_readf_float(file_, out, static_cast<sf_count_t>(frames));
        return got > 0 ? static_cast<std::size_t>(got) : 0;
    }

    bool seek(std::int64_t frame) override { return sf_seek(file_, frame, SEEK_SET) == frame; }

private:
    std::unique_ptr<DataSource> source_;
    SNDFILE* file_ = nullptr;
    SF_INFO info_{};
};

}  // namespace

std::unique_ptr<Decoder> openSndfileDecoder(std::unique_ptr<DataSource>& source, int& error) {
    error = BASS_ERROR_FILEFORM;
    if (!source) return nullptr;
    auto decoder = std::make_unique<SndfileDecoder>(std::move(source));
    if (!decoder->open()) return nullptr;
    error = BASS_OK;
    return decoder;
}

}  // namespace engine
