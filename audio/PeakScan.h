#pragma once
// A song's peaks, worked out on a thread of their own so the window never waits: taken from the
// cache when it holds them for the song as it is now, else decoded through the audio library's
// decode-only stream (so every format the player opens has them, tracker modules included) and
// stored in the cache once complete. The peaks grow while the work goes on.

#include <QString>
#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

#include "PeakCache.h"
#include "Peaks.h"
#include "QuillonAudio.h"

class PeakScan {
public:
    enum class Outcome { working, fromCache, decoded, unreadable, cancelled };

    // Starts the work at once. `cache` may be null: the peaks are then neither looked up nor kept.
    // `changed` is called on the worker thread when the peaks have grown (at most every
    // kChangeInterval) and once when the work ends; it must only hand the news on.
    PeakScan(const QString& songPath, std::shared_ptr<const PeakCache> cache,
             std::function<void()> changed = {});
    static constexpr std::chrono::milliseconds kChangeInterval{100};
    // Cancels the work and waits for the thread (a block of decoding at most).
    ~PeakScan();
    PeakScan(const PeakScan&) = delete;
    PeakScan& operator=(const PeakScan&) = delete;

    // The work stops at its next block; nothing is stored.
    void cancel();
    Outcome outcome() const { return outcome_.load(); }
    bool finished() const { return outcome() != Outcome::working; }
    // The song's length as the decoder reported it at the start, in seconds (0 until known).
    double expectedSeconds() const { return expectedSeconds_.load(); }

    // Calls `reader` with the peaks so far, under the scan's lock: keep it short. Any thread.
    void read(const std::function<void(const PeakTable&)>& reader) const;

    // A decode-only channel of the audio library for `songPath`, opened as the player opens the
    // song (a tracker module by its name, anything else as a stream), giving float samples; 0 when
    // it cannot be opened. Also used by the benchmark's plain decode.
    static DWORD openDecoder(const QString& songPath);
    static void closeDecoder(DWORD handle, const QString& songPath);

private:
    void work(QString songPath);
    Outcome decode(const QString& songPath);

    void tell(bool always);

    std::shared_ptr<const PeakCache> cache_;
    std::function<void()> changed_;
    std::chrono::steady_clock::time_point lastTold_{};
    mutable std::mutex mutex_;
    PeakTable peaks_;
    std::atomic<bool> cancelled_{false};
    std::atomic<Outcome> outcome_{Outcome::working};
    std::atomic<double> expectedSeconds_{0.0};
    std::thread thread_;
};
