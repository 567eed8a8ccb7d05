#pragma once
// Whether a song is loaded, read off the song-name display: its design caption of dashes means
// none; opening a file replaces it with the song's name.

#include <QString>

inline const QString kNoSongCaption = QString(45, QLatin1Char('-'));

inline bool songIsLoaded(const QString& songNameCaption) {
    return !songNameCaption.contains(QString(10, QLatin1Char('-')));
}
