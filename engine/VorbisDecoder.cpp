// Ogg Vorbis through libvorbisfile, with its exact PCM seeking.

#include <vorbis/vorbisfile.h>

#include "Decoder.h"

namespace engine {

namespace {

size_t readCallback(void* buffer, size_t size, size_t count, void* handle) {
    if (size == 0) return 0;
    return static_cast<DataSource*>(handle)->read(buffer, size * count) / size;
}

int seekCallback(void* handle, ogg_int64_t offset, int whence) {
    auto* source = static_cast<DataSource*>(handle);
    std::int64_t target = offset;
    if (whence == SEEK_CUR) target += static_cast<std::int64_t>(source->tell());
    if (whence == SEEK_END) target += static_cast<std::int64_t>(source->size());
    return target >= 0 && source->seek(static_cast<std::uint64_t>(target)) ? 0 : -1;
}

long tellCallback(void* handle) {
    return static_cast<long>(static_cast<DataSource*>(handle)->tell());
}

class VorbisDecoder : public Decoder {
public:
    explicit VorbisDecoder(std::unique_ptr<DataSource> source) : source_(std::move(source)) {}
    ~VorbisDecoder() override {
        if (open_) ov_clear(&file_);
    }

    bool open() {
        const ov_callbacks callbacks{readCallback, seekCallback, nullptr, tellCallback};
        if (!source_->seek(0) || ov_open_callbacks(source_.get(), &file_, nullptr, 0, callbacks) != 0)
            return false;
        open_ = true;
        const vorbis_info* info = ov_info(&file_, -1);
        if (info == nullptr || info->channels <= 0 || info->rate <= 0) return false;
        rate_ = static_cast<int>(info->rate);
        channels_ = info->channels;
        length_ = ov_pcm_total(&file_, -1);
        return length_ >= 0;
    }

    int sampleRate() const override { return rate_; }
    int channels() const override { return channels_; }
    std::int64_t lengthFrames() const override { return length_; }
    DWORD channelType() const override { return BASS_CTYPE_STREAM_OGG; }
    std::uint64_t sourcePosition() const override { return source_->tell(); }
    std::uint64_t sourceSize() const override { return source_->size(); }

    std::size_t read(float* out, std::size_t frames) override {
        std::size_t done = 0;
        while (done < frames) {
            float** pcm = nullptr;
            int section = 0;
            const long got = ov_read_float(&file_, &pcm, static_cast<int>(frames - done), &section);
            if (got == OV_HOLE) continue;
            if (got <= 0) break;
            const vorbis_info* info = ov_info(&file_, section);
            if (info == nullptr || info->channels != channels_) break;  // a chained stream of another shape
            for (long i = 0; i < got; ++i) {
                for (int c = 0; c < channels_; ++c) out[(done + i) * channels_ + c] = pcm[c][i];
            }
            done += static_cast<std::size_t>(got);
        }
        return done;
    }

    bool seek(std::int64_t frame) override { return ov_pcm_seek(&file_, frame) == 0; }

    // Gives the source back after a failed open, so another decoder can try it.
    std::unique_ptr<DataSource> takeSource() {
        if (open_) ov_clear(&file_);
        open_ = false;
        return std::move(source_);
    }

    bool tags(DWORD kind, std::string& out) override {
        if (kind != BASS_TAG_OGG) return false;
        const vorbis_comment* comments = ov_comment(&file_, -1);
        if (comments == nullptr || comments->comments == 0) return false;
        for (int i = 0; i < comments->comments; ++i) {
            out.append(comments->user_comments[i], static_cast<std::size_t>(comments->comment_lengths[i]));
            out += '\0';
        }
        return true;
    }

private:
    std::unique_ptr<DataSource> source_;
    OggVorbis_File file_{};
    bool open_ = false;
    int rate_ = 0;
    int channels_ = 0;
    std::int64_t length_ = -1;
};

}  // namespace

std::unique_ptr<Decoder> openVorbisDecoder(std::unique_ptr<DataSource>& source, int& error) {
    error = BASS_ERROR_FILEFORM;
    auto decoder = std::make_unique<VorbisDecoder>(std::move(source));
    if (!decoder->open()) {
        source = decoder->takeSource();
        return nullptr;
    }
    error = BASS_OK;
    return decoder;
}

}  // namespace engine
