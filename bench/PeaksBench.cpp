// The waveform lane's peaks: how long a 5-minute mp3's peaks take beside the engine's plain decode
// of the same song through the same decode-only channel (alternating rounds), what a 90-minute
// mp3's peaks hold in memory, and how soon a reopen with a warm cache has them.

#include <QDir>
#include <QString>
#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <vector>

#include "BenchAudio.h"
#include "audio/Bass_Dynamic.h"
#include "audio/PeakCache.h"
#include "audio/PeakScan.h"

namespace {

constexpr int kRounds = 7;
using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const std::size_t middle = values.size() / 2;
    return values.size() % 2 == 1 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

// The plain decode: the same channel the peaks' work opens, read to its end in the same blocks.
double plainDecodeSeconds(const QString& song) {
    const auto start = Clock::now();
    const DWORD handle = PeakScan::openDecoder(song);
    std::vector<float> block(2 * 16384);
    for (;;) {
        const DWORD got = bassdll::BASS_ChannelGetData(
            handle, block.data(), static_cast<DWORD>(block.size() * sizeof(float)) | BASS_DATA_FLOAT);
        if (got == 0 || got == static_cast<DWORD>(-1)) break;
    }
    PeakScan::closeDecoder(handle, song);
    return secondsSince(start);
}

// Runs a scan to its end; the seconds until it told its end, and its peaks' bytes.
struct ScanFigures {
    double seconds;
    std::size_t bytes;
    PeakScan::Outcome outcome;
};
ScanFigures scan(const QString& song, std::shared_ptr<const PeakCache> cache) {
    std::mutex mutex;
    std::condition_variable ended;
    bool done = false;
    const auto start = Clock::now();
    double seconds = 0;
    PeakScan work(song, std::move(cache), [&] {
        std::lock_guard lock(mutex);
        if (done) return;
        seconds = secondsSince(start);
    });
    while (!work.finished()) std::this_thread::sleep_for(std::chrono::microseconds(200));
    {
        std::lock_guard lock(mutex);
        done = true;
    }
    std::size_t bytes = 0;
    work.read([&](const PeakTable& peaks) { bytes = peaks.bytesHeld(); });
    return {seconds, bytes, work.outcome()};
}

}  // namespace

int main() {
    QString problem;
    if (!bassdll::LoadBassLibrary(bassdll::systemLibraryLoader(QStringLiteral(QUILLON_AUDIO_LIBRARY)),
                                  problem)) {
        std::fprintf(stderr, "%s\n", qPrintable(problem));
        return 1;
    }
    bassdll::BASS_Init(0, 44100, 0, nullptr, nullptr);
    QTemporaryDir cacheFolder;
    const auto cache = std::make_shared<PeakCache>(cacheFolder.path());

    const QString fiveMinutes = QString::fromStdString(benchaudio::song("mp3", 300));
    plainDecodeSeconds(fiveMinutes);  // into the page cache
    std::vector<double> plain, peaks, ratios;
    for (int round = 0; round < kRounds; ++round) {
        double decode = 0, withPeaks = 0;
        const auto peaksSeconds = [&] { return scan(fiveMinutes, nullptr).seconds; };
        if (round % 2 == 0) {
            decode = plainDecodeSeconds(fiveMinutes);
            withPeaks = peaksSeconds();
        } else {
            withPeaks = peaksSeconds();
            decode = plainDecodeSeconds(fiveMinutes);
        }
        plain.push_back(decode);
        peaks.push_back(withPeaks);
        ratios.push_back(withPeaks / decode);
    }
    std::printf(
        "peaks of a 5-minute mp3, %d alternating rounds: plain decode median %.0f ms, peaks median %.0f ms; "
        "peaks/decode per round: median %.2f (range %.2f to %.2f)\n",
        kRounds, 1000 * median(plain), 1000 * median(peaks), median(ratios),
        *std::min_element(ratios.begin(), ratios.end()), *std::max_element(ratios.begin(), ratios.end()));

    const QString ninetyMinutes = QString::fromStdString(benchaudio::song("mp3", 90 * 60));
    const ScanFigures cold = scan(ninetyMinutes, cache);
    std::printf("peaks of a 90-minute mp3: %.2f MB in memory, worked out in %.1f s\n", cold.bytes / 1e6,
                cold.seconds);
    std::vector<double> warm;
    for (int round = 0; round < kRounds; ++round) {
        const ScanFigures again = scan(ninetyMinutes, cache);
        if (again.outcome != PeakScan::Outcome::fromCache) {
            std::printf("the cache did not answer\n");
            return 1;
        }
        warm.push_back(again.seconds);
    }
    std::printf(
        "a reopen of the 90-minute mp3 with a warm cache, %d rounds: peaks in hand after median %.1f ms "
        "(worst %.1f ms)\n",
        kRounds, 1000 * median(warm), 1000 * *std::max_element(warm.begin(), warm.end()));
    bassdll::BASS_Free();
    bassdll::UnloadBassLibrary();
    return 0;
}
