#include "SongTags.h"

#include <cstring>

namespace {

QString fixedField(const char* field, int size) {
    int length = 0;
    while (length < size && field[length] != '\0') ++length;
    return QString::fromLatin1(field, length).trimmed();
}

}  // namespace

SongTags tagsFromKeyValueList(const char* list) {
    SongTags tags;
    if (list == nullptr) return tags;
    // Each string ends with a zero byte; an empty string ends the list.
    for (const char* entry = list; *entry != '\0'; entry += std::strlen(entry) + 1) {
        const QString text = QString::fromUtf8(entry);
        const qsizetype equals = text.indexOf(QLatin1Char('='));
        if (equals <= 0) continue;
        const QString key = text.left(equals).toUpper();
        const QString value = text.mid(equals + 1).trimmed();
        QString* field = key == QLatin1String("ARTIST")  ? &tags.artist
                         : key == QLatin1String("TITLE") ? &tags.title
                         : key == QLatin1String("ALBUM") ? &tags.album
                                                         : nullptr;
        if (field != nullptr && field->isEmpty()) *field = value;
    }
    return tags;
}

SongTags tagsFromId3v1(const char* block) {
    SongTags tags;
    if (block == nullptr || std::strncmp(block, "TAG", 3) != 0) return tags;
    tags.title = fixedField(block + 3, 30);
    tags.artist = fixedField(block + 33, 30);
    tags.album = fixedField(block + 63, 30);
    return tags;
}

SongTags mergedTags(SongTags first, const SongTags& second) {
    if (first.artist.isEmpty()) first.artist = second.artist;
    if (first.title.isEmpty()) first.title = second.title;
    if (first.album.isEmpty()) first.album = second.album;
    return first;
}
