// Practice speed: the channel's mixing step through the tempo stretch (pitch, length, song time),
// on the core itself, where the mixed sound can be measured.

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <vector>

#include "Channel.h"
#include "support/GeneratedDecoder.h"

using namespace engine;

namespace {

constexpr int kRate = 44100;

// A sine of `frequency` Hz lasting `seconds`.
std::unique_ptr<fixtures::GeneratedDecoder> sine(double frequency, double seconds) {
    return std::make_unique<fixtures::GeneratedDecoder>(
        [frequency](double t) {
            return static_cast<float>(0.5 * std::sin(2 * std::numbers::pi * frequency * t));
        },
        seconds, kRate);
}

// Plays the channel to its end as the mixer would, keeping the left side of what it made.
std::vector<float> playToEnd(Channel& channel, std::size_t mostFrames) {
    const MixSettings plain;
    std::vector<FiredSync> fired;
    std::vector<float> heard;
    std::vector<float> block(2 * 441);
    channel.play();
    while (channel.isPlaying() && heard.size() < mostFrames) {
        channel.fillAhead();
        std::fill(block.begin(), block.end(), 0.0f);
        channel.render(block.data(), 441, plain, fired);
        for (std::size_t i = 0; i < 441; ++i) heard.push_back(block[2 * i]);
    }
    return heard;
}

// The strongest frequency between `low` and `high` Hz, in steps of 0.1 Hz (a Goertzel scan).
double strongestFrequency(const std::vector<float>& samples, std::size_t from, std::size_t to, double low,
                          double high) {
    double best = low, bestPower = -1;
    for (double f = low; f <= high; f += 0.1) {
        double re = 0, im = 0;
        for (std::size_t i = from; i < to; ++i) {
            const double phase = 2 * std::numbers::pi * f * static_cast<double>(i) / kRate;
            re += samples[i] * std::cos(phase);
            im += samples[i] * std::sin(phase);
        }
        if (re * re + im * im > bestPower) {
            bestPower = re * re + im * im;
            best = f;
        }
    }
    return best;
}

}  // namespace

TEST(Tempo, HalfSpeedKeepsThePitchLastsTwiceAsLongAndCountsSongTime) {
    Channel channel(1, Channel::Kind::stream, sine(440.0, 2.0), 0, kRate);
    channel.setTempo(0.5);
    const std::vector<float> heard = playToEnd(channel, 10 * kRate);

    const double heardSeconds = static_cast<double>(heard.size()) / kRate;
    EXPECT_NEAR(heardSeconds, 4.0, 0.1) << "a 2 s song at half speed";
    // One second from the middle, away from the start and the end.
    EXPECT_NEAR(strongestFrequency(heard, kRate, 2 * kRate, 430.0, 450.0), 440.0, 2.0);
    EXPECT_EQ(channel.audibleFrame(0.0), 2 * kRate) << "the song's end, in song frames";
}

TEST(Tempo, TheMixedPositionMovesAtTheSpeedAndTheLatencyIsCountedInSongTime) {
    Channel channel(1, Channel::Kind::stream, sine(440.0, 10.0), 0, kRate);
    channel.setTempo(0.75);
    const MixSettings plain;
    std::vector<FiredSync> fired;
    std::vector<float> block(2 * 441);
    channel.play();
    for (int i = 0; i < 400; ++i) {  // 4 s heard
        channel.fillAhead();
        channel.render(block.data(), 441, plain, fired);
    }
    EXPECT_NEAR(channel.audibleFrame(0.0) / double(kRate), 3.0, 0.01);
    // 0.1 s still in the device is 0.075 s of the song at 75 %.
    EXPECT_NEAR((channel.audibleFrame(0.0) - channel.audibleFrame(0.1)) / double(kRate), 0.075, 0.001);
}

TEST(Tempo, BackAtFullSpeedAfterASeekTheStretchIsLeftOut) {
    Channel channel(1, Channel::Kind::stream, sine(440.0, 3.0), 0, kRate);
    channel.setTempo(0.5);
    const MixSettings plain;
    std::vector<FiredSync> fired;
    std::vector<float> block(2 * 441);
    channel.play();
    for (int i = 0; i < 50; ++i) {
        channel.fillAhead();
        channel.render(block.data(), 441, plain, fired);
    }
    channel.setTempo(1.0);
    ASSERT_TRUE(channel.seekFrame(channel.audibleFrame(0.0)));
    const std::int64_t start = channel.audibleFrame(0.0);
    for (int i = 0; i < 100; ++i) {
        channel.fillAhead();
        channel.render(block.data(), 441, plain, fired);
    }
    // Exactly one song frame per frame heard: nothing is held back by a stretch any more.
    EXPECT_EQ(channel.audibleFrame(0.0) - start, 100 * 441);
}
