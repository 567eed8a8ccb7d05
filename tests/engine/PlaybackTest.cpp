#include <atomic>
#include <cmath>
#include <vector>

#include "EngineTestSupport.h"

using fixtures::Format;
using namespace std::chrono_literals;

TEST_F(EngineTest, PositionAdvancesInRealTimeHoldsWhilePausedAndRestartsAtZero) {
    const HSTREAM stream = BASS_StreamCreateFile(0, sine("play.wav", Format::wav, 5.0).c_str(), 0, 0, 0);
    ASSERT_TRUE(BASS_ChannelPlay(stream, 0));
    EXPECT_EQ(BASS_ChannelIsActive(stream), static_cast<DWORD>(BASS_ACTIVE_PLAYING));
    const auto start = std::chrono::steady_clock::now();
    std::this_thread::sleep_for(400ms);
    const double played = seconds(stream);
    const double elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    EXPECT_NEAR(played, elapsed, 0.06);

    ASSERT_TRUE(BASS_ChannelPause(stream));
    EXPECT_EQ(BASS_ChannelIsActive(stream), static_cast<DWORD>(BASS_ACTIVE_PAUSED));
    const double paused = seconds(stream);
    std::this_thread::sleep_for(200ms);
    EXPECT_DOUBLE_EQ(seconds(stream), paused);
    EXPECT_EQ(BASS_ChannelGetLevel(stream), 0u) << "no level unless playing";

    ASSERT_TRUE(BASS_ChannelPlay(stream, 0));
    std::this_thread::sleep_for(100ms);
    EXPECT_GT(seconds(stream), paused);
    ASSERT_TRUE(BASS_ChannelPlay(stream, 1));
    EXPECT_LT(seconds(stream), 0.02);
}

TEST_F(EngineTest, ThePositionOfAPlayingChannelNeverStepsBackNorAtAPause) {
    // Read as often as a busy window could, the position only goes on: a display fed from it must
    // never show a time and then an earlier one. Read in bytes, so no rounding hides a step.
    const HSTREAM stream = BASS_StreamCreateFile(0, sine("steps.wav", Format::wav, 5.0).c_str(), 0, 0, 0);
    ASSERT_TRUE(BASS_ChannelPlay(stream, 0));
    QWORD previous = 0;
    int reads = 0;
    const auto end = std::chrono::steady_clock::now() + 1500ms;
    while (std::chrono::steady_clock::now() < end) {
        const QWORD now = BASS_ChannelGetPosition(stream);
        ASSERT_GE(now, previous) << "stepped back after " << reads << " reads";
        previous = now;
        ++reads;
    }
    ASSERT_TRUE(BASS_ChannelPause(stream));
    EXPECT_GE(BASS_ChannelGetPosition(stream), previous) << "at the pause";
    ASSERT_TRUE(BASS_ChannelSetPosition(stream, 0));
    EXPECT_EQ(BASS_ChannelGetPosition(stream), 0u) << "a seek back is taken";
}

TEST_F(EngineTest, AfterAnIdleSpellTheOutputPlaysAgainAtOnceByEitherWayOfStarting) {
    // Idle for a second, the output has stopped asking for sound; a play, or a start of the whole
    // output after a pause of it, gets it going again at once.
    const HSTREAM stream = BASS_StreamCreateFile(0, sine("idle.wav", Format::wav, 5.0).c_str(), 0, 0, 0);
    for (const bool byOutputStart : {false, true}) {
        std::this_thread::sleep_for(1000ms);
        const double before = seconds(stream);
        if (byOutputStart) {
            ASSERT_TRUE(BASS_Start());
        } else {
            ASSERT_TRUE(BASS_ChannelPlay(stream, 0));
        }
        const auto start = std::chrono::steady_clock::now();
        std::this_thread::sleep_for(300ms);
        const double elapsed =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        EXPECT_NEAR(seconds(stream) - before, elapsed, 0.06)
            << (byOutputStart ? "BASS_Start" : "BASS_ChannelPlay");
        ASSERT_TRUE(BASS_Pause());
    }
}

TEST_F(EngineTest, EndOfStreamLeavesTheChannelStoppedAndCallsTheEndSync) {
    const HSTREAM stream = BASS_StreamCreateFile(0, sine("short.wav", Format::wav, 0.3).c_str(), 0, 0, 0);
    std::atomic<int> ends{0};
    ASSERT_NE(BASS_ChannelSetSync(
                  stream, BASS_SYNC_END, 0,
                  [](HSYNC, DWORD, DWORD, void* user) { ++*static_cast<std::atomic<int>*>(user); }, &ends),
              0u);
    ASSERT_TRUE(BASS_ChannelPlay(stream, 0));
    EXPECT_TRUE(waitFor([&] { return BASS_ChannelIsActive(stream) == BASS_ACTIVE_STOPPED; }, 2000ms));
    // Syncs run on their own thread, a little after the mixer has seen the end.
    EXPECT_TRUE(waitFor([&] { return ends.load() > 0; }, 2000ms));
    EXPECT_EQ(ends.load(), 1);
    EXPECT_NEAR(seconds(stream), 0.3, 0.001);
}

TEST_F(EngineTest, LevelsOfAFullScaleSineAndOfSilence) {
    const HSTREAM loud =
        BASS_StreamCreateFile(0, sine("loud.wav", Format::wav, 3.0, 441.0, 1.0).c_str(), 0, 0, 0);
    const HSTREAM quiet =
        BASS_StreamCreateFile(0, sine("quiet.wav", Format::wav, 3.0, 441.0, 0.0).c_str(), 0, 0, 0);
    BASS_ChannelPlay(loud, 0);
    BASS_ChannelPlay(quiet, 0);
    std::this_thread::sleep_for(200ms);
    const DWORD level = BASS_ChannelGetLevel(loud);
    EXPECT_GE(level & 0xFFFF, 32000u);
    EXPECT_LE(level & 0xFFFF, 32768u);
    EXPECT_GE(level >> 16, 32000u);
    EXPECT_EQ(BASS_ChannelGetLevel(quiet), 0u);
}

TEST_F(EngineTest, SpectrumPeaksInTheSinesBin) {
    // Bin 20 of a 512-point transform at 44.1 kHz lies at 20 * 44100 / 512 Hz.
    const double frequency = 20 * 44100.0 / 512;
    const HSTREAM stream =
        BASS_StreamCreateFile(0, sine("tone.wav", Format::wav, 3.0, frequency, 0.8).c_str(), 0, 0, 0);
    BASS_ChannelPlay(stream, 0);
    std::this_thread::sleep_for(150ms);
    float bins[256] = {};
    ASSERT_EQ(BASS_ChannelGetData(stream, bins, BASS_DATA_FFT512), 2048u) << "256 floats";
    int peak = 0;
    for (int i = 1; i < 256; ++i) {
        if (bins[i] > bins[peak]) peak = i;
    }
    EXPECT_EQ(peak, 20);
    EXPECT_GT(bins[20], 0.5f);
}

namespace {
struct DspLog {
    std::mutex mutex;
    std::vector<int> order;
    bool sawFloats = true;
};
template <int Id>
void recordingDsp(HDSP, DWORD, void* buffer, DWORD length, void* user) {
    auto* log = static_cast<DspLog*>(user);
    const auto* samples = static_cast<const float*>(buffer);
    std::lock_guard<std::mutex> lock(log->mutex);
    if (log->order.size() < 200) log->order.push_back(Id);
    for (DWORD i = 0; i < length / 4; ++i) {
        if (!(std::fabs(samples[i]) <= 1.0f)) log->sawFloats = false;
    }
}
}  // namespace

TEST_F(EngineTest, EffectRoutinesRunByPriorityWithFloatSamples) {
    BASS_SetConfig(BASS_CONFIG_FLOATDSP, 1);
    const HSTREAM stream =
        BASS_StreamCreateFile(0, sine("dsp.wav", Format::wav, 3.0, 440.0, 0.9).c_str(), 0, 0, 0);
    DspLog log;
    const HDSP low = BASS_ChannelSetDSP(stream, recordingDsp<2>, &log, 2);
    const HDSP high = BASS_ChannelSetDSP(stream, recordingDsp<4>, &log, 4);
    const HDSP middle = BASS_ChannelSetDSP(stream, recordingDsp<3>, &log, 3);
    ASSERT_TRUE(low && high && middle);
    BASS_ChannelPlay(stream, 0);
    std::this_thread::sleep_for(100ms);
    {
        std::lock_guard<std::mutex> lock(log.mutex);
        // Each addition decodes again with the new chain; the latest blocks went through all three.
        ASSERT_GE(log.order.size(), 6u);
        const std::vector<int> latest(log.order.end() - 6, log.order.end());
        EXPECT_EQ(latest, (std::vector<int>{4, 3, 2, 4, 3, 2}));
        EXPECT_TRUE(log.sawFloats);
        log.order.clear();
    }
    ASSERT_TRUE(BASS_ChannelRemoveDSP(stream, middle));
    EXPECT_FALSE(BASS_ChannelRemoveDSP(stream, middle));
    std::this_thread::sleep_for(100ms);
    std::lock_guard<std::mutex> lock(log.mutex);
    ASSERT_GE(log.order.size(), 4u);
    EXPECT_EQ(log.order[0], 4);
    EXPECT_EQ(log.order[1], 2);
}

TEST_F(EngineTest, VolumeSlideToMinusTwoFadesOutAndStops) {
    const HSTREAM stream = BASS_StreamCreateFile(0, sine("fade.wav", Format::wav, 5.0).c_str(), 0, 0, 0);
    BASS_ChannelPlay(stream, 0);
    ASSERT_TRUE(BASS_ChannelSlideAttributes(stream, -1, -2, -101, 200));
    EXPECT_EQ(BASS_ChannelIsSliding(stream), static_cast<DWORD>(BASS_SLIDE_VOL));
    EXPECT_TRUE(waitFor([&] { return BASS_ChannelIsActive(stream) == BASS_ACTIVE_STOPPED; }, 1000ms));
    EXPECT_EQ(BASS_ChannelIsSliding(stream), 0u);
    DWORD volume = 99;
    BASS_ChannelGetAttributes(stream, nullptr, &volume, nullptr);
    EXPECT_EQ(volume, 0u);
}

TEST_F(EngineTest, AttributesKeepWhatMinusOneAndMinus101Say) {
    const HSTREAM stream = BASS_StreamCreateFile(0, sine("attr.wav", Format::wav, 1.0).c_str(), 0, 0, 0);
    ASSERT_TRUE(BASS_ChannelSetAttributes(stream, 22050, 40, -30));
    ASSERT_TRUE(BASS_ChannelSetAttributes(stream, -1, -1, -101));
    DWORD freq = 0;
    DWORD volume = 0;
    int pan = 0;
    BASS_ChannelGetAttributes(stream, &freq, &volume, &pan);
    EXPECT_EQ(freq, 22050u);
    EXPECT_EQ(volume, 40u);
    EXPECT_EQ(pan, -30);
    EXPECT_FALSE(BASS_ChannelSetAttributes(stream, 441000, -1, -101));
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_FREQ);
}

TEST_F(EngineTest, HalfTheFrequencyPlaysAtHalfTheRate) {
    const HSTREAM stream = BASS_StreamCreateFile(0, sine("rate.wav", Format::wav, 5.0).c_str(), 0, 0, 0);
    BASS_ChannelSetAttributes(stream, 22050, -1, -101);
    BASS_ChannelPlay(stream, 0);
    std::this_thread::sleep_for(400ms);
    EXPECT_NEAR(seconds(stream), 0.2, 0.04);
}

TEST_F(EngineTest, GlobalVolumesAreSettingsBetweenZeroAndAHundred) {
    EXPECT_EQ(BASS_GetConfig(BASS_CONFIG_GVOL_STREAM), 100u);
    EXPECT_EQ(BASS_SetConfig(BASS_CONFIG_GVOL_STREAM, 50), 50u);
    EXPECT_EQ(BASS_GetConfig(BASS_CONFIG_GVOL_STREAM), 50u);
    EXPECT_EQ(BASS_SetConfig(BASS_CONFIG_GVOL_MUSIC, 250), 100u);
    BASS_SetConfig(BASS_CONFIG_GVOL_STREAM, 100);
}

TEST_F(EngineTest, LevelsDescribeTheChannelBeforeItsVolume) {
    const HSTREAM stream =
        BASS_StreamCreateFile(0, sine("quiet.wav", Format::wav, 3.0, 441.0, 0.5).c_str(), 0, 0, 0);
    BASS_ChannelSetAttributes(stream, -1, 20, -101);
    BASS_SetConfig(BASS_CONFIG_GVOL_STREAM, 50);
    BASS_ChannelPlay(stream, 0);
    std::this_thread::sleep_for(150ms);
    EXPECT_NEAR(static_cast<double>(BASS_ChannelGetLevel(stream) & 0xFFFF), 16384.0, 200.0);
    BASS_SetConfig(BASS_CONFIG_GVOL_STREAM, 100);
}

TEST_F(EngineTest, GetDataOfAPlayingChannelGivesItsRecentSamples) {
    const HSTREAM stream =
        BASS_StreamCreateFile(0, sine("wave.wav", Format::wav, 3.0, 441.0, 0.5).c_str(), 0, 0, 0);
    BASS_ChannelPlay(stream, 0);
    std::this_thread::sleep_for(150ms);
    std::vector<std::int16_t> samples(1024);
    ASSERT_EQ(BASS_ChannelGetData(stream, samples.data(), 2048), 2048u);
    int peak = 0;
    for (std::int16_t s : samples) peak = std::max(peak, std::abs(static_cast<int>(s)));
    EXPECT_NEAR(peak, 16384, 200);
}

TEST_F(EngineTest, CpuLoadIsReportedAsAPercentage) {
    const HSTREAM stream = BASS_StreamCreateFile(0, sine("cpu.wav", Format::wav, 2.0).c_str(), 0, 0, 0);
    BASS_ChannelPlay(stream, 0);
    std::this_thread::sleep_for(200ms);
    const float cpu = BASS_GetCPU();
    EXPECT_GE(cpu, 0.0f);
    EXPECT_LT(cpu, 100.0f);
}

TEST_F(EngineTest, PositionSyncFiresWhenPlaybackPassesItsByte) {
    const HSTREAM stream = BASS_StreamCreateFile(0, sine("sync.wav", Format::wav, 2.0).c_str(), 0, 0, 0);
    std::atomic<int> calls{0};
    const HSYNC sync = BASS_ChannelSetSync(
        stream, BASS_SYNC_POS | BASS_SYNC_ONETIME, BASS_ChannelSeconds2Bytes(stream, 0.2f),
        [](HSYNC, DWORD, DWORD, void* user) { ++*static_cast<std::atomic<int>*>(user); }, &calls);
    ASSERT_NE(sync, 0u);
    BASS_ChannelPlay(stream, 0);
    std::this_thread::sleep_for(100ms);
    EXPECT_EQ(calls.load(), 0);
    EXPECT_TRUE(waitFor([&] { return calls.load() == 1; }, 1000ms));
    EXPECT_FALSE(BASS_ChannelRemoveSync(stream, sync)) << "a one-time sync is gone once fired";
}

namespace {
struct BlockLog {
    std::mutex mutex;
    std::vector<DWORD> lengths;
};
void blockLengthDsp(HDSP, DWORD, void*, DWORD length, void* user) {
    auto* log = static_cast<BlockLog*>(user);
    std::lock_guard<std::mutex> lock(log->mutex);
    log->lengths.push_back(length);
}
struct Reentrant {
    std::atomic<int> calls{0};
    std::atomic<int> addedCalls{0};
};
void addedDsp(HDSP, DWORD, void*, DWORD, void* user) {
    ++static_cast<Reentrant*>(user)->addedCalls;
}
void selfReplacingDsp(HDSP dsp, DWORD channel, void*, DWORD, void* user) {
    auto* state = static_cast<Reentrant*>(user);
    if (state->calls++ == 0) {
        BASS_ChannelSetDSP(channel, addedDsp, user, 0);
        BASS_ChannelRemoveDSP(channel, dsp);
    }
}
void freeOwnChannel(HSYNC, DWORD channel, DWORD, void* user) {
    static_cast<std::atomic<BOOL>*>(user)->store(BASS_StreamFree(channel));
}
}  // namespace

TEST_F(EngineTest, EffectRoutinesGetWholeUpdatePeriodsAheadOfPlayback) {
    BASS_SetConfig(BASS_CONFIG_FLOATDSP, 1);
    const HSTREAM stream = BASS_StreamCreateFile(0, sine("blocks.wav", Format::wav, 3.0).c_str(), 0, 0, 0);
    BlockLog log;
    ASSERT_NE(BASS_ChannelSetDSP(stream, blockLengthDsp, &log, 0), 0u);
    BASS_ChannelPlay(stream, 0);
    std::this_thread::sleep_for(150ms);
    std::lock_guard<std::mutex> lock(log.mutex);
    ASSERT_GE(log.lengths.size(), 3u) << "the half second ahead goes through the routine at once";
    for (const DWORD length : log.lengths)
        EXPECT_EQ(length, 4410u * 2 * sizeof(float)) << "100 ms at 44.1 kHz";
}

TEST_F(EngineTest, CallbacksMayChangeTheirOwnChannel) {
    const HSTREAM stream = BASS_StreamCreateFile(0, sine("reentrant.wav", Format::wav, 2.0).c_str(), 0, 0, 0);
    Reentrant state;
    ASSERT_NE(BASS_ChannelSetDSP(stream, selfReplacingDsp, &state, 1), 0u);
    BASS_ChannelPlay(stream, 0);
    std::this_thread::sleep_for(200ms);
    EXPECT_EQ(state.calls.load(), 1) << "removed from within, never called again";
    EXPECT_GT(state.addedCalls.load(), 0) << "the routine it added runs";

    const HSTREAM ending = BASS_StreamCreateFile(0, sine("ending.wav", Format::wav, 0.1).c_str(), 0, 0, 0);
    std::atomic<BOOL> freed{0};
    ASSERT_NE(BASS_ChannelSetSync(ending, BASS_SYNC_END, 0, freeOwnChannel, &freed), 0u);
    BASS_ChannelPlay(ending, 0);
    EXPECT_TRUE(waitFor([&] { return freed.load() != 0; }, 2s)) << "the end sync freed its own channel";
    EXPECT_EQ(BASS_ChannelIsActive(ending), 0u);
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_HANDLE);
}

TEST_F(EngineTest, PracticeSpeedRunsTheSongClockSlowerAndIsRefusedOutOfRange) {
    const HSTREAM stream = BASS_StreamCreateFile(0, sine("slow.wav", Format::wav, 8.0).c_str(), 0, 0, 0);
    EXPECT_FLOAT_EQ(BASS_ChannelGetTempo(stream), 100.0f);
    ASSERT_TRUE(BASS_ChannelSetTempo(stream, 50.0f));
    EXPECT_FLOAT_EQ(BASS_ChannelGetTempo(stream), 50.0f);
    BASS_ChannelPlay(stream, 0);
    std::this_thread::sleep_for(4s);
    EXPECT_NEAR(seconds(stream), 2.0, 0.03) << "4 s of play at 50 %";
    // Back to full speed while playing: the song goes on from where it was, at its own pace.
    const double before = seconds(stream);
    ASSERT_TRUE(BASS_ChannelSetTempo(stream, 100.0f));
    EXPECT_NEAR(seconds(stream), before, 0.03) << "no jump at the change";
    std::this_thread::sleep_for(1s);
    EXPECT_NEAR(seconds(stream), before + 1.0, 0.05);

    EXPECT_FALSE(BASS_ChannelSetTempo(stream, 20.0f));
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_ILLPARAM);
    EXPECT_FALSE(BASS_ChannelSetTempo(stream, std::nanf("")));
    const HSTREAM decoding = BASS_StreamCreateFile(0, path("slow.wav").c_str(), 0, 0, BASS_STREAM_DECODE);
    EXPECT_FALSE(BASS_ChannelSetTempo(decoding, 50.0f));
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_NOTAVAIL);
    EXPECT_FLOAT_EQ(BASS_ChannelGetTempo(12345), -1.0f);
}

TEST_F(EngineTest, AtHalfSpeedTheSongEndsAfterTwiceItsLengthWithItsEndSync) {
    const HSTREAM stream = BASS_StreamCreateFile(0, sine("end.wav", Format::wav, 1.0).c_str(), 0, 0, 0);
    std::atomic<int> ends{0};
    BASS_ChannelSetSync(
        stream, BASS_SYNC_END, 0,
        [](HSYNC, DWORD, DWORD, void* user) { ++*static_cast<std::atomic<int>*>(user); }, &ends);
    BASS_ChannelSetTempo(stream, 50.0f);
    const auto started = std::chrono::steady_clock::now();
    BASS_ChannelPlay(stream, 0);
    ASSERT_TRUE(waitFor([&] { return BASS_ChannelIsActive(stream) == BASS_ACTIVE_STOPPED; }, 4s));
    const double took = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    EXPECT_NEAR(took, 2.0, 0.15);
    EXPECT_NEAR(seconds(stream), 1.0, 0.01) << "the position is the song's end";
    EXPECT_TRUE(waitFor([&] { return ends.load() == 1; }, 500ms));
}
