#include "MusicDecoder.h"

#include <algorithm>
#include <cmath>
#include <libopenmpt/libopenmpt.hpp>
#include <libopenmpt/libopenmpt_ext.hpp>
#include <map>
#include <sstream>
#include <vector>

namespace engine {

namespace {

// Modules are small; anything larger is not one.
constexpr std::uint64_t kMaxModuleBytes = 256ull * 1024 * 1024;

class OpenMptMusic : public MusicDecoder {
public:
    OpenMptMusic(std::unique_ptr<openmpt::module_ext> module, int rate)
        : module_(std::move(module)), rate_(rate) {
        interactive_ =
            static_cast<openmpt::ext::interactive*>(module_->get_interface(openmpt::ext::interactive_id));
        duration_ = module_->get_duration_seconds();
    }

    int sampleRate() const override { return rate_; }
    int channels() const override { return 2; }
    std::int64_t lengthFrames() const override {
        return static_cast<std::int64_t>(std::llround(duration_ * rate_));
    }
    DWORD channelType() const override { return BASS_CTYPE_MUSIC_MOD; }

    std::size_t read(float* out, std::size_t frames) override {
        try {
            return module_->read_interleaved_stereo(rate_, frames, out);
        } catch (...) {
            return 0;
        }
    }
    bool seek(std::int64_t frame) override { return seekSeconds(static_cast<double>(frame) / rate_); }
    bool seekSeconds(double seconds) override {
        try {
            module_->set_position_seconds(seconds);
        } catch (...) {
            return false;
        }
        // The module player starts over from the module's own speed and channel volumes at every
        // seek or restart; what the caller set holds until the caller changes it.
        if (speedSet_ > 0) setSpeed(speedSet_);
        for (const auto& [channel, volume] : channelVolumes_) setChannelVolume(channel, volume);
        return true;
    }

    std::string name() const override {
        try {
            return module_->get_metadata("title");
        } catch (...) {
            return {};
        }
    }
    int moduleChannels() const override { return module_->get_num_channels(); }
    int orderCount() const override { return module_->get_num_orders(); }
    double durationSeconds() const override { return duration_; }

    int speed() const override { return module_->get_current_speed(); }
    bool setSpeed(int ticksPerRow) override {
        if (interactive_ == nullptr || ticksPerRow < 1 || ticksPerRow > 255) return false;
        try {
            interactive_->set_current_speed(ticksPerRow);
            speedSet_ = ticksPerRow;
            return true;
        } catch (...) {
            return false;
        }
    }

    bool channelVolume(int channel, int& volume) const override {
        if (interactive_ == nullptr || channel < 0 || channel >= moduleChannels()) return false;
        // The player keeps channel volumes in 64 steps; report what was set, not its rounding.
        if (const auto set = channelVolumes_.find(channel); set != channelVolumes_.end()) {
            volume = set->second;
            return true;
        }
        try {
            volume = static_cast<int>(std::lround(interactive_->get_channel_volume(channel) * 100.0));
            return true;
        } catch (...) {
            return false;
        }
    }
    bool setChannelVolume(int channel, int volume) override {
        if (interactive_ == nullptr || channel < 0 || channel >= moduleChannels()) return false;
        try {
            interactive_->set_channel_volume(channel, std::clamp(volume, 0, 100) / 100.0);
            channelVolumes_[channel] = std::clamp(volume, 0, 100);
            return true;
        } catch (...) {
            return false;
        }
    }

private:
    std::unique_ptr<openmpt::module_ext> module_;
    openmpt::ext::interactive* interactive_ = nullptr;
    std::map<int, int> channelVolumes_;  // as the caller set them
    int speedSet_ = 0;                   // as the caller set it; 0 while never set
    int rate_;
    double duration_ = 0;
};

}  // namespace

std::unique_ptr<MusicDecoder> openMusicDecoder(std::unique_ptr<DataSource> source, int sampleRate,
                                               bool ramping, int& error) {
    error = BASS_ERROR_FILEFORM;
    if (!source || source->size() == 0 || source->size() > kMaxModuleBytes || !source->seek(0))
        return nullptr;
    std::vector<char> data(static_cast<std::size_t>(source->size()));
    if (source->read(data.data(), data.size()) != data.size()) return nullptr;
    try {
        std::ostringstream silentLog;
        auto module = std::make_unique<openmpt::module_ext>(data, silentLog);
        module->set_render_param(openmpt::module::RENDER_VOLUMERAMPING_STRENGTH, ramping ? -1 : 0);
        module->set_repeat_count(0);
        error = BASS_OK;
        return std::make_unique<OpenMptMusic>(std::move(module), sampleRate);
    } catch (...) {
        return nullptr;
    }
}

}  // namespace engine
