// The mixed output is not observable through the library's interface (it goes to the device), so
// the gain rules are checked on the channel's mixing step directly.

#include <gtest/gtest.h>

#include <chrono>
#include <thread>
#include <vector>

#include "Channel.h"
#include "support/GeneratedDecoder.h"

using namespace engine;

namespace {

// A second of constant stereo samples.
std::unique_ptr<fixtures::GeneratedDecoder> constant() {
    return std::make_unique<fixtures::GeneratedDecoder>([](double) { return 0.8f; }, 1.0);
}

std::vector<float> mixOnce(Channel::Kind kind, const MixSettings& settings, double volume = 100,
                           double pan = 0) {
    Channel channel(1, kind, constant(), 0, 44100);
    channel.fillAhead();
    channel.play();
    channel.setAttributes(std::nullopt, volume, pan);
    std::vector<float> out(2 * 256, 0.0f);
    std::vector<FiredSync> fired;
    channel.render(out.data(), 256, settings, fired);
    return out;
}

}  // namespace

TEST(Mixer, GlobalStreamVolumeHalvesStreamsAndLeavesMusicsAlone) {
    MixSettings half;
    half.streamGain = 0.5;
    EXPECT_FLOAT_EQ(mixOnce(Channel::Kind::stream, half)[10], 0.4f);
    EXPECT_FLOAT_EQ(mixOnce(Channel::Kind::music, half)[10], 0.8f);
    MixSettings musicHalf;
    musicHalf.musicGain = 0.5;
    EXPECT_FLOAT_EQ(mixOnce(Channel::Kind::music, musicHalf)[10], 0.4f);
    EXPECT_FLOAT_EQ(mixOnce(Channel::Kind::stream, musicHalf)[10], 0.8f);
}

TEST(Mixer, ChannelVolumeAndPanScaleEachSide) {
    const MixSettings plain;
    const std::vector<float> quarter = mixOnce(Channel::Kind::stream, plain, 25);
    EXPECT_FLOAT_EQ(quarter[0], 0.2f);
    const std::vector<float> right = mixOnce(Channel::Kind::stream, plain, 100, 50);
    EXPECT_FLOAT_EQ(right[0], 0.4f) << "pan right lowers the left side";
    EXPECT_FLOAT_EQ(right[1], 0.8f);
}

TEST(Mixer, ASeekHandsTheMixerTheNewPlaceAtOnce) {
    const MixSettings plain;
    std::vector<FiredSync> fired;
    std::vector<float> out(2 * 256, 0.0f);
    // A seek waits for nothing else to decode: the very next block mixed is sound from the new place.
    Channel channel(1, Channel::Kind::stream, constant(), 0, 44100);
    channel.fillAhead();
    channel.play();
    channel.render(out.data(), 256, plain, fired);
    ASSERT_TRUE(channel.seekFrame(30000));
    std::fill(out.begin(), out.end(), 0.0f);
    channel.render(out.data(), 256, plain, fired);
    EXPECT_FLOAT_EQ(out[0], 0.8f) << "silence right after a seek";
    EXPECT_FLOAT_EQ(out[2 * 255], 0.8f);
    EXPECT_EQ(channel.audibleFrame(0.0), 30256);
    EXPECT_EQ(channel.activity(), static_cast<DWORD>(BASS_ACTIVE_PLAYING));
}
