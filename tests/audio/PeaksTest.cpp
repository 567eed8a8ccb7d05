// A song's peaks: slices of generated signals, the cache file on disk, and the worker that decodes
// through the audio library and can be cancelled.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <utime.h>

#include <QFile>
#include <atomic>
#include <chrono>
#include <cmath>
#include <thread>

#include "PlayerTestSupport.h"
#include "audio/PeakCache.h"
#include "audio/PeakScan.h"
#include "audio/Peaks.h"

namespace {

using playertest::Folder;

PeakTable peaksOf(const std::vector<float>& samples, int rate, int channels, std::size_t blockFrames = 997) {
    PeakTable table;
    PeakBuilder builder(rate, channels);
    const std::size_t frames = samples.size() / static_cast<std::size_t>(channels);
    for (std::size_t at = 0; at < frames; at += blockFrames) {
        const std::size_t count = std::min(blockFrames, frames - at);
        builder.add(samples.data() + at * static_cast<std::size_t>(channels), count, table);
    }
    builder.finish(table);
    return table;
}

// Stereo silence of `seconds` with a burst of `amplitude` (alternating sign, left channel only)
// from `burstAt` for 50 ms.
std::vector<float> silenceWithBurst(int rate, double seconds, double burstAt, float amplitude) {
    const auto frames = static_cast<std::size_t>(std::llround(seconds * rate));
    std::vector<float> samples(2 * frames, 0.0f);
    const auto start = static_cast<std::size_t>(std::llround(burstAt * rate));
    for (std::size_t i = start; i < std::min(frames, start + static_cast<std::size_t>(rate / 20)); ++i) {
        samples[2 * i] = (i % 2 == 0) ? amplitude : -amplitude;
    }
    return samples;
}

TEST(Peaks, SilenceABurstAndAFullScaleSquareGiveTheirSlices) {
    // 2 s at 22050 Hz: 100 does not divide the rate, and the slices still count 200.
    const PeakTable silent = peaksOf(std::vector<float>(2 * 44100, 0.0f), 22050, 2);
    ASSERT_EQ(silent.fine.size(), 200u);
    ASSERT_EQ(silent.coarse.size(), 20u);
    for (const PeakPair pair : silent.fine) EXPECT_EQ(pair, PeakPair{});

    const PeakTable burst = peaksOf(silenceWithBurst(44100, 3.0, 1.23, 0.5f), 44100, 2);
    ASSERT_EQ(burst.fine.size(), 300u);
    for (std::size_t slice = 0; slice < burst.fine.size(); ++slice) {
        const bool inBurst = slice >= 123 && slice < 128;
        EXPECT_EQ(burst.fine[slice], (inBurst ? PeakPair{-16384, 16384} : PeakPair{})) << "slice " << slice;
    }
    EXPECT_EQ(burst.coarse[12], (PeakPair{-16384, 16384}));
    EXPECT_EQ(burst.coarse[11], PeakPair{});

    // A square wave at full scale (and beyond it: clipped), 110 Hz, mono.
    std::vector<float> square(44100);
    for (std::size_t i = 0; i < square.size(); ++i) square[i] = (i / 200) % 2 == 0 ? 1.0f : -1.5f;
    const PeakTable full = peaksOf(square, 44100, 1, 4096);
    ASSERT_EQ(full.fine.size(), 100u);
    for (const PeakPair pair : full.fine) EXPECT_EQ(pair, (PeakPair{-32767, 32767}));
}

TEST(Peaks, ALastPartialSliceCountsAndBlocksDoNotMatter) {
    // 1.005 s: a hundred whole slices and half of one more.
    std::vector<float> samples = silenceWithBurst(8000, 1.005, 1.0, 0.25f);
    const PeakTable oneBlock = peaksOf(samples, 8000, 2, 1 << 20);
    const PeakTable smallBlocks = peaksOf(samples, 8000, 2, 7);
    ASSERT_EQ(oneBlock.fine.size(), 101u);
    EXPECT_EQ(oneBlock.fine.back(), (PeakPair{-8192, 8192}));
    EXPECT_EQ(oneBlock.fine, smallBlocks.fine);
    EXPECT_EQ(oneBlock.coarse, smallBlocks.coarse);
    EXPECT_EQ(oneBlock.coarse.size(), 11u);
    PeakTable rebuilt{oneBlock.fine, {}};
    rebuilt.rebuildCoarse();
    EXPECT_EQ(rebuilt.coarse, oneBlock.coarse);
}

// ---------------------------------------------------------------- the cache file

class PeakCacheTest : public ::testing::Test {
protected:
    Folder folder;
    PeakCache cache{folder.file("cache")};
    QString song = folder.file("song.wav");

    void SetUp() override {
        ASSERT_TRUE(fixtures::writeWav(song.toStdString(), 8000, 2, silenceWithBurst(8000, 2.0, 0.5, 0.5f)));
    }
    PeakTable somePeaks() const { return peaksOf(silenceWithBurst(8000, 2.0, 0.5, 0.5f), 8000, 2); }
};

TEST_F(PeakCacheTest, StoredPeaksComeBackForTheSameSongStateOnly) {
    const SongFileKey key = *songFileKey(song);
    ASSERT_TRUE(cache.store(key, somePeaks()));
    const std::optional<PeakTable> loaded = cache.load(key);
    ASSERT_TRUE(loaded);
    EXPECT_EQ(loaded->fine, somePeaks().fine);
    EXPECT_EQ(loaded->coarse, somePeaks().coarse);

    // The song is written again: another size, or the same size at another time.
    ASSERT_TRUE(fixtures::writeWav(song.toStdString(), 8000, 2, silenceWithBurst(8000, 2.5, 0.5, 0.5f)));
    EXPECT_FALSE(cache.load(*songFileKey(song)));
    SongFileKey touched = key;
    touched.modifiedMs += 1000;
    EXPECT_FALSE(cache.load(touched));
    // Another song that shares nothing but the size and time.
    SongFileKey elsewhere = key;
    elsewhere.path += QStringLiteral("x");
    EXPECT_FALSE(cache.load(elsewhere));
}

TEST_F(PeakCacheTest, ADamagedFileIsIgnored) {
    const SongFileKey key = *songFileKey(song);
    ASSERT_TRUE(cache.store(key, somePeaks()));
    QFile file(cache.fileFor(key.path));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray good = file.readAll();
    file.close();
    const auto writeAndLoad = [&](const QByteArray& bytes) {
        QFile out(cache.fileFor(key.path));
        EXPECT_TRUE(out.open(QIODevice::WriteOnly | QIODevice::Truncate));
        out.write(bytes);
        out.close();
        return cache.load(key);
    };
    QByteArray flipped = good;
    flipped[good.size() / 2] = static_cast<char>(flipped[good.size() / 2] ^ 0x10);
    EXPECT_FALSE(writeAndLoad(flipped));
    EXPECT_FALSE(writeAndLoad(good.left(good.size() - 1)));
    EXPECT_FALSE(writeAndLoad(good.left(20)));
    EXPECT_FALSE(writeAndLoad(QByteArray()));
    EXPECT_TRUE(writeAndLoad(good));
}

// ---------------------------------------------------------------- the worker

class PeakScanTest : public ::testing::Test {
protected:
    void SetUp() override {
        playertest::loadLibrary();
        // The library decodes once it is started, as the player starts it.
        player = playertest::designPlayer();
    }
    std::unique_ptr<TBassdllPlayer> player;
    Folder folder;
    std::shared_ptr<const PeakCache> cache = std::make_shared<PeakCache>(folder.file("cache"));

    static void waitFor(const PeakScan& scan) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (!scan.finished() && std::chrono::steady_clock::now() < deadline) {
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        ASSERT_TRUE(scan.finished());
    }
    static PeakTable copyOf(const PeakScan& scan) {
        PeakTable copy;
        scan.read([&](const PeakTable& peaks) { copy = peaks; });
        return copy;
    }
};

TEST_F(PeakScanTest, EveryFormatThePlayerOpensGivesPeaksWhichTheCacheThenHolds) {
    const QString wav = folder.file("burst.wav");
    ASSERT_TRUE(fixtures::writeWav(wav.toStdString(), 44100, 2, silenceWithBurst(44100, 4.0, 2.5, 0.5f)));
    {
        PeakScan scan(wav, cache);
        waitFor(scan);
        EXPECT_EQ(scan.outcome(), PeakScan::Outcome::decoded);
        const PeakTable peaks = copyOf(scan);
        ASSERT_EQ(peaks.fine.size(), 400u);
        EXPECT_EQ(peaks.fine[249], PeakPair{});
        // 16-bit samples: 0.5 is 16384/32768, read back as float and scaled to 32767.
        EXPECT_NEAR(peaks.fine[250].high, 16384, 2);
        EXPECT_NEAR(peaks.fine[254].low, -16384, 2);
        EXPECT_EQ(peaks.fine[255], PeakPair{});
        EXPECT_NEAR(scan.expectedSeconds(), 4.0, 0.001);
    }
    // The window hears of cached peaks at once, not at its next look.
    std::atomic<int> told{0};
    PeakScan again(wav, cache, [&] { ++told; });
    waitFor(again);
    EXPECT_EQ(again.outcome(), PeakScan::Outcome::fromCache);
    // The news comes just after the outcome.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    while (told.load() == 0 && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    EXPECT_EQ(told.load(), 1);
    EXPECT_EQ(copyOf(again).fine.size(), 400u);

    const QString ogg = folder.file("sine.ogg");
    const QString mp3 = folder.file("sine.mp3");
    const QString module = folder.file("square.mod");
    ASSERT_TRUE(fixtures::writeSine(ogg.toStdString(), fixtures::Format::ogg, 2.0, 440.0, 0.5, 44100));
    ASSERT_TRUE(fixtures::writeSine(mp3.toStdString(), fixtures::Format::mp3, 2.0, 440.0, 0.5, 44100));
    fixtures::writeBytes(module.toStdString(), fixtures::fourChannelModule());
    for (const QString& song : {ogg, mp3, module}) {
        PeakScan scan(song, nullptr);
        waitFor(scan);
        EXPECT_EQ(scan.outcome(), PeakScan::Outcome::decoded) << song.toStdString();
        const PeakTable peaks = copyOf(scan);
        EXPECT_GE(peaks.fine.size(), 190u) << song.toStdString();
        ASSERT_GT(peaks.fine.size(), 150u);
        EXPECT_GT(peaks.fine[150].high, 8000) << song.toStdString();
        EXPECT_LT(peaks.fine[150].low, -8000) << song.toStdString();
    }
}

TEST_F(PeakScanTest, AStaleOrDamagedCacheIsRebuiltAndAnUnreadableSongGivesNone) {
    const QString wav = folder.file("song.wav");
    ASSERT_TRUE(fixtures::writeWav(wav.toStdString(), 8000, 2, silenceWithBurst(8000, 2.0, 0.5, 0.5f)));
    {
        PeakScan first(wav, cache);
        waitFor(first);
    }
    // The song changes: longer, with its burst elsewhere.
    ASSERT_TRUE(fixtures::writeWav(wav.toStdString(), 8000, 2, silenceWithBurst(8000, 3.0, 2.0, 0.5f)));
    {
        PeakScan second(wav, cache);
        waitFor(second);
        EXPECT_EQ(second.outcome(), PeakScan::Outcome::decoded);
        const PeakTable peaks = copyOf(second);
        ASSERT_EQ(peaks.fine.size(), 300u);
        EXPECT_GT(peaks.fine[200].high, 16000);
    }
    QFile damaged(cache->fileFor(songFileKey(wav)->path));
    ASSERT_TRUE(damaged.open(QIODevice::ReadWrite));
    damaged.seek(damaged.size() - 40);
    damaged.write("xxxx");
    damaged.close();
    {
        PeakScan third(wav, cache);
        waitFor(third);
        EXPECT_EQ(third.outcome(), PeakScan::Outcome::decoded);
    }
    PeakScan fourth(wav, cache);
    waitFor(fourth);
    EXPECT_EQ(fourth.outcome(), PeakScan::Outcome::fromCache);

    const QString text = folder.file("notes.mp3");
    fixtures::writeBytes(text.toStdString(), std::vector<std::uint8_t>(5000, 'a'));
    PeakScan unreadable(text, cache);
    waitFor(unreadable);
    EXPECT_EQ(unreadable.outcome(), PeakScan::Outcome::unreadable);
    EXPECT_TRUE(copyOf(unreadable).fine.empty());
}

TEST_F(PeakScanTest, CancellingStopsTheWorkSoonAndStoresNothing) {
    // Ten minutes of sound take the decoder far longer than the cancel may.
    const QString wav = folder.file("long.wav");
    ASSERT_TRUE(fixtures::writeSine(wav.toStdString(), fixtures::Format::wav, 600.0, 440.0, 0.5, 44100));
    PeakScan scan(wav, cache);
    while (copyOf(scan).fine.empty() && !scan.finished())
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    const auto asked = std::chrono::steady_clock::now();
    scan.cancel();
    waitFor(scan);
    EXPECT_LT(std::chrono::steady_clock::now() - asked, std::chrono::milliseconds(500));
    EXPECT_EQ(scan.outcome(), PeakScan::Outcome::cancelled);
    EXPECT_LT(copyOf(scan).fine.size(), 60000u);
    EXPECT_FALSE(QFile::exists(cache->fileFor(songFileKey(wav)->path)));
}

}  // namespace
