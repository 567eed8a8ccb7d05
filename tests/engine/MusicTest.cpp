#include <vector>

#include "EngineTestSupport.h"

namespace {

HMUSIC loadModule(const std::vector<std::uint8_t>& module,
                  DWORD flags = BASS_MUSIC_RAMP | BASS_MUSIC_CALCLEN) {
    return BASS_MusicLoad(1, module.data(), 0, static_cast<DWORD>(module.size()), flags, 0);
}

// Frames a decode-only music renders before it ends.
std::size_t renderedFrames(HMUSIC music) {
    std::vector<std::int16_t> block(2 * 4096);
    std::size_t frames = 0;
    for (;;) {
        const DWORD got = BASS_ChannelGetData(music, block.data(), static_cast<DWORD>(block.size() * 2));
        if (got == 0 || got == static_cast<DWORD>(-1)) break;
        frames += got / 4;
    }
    return frames;
}

}  // namespace

TEST_F(EngineTest, ModuleLoadsWithItsNameLengthAndSpeed) {
    const auto module = fixtures::fourChannelModule();
    const HMUSIC music = loadModule(module);
    ASSERT_NE(music, 0u) << BASS_ErrorGetCode();
    EXPECT_STREQ(BASS_MusicGetName(music), "quillon test");
    // 64 rows at 6 ticks of 20 ms.
    EXPECT_NEAR(BASS_ChannelBytes2Seconds(music, BASS_MusicGetLength(music, 1)), 7.68, 0.05);
    EXPECT_EQ(BASS_MusicGetLength(music, 0), 1u) << "one order";
    EXPECT_EQ(BASS_MusicGetAttribute(music, BASS_MUSIC_ATTRIB_SPEED), 6u);

    const std::string file = path("song.mod");
    fixtures::writeBytes(file, module);
    EXPECT_NE(BASS_MusicLoad(0, file.c_str(), 0, 0, BASS_MUSIC_CALCLEN, 0), 0u);
}

TEST_F(EngineTest, ModuleChannelVolumesAndMinusOnePastTheLastChannel) {
    const HMUSIC music = loadModule(fixtures::fourChannelModule());
    for (DWORD channel = 0; channel < 4; ++channel) {
        EXPECT_EQ(BASS_MusicSetAttribute(music, BASS_MUSIC_ATTRIB_VOL_CHAN + channel, 1), 1u) << channel;
    }
    EXPECT_EQ(BASS_MusicSetAttribute(music, BASS_MUSIC_ATTRIB_VOL_CHAN + 4, 1), static_cast<DWORD>(-1));
    EXPECT_EQ(BASS_MusicSetAttribute(music, BASS_MUSIC_ATTRIB_VOL_CHAN + 2, 40), 40u);
    EXPECT_EQ(BASS_MusicGetAttribute(music, BASS_MUSIC_ATTRIB_VOL_CHAN + 2), 40u);
    EXPECT_EQ(BASS_MusicGetAttribute(music, BASS_MUSIC_ATTRIB_VOL_CHAN + 9), static_cast<DWORD>(-1));
}

TEST_F(EngineTest, MoreTicksPerRowPlayTheModuleSlower) {
    const auto module = fixtures::fourChannelModule();
    const HMUSIC normal = loadModule(module, BASS_STREAM_DECODE | BASS_MUSIC_CALCLEN);
    const HMUSIC slow = loadModule(module, BASS_STREAM_DECODE | BASS_MUSIC_CALCLEN);
    ASSERT_EQ(BASS_MusicSetAttribute(slow, BASS_MUSIC_ATTRIB_SPEED, 12), 12u);
    EXPECT_EQ(BASS_MusicGetAttribute(slow, BASS_MUSIC_ATTRIB_SPEED), 12u);
    const double normalFrames = static_cast<double>(renderedFrames(normal));
    const double slowFrames = static_cast<double>(renderedFrames(slow));
    EXPECT_NEAR(normalFrames / 44100, 7.68, 0.15);
    EXPECT_NEAR(slowFrames / normalFrames, 2.0, 0.05);
}

TEST_F(EngineTest, MusicSeeksBySecondsInTheLowWord) {
    const HMUSIC music = loadModule(fixtures::fourChannelModule());
    ASSERT_TRUE(BASS_ChannelSetPosition(music, BASS_MUSIC_POSITION_SECONDS | 3));
    EXPECT_NEAR(BASS_ChannelBytes2Seconds(music, BASS_ChannelGetPosition(music)), 3.0, 0.001);
    // Notes started before the seek point do not sound after it; from the start they do.
    ASSERT_TRUE(BASS_ChannelSetPosition(music, BASS_MUSIC_POSITION_SECONDS | 0));
    ASSERT_TRUE(BASS_ChannelPlay(music, 0));
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_GT(BASS_ChannelGetLevel(music) & 0xFFFF, 0u);
}

TEST_F(EngineTest, SpeedAndChannelVolumesSetByTheCallerHoldOverSeeksAndRestarts) {
    const auto module = fixtures::fourChannelModule();
    const HMUSIC slow = loadModule(module, BASS_STREAM_DECODE | BASS_MUSIC_CALCLEN);
    ASSERT_EQ(BASS_MusicSetAttribute(slow, BASS_MUSIC_ATTRIB_SPEED, 12), 12u);
    ASSERT_TRUE(BASS_ChannelSetPosition(slow, BASS_MUSIC_POSITION_SECONDS | 0));
    EXPECT_NEAR(static_cast<double>(renderedFrames(slow)) / 44100, 2 * 7.68, 0.3) << "still twice as slow";

    const HMUSIC muted = loadModule(module);
    for (DWORD channel = 0; channel < 4; ++channel)
        BASS_MusicSetAttribute(muted, BASS_MUSIC_ATTRIB_VOL_CHAN + channel, 0);
    ASSERT_TRUE(BASS_ChannelSetPosition(muted, BASS_MUSIC_POSITION_SECONDS | 1));
    ASSERT_TRUE(BASS_ChannelPlay(muted, 1));  // a restart, as the player's Play from stopped
    std::this_thread::sleep_for(std::chrono::milliseconds(150));
    EXPECT_EQ(BASS_ChannelGetLevel(muted), 0u) << "the channels stay silent";
    EXPECT_EQ(BASS_MusicGetAttribute(muted, BASS_MUSIC_ATTRIB_VOL_CHAN + 3), 0u);
}
