#include "PeakScan.h"

#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <QFile>
#include <vector>

#include "BassDLLPlayer.h"
#include "Bass_Dynamic.h"

namespace {

// About a third of a second of a stereo song at 44.1 kHz per call: cancelling waits for no more.
constexpr DWORD kBlockFrames = 16384;
constexpr DWORD kFail = static_cast<DWORD>(-1);

// The work gives way to the sound and the window on a busy machine.
void lowerThisThreadsPriority() {
    const auto thread = static_cast<id_t>(::syscall(SYS_gettid));
    (void)::setpriority(PRIO_PROCESS, thread, 10);
}

}  // namespace

PeakScan::PeakScan(const QString& songPath, std::shared_ptr<const PeakCache> cache,
                   std::function<void()> changed)
    : cache_(std::move(cache)), changed_(std::move(changed)), thread_([this, songPath] { work(songPath); }) {}

void PeakScan::tell(bool always) {
    if (!changed_) return;
    const auto now = std::chrono::steady_clock::now();
    if (!always && now - lastTold_ < kChangeInterval) return;
    lastTold_ = now;
    changed_();
}

PeakScan::~PeakScan() {
    cancel();
    if (thread_.joinable()) thread_.join();
}

void PeakScan::cancel() {
    cancelled_.store(true);
}

void PeakScan::read(const std::function<void(const PeakTable&)>& reader) const {
    std::lock_guard lock(mutex_);
    reader(peaks_);
}

DWORD PeakScan::openDecoder(const QString& songPath) {
    if (!bassdll::BassLibraryLoaded()) return 0;
    const QByteArray path = QFile::encodeName(songPath);
    if (isTrackerModuleName(songPath)) {
        return bassdll::BASS_MusicLoad(0, path.constData(), 0, 0,
                                       BASS_STREAM_DECODE | BASS_MUSIC_CALCLEN | BASS_MUSIC_RAMP, 0);
    }
    return bassdll::BASS_StreamCreateFile(0, path.constData(), 0, 0, BASS_STREAM_DECODE);
}

void PeakScan::closeDecoder(DWORD handle, const QString& songPath) {
    if (handle == 0) return;
    if (isTrackerModuleName(songPath)) {
        bassdll::BASS_MusicFree(handle);
    } else {
        bassdll::BASS_StreamFree(handle);
    }
}

void PeakScan::work(QString songPath) {
    lowerThisThreadsPriority();
    const std::optional<SongFileKey> key = songFileKey(songPath);
    if (cache_ && key) {
        if (std::optional<PeakTable> cached = cache_->load(*key)) {
            expectedSeconds_.store(static_cast<double>(cached->fine.size()) / PeakTable::kSlicesPerSecond);
            {
                std::lock_guard lock(mutex_);
                peaks_ = std::move(*cached);
            }
            outcome_.store(Outcome::fromCache);
            tell(true);
            return;
        }
    }
    const Outcome outcome = decode(songPath);
    if (outcome == Outcome::decoded && cache_ && key) {
        // The song may have changed while it was read: then the peaks are not kept under its old state.
        // Written without the lock: the peaks are complete and only read now, so the window's
        // drawing never waits for the disk.
        if (songFileKey(songPath) == key) cache_->store(*key, peaks_);
    }
    outcome_.store(outcome);
    tell(true);
}

PeakScan::Outcome PeakScan::decode(const QString& songPath) {
    const DWORD handle = openDecoder(songPath);
    if (handle == 0) return Outcome::unreadable;
    struct Closer {
        DWORD handle;
        const QString& path;
        ~Closer() { closeDecoder(handle, path); }
    } closer{handle, songPath};

    BASS_CHANNELINFO info{};
    if (!bassdll::BASS_ChannelGetInfo(handle, &info) || info.chans == 0 || info.freq == 0) {
        return Outcome::unreadable;
    }
    const QWORD lengthBytes = isTrackerModuleName(songPath) ? bassdll::BASS_MusicGetLength(handle, 1)
                                                            : bassdll::BASS_StreamGetLength(handle);
    if (lengthBytes != static_cast<QWORD>(-1)) {
        const double seconds = bassdll::BASS_ChannelBytes2Seconds(handle, lengthBytes);
        if (seconds > 0) {
            expectedSeconds_.store(seconds);
            // Room for the whole song at once: the table never holds twice what it needs.
            const auto slices = static_cast<std::size_t>(seconds * PeakTable::kSlicesPerSecond) + 2;
            std::lock_guard lock(mutex_);
            peaks_.fine.reserve(slices);
            peaks_.coarse.reserve(slices / PeakTable::kCoarseFactor + 2);
        }
    }

    PeakBuilder builder(static_cast<int>(info.freq), static_cast<int>(info.chans));
    std::vector<float> block(static_cast<std::size_t>(kBlockFrames) * info.chans);
    const auto blockBytes = static_cast<DWORD>(block.size() * sizeof(float));
    while (!cancelled_.load()) {
        const DWORD got = bassdll::BASS_ChannelGetData(handle, block.data(), blockBytes | BASS_DATA_FLOAT);
        if (got == kFail || got == 0) {
            std::lock_guard lock(mutex_);
            builder.finish(peaks_);
            peaks_.fine.shrink_to_fit();
            peaks_.coarse.shrink_to_fit();
            return peaks_.fine.empty() ? Outcome::unreadable : Outcome::decoded;
        }
        {
            std::lock_guard lock(mutex_);
            builder.add(block.data(), got / sizeof(float) / info.chans, peaks_);
        }
        tell(false);
    }
    return Outcome::cancelled;
}
