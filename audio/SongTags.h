#pragma once
// A song's own tags (artist, title, album) as the audio library hands them out: ID3v2 frames and
// Vorbis comments as "KEY=value" strings, each ended by a zero byte and the list by an empty one,
// an ID3v1 block of 128 bytes, and a module's title.

#include <QString>

struct SongTags {
    QString artist;
    QString title;
    QString album;
    bool isEmpty() const { return artist.isEmpty() && title.isEmpty() && album.isEmpty(); }
};

// From a "KEY=value" list (keys without regard to case, UTF-8); the first value of a key counts.
SongTags tagsFromKeyValueList(const char* list);
// From an ID3v1 block ("TAG", then title, artist and album of 30 bytes each, padded with zero
// bytes or blanks, in Latin-1); nothing from a block that does not start with "TAG".
SongTags tagsFromId3v1(const char* block);
// What `first` lacks, taken from `second`.
SongTags mergedTags(SongTags first, const SongTags& second);
