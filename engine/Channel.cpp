#include "Channel.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <thread>

namespace engine {

namespace {

constexpr std::size_t kDecodeChunkFrames = 2048;
constexpr std::size_t kPullFrames = 512;
constexpr std::size_t kRecentFrames = 8192;

void toStereo(const float* in, int channels, std::size_t frames, float* out) {
    for (std::size_t i = 0; i < frames; ++i) {
        if (channels == 1) {
            out[2 * i] = out[2 * i + 1] = in[i];
        } else {
            out[2 * i] = in[i * channels];
            out[2 * i + 1] = in[i * channels + 1];
        }
    }
}

std::int16_t toInt16(float sample) {
    const float scaled = std::nearbyint(sample * 32768.0f);
    return static_cast<std::int16_t>(std::clamp(scaled, -32768.0f, 32767.0f));
}

}  // namespace

Channel::Channel(DWORD handleValue, Kind kindValue, std::unique_ptr<Decoder> decoder, DWORD flagsValue,
                 int rate)
    : handle(handleValue),
      kind(kindValue),
      flags(flagsValue),
      outputRate(rate),
      sourceRate(decoder->sampleRate()),
      sourceChannels(decoder->channels()),
      channelType(decoder->channelType()),
      lengthFrames(decoder->lengthFrames()),
      decoder_(std::move(decoder)),
      ring_(static_cast<std::size_t>(std::max(sourceRate, 8000)) / 2),
      attributes_{static_cast<double>(sourceRate), 100.0, 0.0},
      recent_(2 * kRecentFrames, 0.0f) {
    int error = 0;
    resampler_ = src_new(SRC_SINC_FASTEST, 2, &error);
    decodeScratch_.resize(kDecodeChunkFrames * static_cast<std::size_t>(std::max(1, sourceChannels)));
    // Renders pull at most this much from the ring at a time; sized here so mixing never allocates.
    pending_.reserve(2 * kPullFrames);
    stretchFeed_.resize(2 * kPullFrames);
}

Channel::~Channel() {
    if (resampler_ != nullptr) src_delete(resampler_);
}

// ---------------------------------------------------------------- decode side

Channel::DecodedBlock Channel::decodeBlock(std::uint64_t generation, std::size_t frames) {
    DecodedBlock block;
    // The decode lock is taken per chunk, so a seek waits for one chunk at most.
    while (block.frames < frames) {
        std::lock_guard<OwnedMutex> lock(decodeMutex_);
        if (!decoder_) {
            block.outcome = DecodedBlock::retired;
            return block;
        }
        if (generation != seekGeneration_.load() || seeksWaiting_.load() > 0) {
            block.outcome = DecodedBlock::stale;
            return block;
        }
        const std::size_t read =
            decoder_->read(decodeScratch_.data(), std::min(kDecodeChunkFrames, frames - block.frames));
        if (read == 0) {
            block.ended = decoder_->finished();
            break;
        }
        toStereo(decodeScratch_.data(), sourceChannels, read, block_.data() + 2 * block.frames);
        block.frames += read;
    }
    return block;
}

std::size_t Channel::blockFramesFor(double blockSeconds) const {
    return std::clamp<std::size_t>(static_cast<std::size_t>(std::lround(blockSeconds * sourceRate)), 64,
                                   ring_.capacity());
}

bool Channel::fillAhead(double blockSeconds, bool floatDsp) {
    if (isDecodeOnly() || decoderEnded_) return false;
    // A fill already running (on the decode thread, or further up this thread's stack when an
    // effect routine asks) does the work; waiting for it could wait on a callback that waits on us.
    std::unique_lock<std::mutex> fill(fillMutex_, std::try_to_lock);
    if (!fill.owns_lock()) return false;
    const FillOwner owner(fillOwner_);
    const std::size_t blockFrames = blockFramesFor(blockSeconds);
    block_.resize(2 * blockFrames);
    bool decoded = false;
    // A seek waiting for the fill goes first: it decodes its own first block.
    while (!decoderEnded_ && ring_.space() >= blockFrames && seeksWaiting_.load() == 0) {
        const std::uint64_t generation = seekGeneration_.load();
        const DecodedBlock block = decodeBlock(generation, blockFrames);
        if (block.outcome == DecodedBlock::retired) return decoded;
        if (block.outcome == DecodedBlock::stale) continue;
        // Outside the decode lock: an effect routine may call the library, which may be waiting
        // for that lock on another thread.
        runDsps(block_.data(), block.frames, 2, floatDsp);
        {
            std::lock_guard<OwnedMutex> lock(decodeMutex_);
            if (!decoder_) return decoded;
            if (generation != seekGeneration_.load()) continue;  // a seek came in between: the block is stale
            ring_.push(block_.data(), block.frames);
            decodedFrames_ += static_cast<std::int64_t>(block.frames);
            if (block.ended) decoderEnded_ = true;
        }
        if (block.frames > 0) decoded = true;
        if (block.frames < blockFrames) break;
    }
    return decoded;
}

void Channel::retire() {
    std::unique_ptr<Decoder> closing;
    {
        std::lock_guard<OwnedMutex> lock(decodeMutex_);
        closing = std::move(decoder_);
        decoderEnded_ = true;
    }
    {
        // Recursive: a routine may free its own channel.
        std::lock_guard<std::recursive_mutex> running(dspRunMutex_);
        std::lock_guard<std::mutex> lock(dspMutex_);
        dsps_.clear();
    }
    // The decoder and its source close here, on the caller's thread: a file callback's close runs
    // before the call that freed the stream returns, even while the decode thread still holds the
    // channel.
}

void Channel::restartAt(std::int64_t frame, const float* firstBlock, std::size_t firstFrames, bool ended) {
    ++seekGeneration_;
    decoderEnded_ = ended;
    decodedFrames_ = frame + static_cast<std::int64_t>(firstFrames);
    // Both ends of the ring are still: its producer pushes only under the decode lock, which the
    // caller holds, and its consumer renders only under the mixing lock.
    std::lock_guard<std::mutex> mixing(mixMutex_);
    ring_.clear();
    // In the same step as the clear, so the mixer never finds the ring empty in between.
    if (firstFrames > 0) ring_.push(firstBlock, firstFrames);
    consumed_ = frame;
    played_ = static_cast<double>(frame);
    lastHeard_ = 0;
    pending_.clear();
    pendingOffset_ = 0;
    if (resampler_ != nullptr) src_reset(resampler_);
    // A new start begins the stretch anew, or leaves it out at the song's own tempo.
    if (stretch_) stretch_->clear();
    stretchInUse_ = false;
    stretchFinished_ = false;
}

bool Channel::seekFrame(std::int64_t frame, double blockSeconds, bool floatDsp) {
    if (isDecodeOnly() || fillOwner_.load() == std::this_thread::get_id())
        return seekWithoutFirstBlock(frame);
    // The mixer goes on with the old sound until the first block at the new place is decoded, and
    // then switches to it at once: a seek never leaves a gap of silence. The fill in progress
    // stops at its next chunk and lets the seek go first.
    seeksWaiting_.fetch_add(1);
    std::unique_lock<std::mutex> fill(fillMutex_);
    seeksWaiting_.fetch_sub(1);
    const FillOwner owner(fillOwner_);
    const std::size_t blockFrames = blockFramesFor(blockSeconds);
    block_.resize(2 * blockFrames);
    std::uint64_t generation = 0;
    {
        std::lock_guard<OwnedMutex> lock(decodeMutex_);
        if (!decoder_ || frame < 0 || (lengthFrames >= 0 && frame > lengthFrames)) return false;
        if (!decoder_->seek(frame)) return false;
        generation = ++seekGeneration_;
    }
    const DecodedBlock block = decodeBlock(generation, blockFrames);
    if (block.outcome == DecodedBlock::retired) return true;
    if (block.outcome == DecodedBlock::decoded) runDsps(block_.data(), block.frames, 2, floatDsp);
    {
        std::lock_guard<OwnedMutex> lock(decodeMutex_);
        if (!decoder_) return true;
        const bool fresh = block.outcome == DecodedBlock::decoded && generation == seekGeneration_.load();
        // A block made stale by a change of the effects is decoded again by the next fill.
        if (fresh) {
            restartAt(frame, block_.data(), block.frames, block.ended);
        } else if (decoder_->seek(frame)) {
            restartAt(frame);
        }
    }
    clearRecentOutput();
    return true;
}

bool Channel::seekWithoutFirstBlock(std::int64_t frame) {
    {
        std::lock_guard<OwnedMutex> lock(decodeMutex_);
        if (!decoder_ || frame < 0 || (lengthFrames >= 0 && frame > lengthFrames)) return false;
        if (!decoder_->seek(frame)) return false;
        restartAt(frame);
    }
    clearRecentOutput();
    return true;
}

void Channel::redecodeFromPlayback() {
    if (isDecodeOnly()) return;
    std::lock_guard<OwnedMutex> lock(decodeMutex_);
    const std::int64_t played = consumedFrames();
    if (!decoder_ || !decoder_->seek(played)) return;
    // What the mixer plays meanwhile is heard again: a few milliseconds at most.
    restartAt(played);
}

std::size_t Channel::decodeInto(void* buffer, std::size_t bytes, bool asFloat, bool floatDsp) {
    std::lock_guard<OwnedMutex> lock(decodeMutex_);
    if (!decoder_) return 0;
    const std::size_t sampleBytes = asFloat ? 4 : 2;
    const std::size_t frameBytes = sampleBytes * static_cast<std::size_t>(sourceChannels);
    const std::size_t wanted = bytes / frameBytes;
    std::size_t done = 0;
    // Float samples without effect routines go straight into the caller's buffer.
    bool direct = asFloat;
    {
        std::lock_guard<std::mutex> dspLock(dspMutex_);
        direct = direct && dsps_.empty();
    }
    std::vector<float>& samples = decodeScratch_;
    while (done < wanted && !decoderEnded_) {
        const std::size_t chunk = std::min(kDecodeChunkFrames, wanted - done);
        float* target = direct ? static_cast<float*>(buffer) + done * static_cast<std::size_t>(sourceChannels)
                               : samples.data();
        const std::size_t got = decoder_->read(target, chunk);
        if (got == 0) {
            if (decoder_->finished()) decoderEnded_ = true;
            break;
        }
        if (!direct) {
            runDsps(samples.data(), got, sourceChannels, floatDsp);
            const std::size_t count = got * static_cast<std::size_t>(sourceChannels);
            auto* bytesOut = static_cast<std::uint8_t*>(buffer) + done * frameBytes;
            if (asFloat) {
                std::memcpy(bytesOut, samples.data(), count * sizeof(float));
            } else {
                auto* shorts = reinterpret_cast<std::int16_t*>(bytesOut);
                for (std::size_t i = 0; i < count; ++i) shorts[i] = toInt16(samples[i]);
            }
        }
        done += got;
        decodedFrames_ += static_cast<std::int64_t>(got);
    }
    std::lock_guard<std::mutex> mixing(mixMutex_);
    consumed_ = decodedFrames_;
    played_ = static_cast<double>(consumed_);
    return done * frameBytes;
}

void Channel::addDsp(const DspEntry& entry) {
    std::lock_guard<std::mutex> lock(dspMutex_);
    const auto position = std::find_if(dsps_.begin(), dsps_.end(), [&entry](const DspEntry& other) {
        return other.priority < entry.priority;
    });
    dsps_.insert(position, entry);
}

bool Channel::removeDsp(HDSP dsp) {
    std::lock_guard<std::recursive_mutex> running(dspRunMutex_);
    std::lock_guard<std::mutex> lock(dspMutex_);
    return std::erase_if(dsps_, [dsp](const DspEntry& entry) { return entry.handle == dsp; }) > 0;
}

bool Channel::dspPresent(HDSP dsp) const {
    std::lock_guard<std::mutex> lock(dspMutex_);
    return std::any_of(dsps_.begin(), dsps_.end(),
                       [dsp](const DspEntry& entry) { return entry.handle == dsp; });
}

void Channel::runDsps(float* samples, std::size_t frames, int channels, bool floatDsp) {
    std::vector<DspEntry> chain;
    {
        std::lock_guard<std::mutex> lock(dspMutex_);
        chain = dsps_;
    }
    if (chain.empty() || frames == 0) return;
    std::lock_guard<std::recursive_mutex> running(dspRunMutex_);
    const std::size_t count = frames * static_cast<std::size_t>(channels);
    std::vector<std::int16_t> shorts;
    if (!floatDsp) {
        shorts.resize(count);
        for (std::size_t i = 0; i < count; ++i) shorts[i] = toInt16(samples[i]);
    }
    void* buffer = floatDsp ? static_cast<void*>(samples) : static_cast<void*>(shorts.data());
    const auto bytes = static_cast<DWORD>(count * (floatDsp ? sizeof(float) : sizeof(std::int16_t)));
    for (const DspEntry& dsp : chain) {
        // The chain is a copy, so routines may change it; one removed meanwhile is skipped.
        if (dspPresent(dsp.handle)) dsp.proc(dsp.handle, handle, buffer, bytes, dsp.user);
    }
    if (!floatDsp) {
        for (std::size_t i = 0; i < count; ++i) samples[i] = shorts[i] / 32768.0f;
    }
}

// ---------------------------------------------------------------- mixing side

void Channel::play() {
    std::lock_guard<std::mutex> lock(mixMutex_);
    state_ = PlayState::playing;
    stalled_ = false;
}

void Channel::stop() {
    std::lock_guard<std::mutex> lock(mixMutex_);
    state_ = PlayState::stopped;
    stopAfterFade_ = false;
    volumeSlide_.active = panSlide_.active = frequencySlide_.active = false;
}

int Channel::pause() {
    std::lock_guard<std::mutex> lock(mixMutex_);
    if (state_ == PlayState::paused) return BASS_ERROR_ALREADY;
    if (state_ != PlayState::playing) return BASS_ERROR_NOPLAY;
    state_ = PlayState::paused;
    return BASS_OK;
}

bool Channel::isPlaying() const {
    std::lock_guard<std::mutex> lock(mixMutex_);
    return state_ == PlayState::playing;
}

DWORD Channel::activity() const {
    std::lock_guard<std::mutex> lock(mixMutex_);
    switch (state_) {
        case PlayState::playing:
            return stalled_ ? BASS_ACTIVE_STALLED : BASS_ACTIVE_PLAYING;
        case PlayState::paused:
            return BASS_ACTIVE_PAUSED;
        default:
            return BASS_ACTIVE_STOPPED;
    }
}

Attributes Channel::attributes() const {
    std::lock_guard<std::mutex> lock(mixMutex_);
    return attributes_;
}

void Channel::setAttributes(std::optional<double> frequency, std::optional<double> volume,
                            std::optional<double> pan) {
    std::lock_guard<std::mutex> lock(mixMutex_);
    if (frequency) {
        attributes_.frequency = *frequency;
        frequencySlide_.active = false;
    }
    if (volume) {
        attributes_.volume = *volume;
        volumeSlide_.active = false;
    }
    if (pan) {
        attributes_.pan = *pan;
        panSlide_.active = false;
    }
}

void Channel::slide(std::optional<double> frequency, std::optional<double> volume, std::optional<double> pan,
                    double seconds, bool stopAtEnd) {
    std::lock_guard<std::mutex> lock(mixMutex_);
    auto start = [seconds](Slide& slide, double from, double to) {
        slide = Slide{true, from, to, 0.0, std::max(seconds, 1e-9)};
    };
    if (frequency) start(frequencySlide_, attributes_.frequency, *frequency);
    if (volume) {
        start(volumeSlide_, attributes_.volume, *volume);
        stopAfterFade_ = stopAtEnd;
    }
    if (pan) start(panSlide_, attributes_.pan, *pan);
}

DWORD Channel::slidingFlags() const {
    std::lock_guard<std::mutex> lock(mixMutex_);
    DWORD sliding = 0;
    // A slide set on a stopped or paused channel waits, and counts as sliding once the channel plays.
    if (state_ != PlayState::playing) return sliding;
    if (frequencySlide_.active) sliding |= BASS_SLIDE_FREQ;
    if (volumeSlide_.active) sliding |= BASS_SLIDE_VOL;
    if (panSlide_.active) sliding |= BASS_SLIDE_PAN;
    return sliding;
}

std::int64_t Channel::audibleFrame(double outputLatencySeconds) const {
    std::lock_guard<std::mutex> lock(mixMutex_);
    return audibleFrameLocked(outputLatencySeconds);
}

std::int64_t Channel::heardFrame(double outputLatencySeconds) const {
    std::lock_guard<std::mutex> lock(mixMutex_);
    const std::int64_t frame = audibleFrameLocked(outputLatencySeconds);
    if (isDecodeOnly()) return frame;
    // What has been heard does not become unheard: the output's latency estimate wavers, and an
    // output that hands over a block moves played_ on a moment before its estimate follows. Only a
    // new start (a seek, a play from the start) takes the position back.
    lastHeard_ = std::max(lastHeard_, frame);
    return lastHeard_;
}

std::int64_t Channel::audibleFrameLocked(double outputLatencySeconds) const {
    std::int64_t frame = isDecodeOnly() ? consumed_ : static_cast<std::int64_t>(std::floor(played_));
    if (!isDecodeOnly() && state_ == PlayState::playing && !stalled_) {
        frame -=
            static_cast<std::int64_t>(std::llround(outputLatencySeconds * attributes_.frequency * tempo_));
        if (lengthFrames >= 0) frame = std::min(frame, lengthFrames);
    }
    return std::max<std::int64_t>(0, frame);
}

std::int64_t Channel::consumedFrames() const {
    std::lock_guard<std::mutex> lock(mixMutex_);
    return consumed_;
}

void Channel::addSync(const SyncEntry& sync) {
    std::lock_guard<std::mutex> lock(mixMutex_);
    syncs_.push_back(sync);
}

bool Channel::removeSync(HSYNC sync) {
    std::lock_guard<std::mutex> lock(mixMutex_);
    return std::erase_if(syncs_, [sync](const SyncEntry& entry) { return entry.handle == sync; }) > 0;
}

void Channel::advanceSlides(double seconds) {
    auto step = [seconds](Slide& slide, double& value) {
        if (!slide.active) return;
        slide.elapsed += seconds;
        if (slide.elapsed >= slide.duration) {
            value = slide.to;
            slide.active = false;
        } else {
            value = slide.from + (slide.to - slide.from) * (slide.elapsed / slide.duration);
        }
    };
    step(volumeSlide_, attributes_.volume);
    step(panSlide_, attributes_.pan);
    step(frequencySlide_, attributes_.frequency);
    if (!volumeSlide_.active && stopAfterFade_) {
        stopAfterFade_ = false;
        state_ = PlayState::stopped;
    }
}

void Channel::keepOutput(const float* stereo, std::size_t frames) {
    std::lock_guard<std::mutex> lock(recentMutex_);
    for (std::size_t i = 0; i < frames; ++i) {
        recent_[2 * recentWrite_] = stereo[2 * i];
        recent_[2 * recentWrite_ + 1] = stereo[2 * i + 1];
        recentWrite_ = (recentWrite_ + 1) % kRecentFrames;
    }
    recentCount_ = std::min(kRecentFrames, recentCount_ + frames);
}

void Channel::clearRecentOutput() {
    std::lock_guard<std::mutex> lock(recentMutex_);
    std::fill(recent_.begin(), recent_.end(), 0.0f);
    recentCount_ = 0;
}

std::size_t Channel::recentOutput(float* frames, std::size_t count) const {
    std::lock_guard<std::mutex> lock(recentMutex_);
    const std::size_t n = std::min(count, recentCount_);
    std::size_t start = (recentWrite_ + kRecentFrames - n) % kRecentFrames;
    for (std::size_t i = 0; i < n; ++i) {
        frames[2 * i] = recent_[2 * start];
        frames[2 * i + 1] = recent_[2 * start + 1];
        start = (start + 1) % kRecentFrames;
    }
    return n;
}

std::size_t Channel::pullSongFrames(float* out, std::size_t frames, double ratio, bool& ended) {
    const bool resample = std::fabs(ratio - 1.0) > 1e-9 && resampler_ != nullptr;
    std::size_t produced = 0;
    while (produced < frames) {
        if (pendingFrames() == 0) {
            pending_.resize(2 * kPullFrames);
            const std::size_t got = ring_.pop(pending_.data(), kPullFrames);
            pending_.resize(2 * got);
            pendingOffset_ = 0;
            if (got == 0) {
                if (decoderEnded_ && ring_.available() == 0) {
                    ended = true;
                } else {
                    stalled_ = true;
                }
                break;
            }
        }
        float* input = pending_.data() + 2 * pendingOffset_;
        const std::size_t inputFrames = pendingFrames();
        std::size_t used = 0;
        std::size_t made = 0;
        if (resample) {
            SRC_DATA data{};
            data.data_in = input;
            data.input_frames = static_cast<long>(inputFrames);
            data.data_out = out + 2 * produced;
            data.output_frames = static_cast<long>(frames - produced);
            data.src_ratio = ratio;
            if (src_process(resampler_, &data) != 0) break;
            used = static_cast<std::size_t>(data.input_frames_used);
            made = static_cast<std::size_t>(data.output_frames_gen);
            if (used == 0 && made == 0) break;
        } else {
            used = made = std::min(inputFrames, frames - produced);
            std::memcpy(out + 2 * produced, input, made * 2 * sizeof(float));
        }
        pendingOffset_ += used;
        consumed_ += static_cast<std::int64_t>(used);
        produced += made;
    }
    return produced;
}

std::size_t Channel::pullStretchedFrames(float* out, std::size_t frames, double ratio, bool& ended) {
    if (!stretch_) stretch_ = std::make_unique<TempoStretch>(outputRate);
    if (!stretchInUse_) stretch_->setTempo(tempo_);
    stretchInUse_ = true;
    if (stretchFeed_.size() < 2 * kPullFrames) stretchFeed_.resize(2 * kPullFrames);
    std::size_t produced = 0;
    while (produced < frames) {
        const std::size_t got = stretch_->take(out + 2 * produced, frames - produced);
        produced += got;
        // Song time moves on by what is heard, not by what the stretch holds.
        played_ += static_cast<double>(got) * tempo_ / ratio;
        if (produced == frames) break;
        // Once the song's end went in, only what the stretch still holds comes out: finishing
        // again would pad it with more silence every time.
        if (stretchFinished_) {
            if (got == 0) {
                ended = true;
                break;
            }
            continue;
        }
        bool songEnded = false;
        const std::size_t fed = pullSongFrames(stretchFeed_.data(), kPullFrames, ratio, songEnded);
        if (fed > 0) {
            stretch_->put(stretchFeed_.data(), fed);
        } else if (songEnded) {
            stretch_->finish();
            stretchFinished_ = true;
        } else {
            break;  // stalled: the ring is empty for now
        }
    }
    return produced;
}

void Channel::render(float* out, std::size_t frames, const MixSettings& mix, std::vector<FiredSync>& fired) {
    std::lock_guard<std::mutex> lock(mixMutex_);
    if (state_ != PlayState::playing) return;
    advanceSlides(static_cast<double>(frames) / outputRate);
    if (state_ != PlayState::playing) return;

    const double globalGain = kind == Kind::music ? mix.musicGain : mix.streamGain;
    const double gain = attributes_.volume / 100.0 * globalGain * mix.masterGain;
    const double pan = attributes_.pan;
    const double leftGain = gain * (pan > 0 ? 1.0 - pan / 100.0 : 1.0);
    const double rightGain = gain * (pan < 0 ? 1.0 + pan / 100.0 : 1.0);
    const double requested = outputRate / std::max(1.0, attributes_.frequency);
    const double ratio = std::fabs(requested - 1.0) > 1e-9 && resampler_ != nullptr ? requested : 1.0;

    if (renderScratch_.size() < 2 * frames) renderScratch_.resize(2 * frames);
    const std::int64_t before = consumed_;
    stalled_ = false;
    bool ended = false;
    std::size_t produced = 0;
    if (tempo_ != 1.0 || stretchInUse_) {
        produced = pullStretchedFrames(renderScratch_.data(), frames, ratio, ended);
    } else {
        produced = pullSongFrames(renderScratch_.data(), frames, ratio, ended);
        played_ += static_cast<double>(produced) / ratio;
    }
    // Nothing lags behind the ring by more than the resampler and the stretch hold; at the end all
    // of it is out.
    played_ = std::min(played_, static_cast<double>(consumed_));
    if (ended) played_ = static_cast<double>(consumed_);

    // Levels and sample data describe the channel's own sound, before volume and pan, as a meter
    // that scales by the volume setting expects.
    keepOutput(renderScratch_.data(), produced);
    for (std::size_t i = 0; i < produced; ++i) {
        out[2 * i] += static_cast<float>(renderScratch_[2 * i] * leftGain);
        out[2 * i + 1] += static_cast<float>(renderScratch_[2 * i + 1] * rightGain);
    }
    fireSyncs(before, ended, fired);
    if (ended) state_ = PlayState::stopped;
}

void Channel::fireSyncs(std::int64_t before, bool ended, std::vector<FiredSync>& fired) {
    const std::int64_t bytesPerFrameValue = bytesPerFrame();
    for (auto it = syncs_.begin(); it != syncs_.end();) {
        bool fire = false;
        if (it->type == BASS_SYNC_POS) {
            const auto frame = static_cast<std::int64_t>(it->param / static_cast<QWORD>(bytesPerFrameValue));
            fire = frame >= before && frame < consumed_;
        } else if (it->type == BASS_SYNC_END) {
            fire = ended;
        }
        if (fire) {
            fired.push_back({*it, handle});
            if (it->once) {
                it = syncs_.erase(it);
                continue;
            }
        }
        ++it;
    }
}

void Channel::setTempo(double tempo) {
    std::lock_guard<std::mutex> lock(mixMutex_);
    tempo_ = tempo;
    // Created here, off the mixer's thread, so the first slow render does not allocate it.
    if (tempo != 1.0 && !stretch_) stretch_ = std::make_unique<TempoStretch>(outputRate);
    if (stretch_) stretch_->setTempo(tempo);
}

double Channel::tempo() const {
    std::lock_guard<std::mutex> lock(mixMutex_);
    return tempo_;
}

bool Channel::tags(DWORD kindValue, std::string& out) {
    std::lock_guard<OwnedMutex> lock(decodeMutex_);
    return decoder_ && decoder_->tags(kindValue, out);
}

std::uint64_t Channel::sourcePosition() {
    std::lock_guard<OwnedMutex> lock(decodeMutex_);
    return decoder_ ? decoder_->sourcePosition() : 0;
}

std::uint64_t Channel::sourceSize() {
    std::lock_guard<OwnedMutex> lock(decodeMutex_);
    return decoder_ ? decoder_->sourceSize() : 0;
}

}  // namespace engine
