#pragma once
// Peaks kept between runs, one file per song in the user's cache folder
// ($XDG_CACHE_HOME/quillon/peaks). A file holds the song's path, size and modification time; a
// song that changed since, or a file that is damaged, gives no peaks and is written anew.

#include <QString>
#include <cstdint>
#include <optional>

#include "Peaks.h"

// What identifies a song's state on disk.
struct SongFileKey {
    QString path;  // absolute
    std::int64_t size = 0;
    std::int64_t modifiedMs = 0;
    bool operator==(const SongFileKey&) const = default;
};

// The key of a song file as it is now; nothing when it cannot be read.
std::optional<SongFileKey> songFileKey(const QString& path);

class PeakCache {
public:
    // The folder the cache files go into.
    explicit PeakCache(QString folder);
    // The user's: under $XDG_CACHE_HOME (or ~/.cache).
    static QString defaultFolder();

    // The peaks stored for this song state, or nothing (no file, another state, damaged).
    std::optional<PeakTable> load(const SongFileKey& key) const;
    // Stores the peaks; false when the file could not be written (the peaks are then only lost).
    bool store(const SongFileKey& key, const PeakTable& peaks) const;

    // The file a song's peaks go into.
    QString fileFor(const QString& songPath) const;

private:
    QString folder_;
};
