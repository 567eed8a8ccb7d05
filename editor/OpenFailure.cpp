#include "OpenFailure.h"

#include "QuillonAudio.h"

namespace {

QString reasonFor(int code) {
    switch (code) {
        case BASS_ERROR_FILEOPEN:
            return QStringLiteral("Die Datei kann nicht gelesen werden");
        case BASS_ERROR_FILEFORM:
            return QStringLiteral("Das Format der Datei wird nicht erkannt");
        case BASS_ERROR_FORMAT:
            return QStringLiteral("Das Audioformat der Datei wird nicht unterstützt");
        case BASS_ERROR_MEM:
            return QStringLiteral("Nicht genügend Speicher");
        case BASS_ERROR_EMPTY:
            return QStringLiteral("Die Datei enthält keine Audiodaten");
        case BASS_ERROR_DECODE:
            return QStringLiteral("Die Datei kann nicht decodiert werden");
        case BASS_ERROR_INIT:
            return QStringLiteral("Die Audioausgabe ist nicht bereit");
        default:
            return QStringLiteral("Fehler %1 der Audiobibliothek").arg(code);
    }
}

}  // namespace

QString songLoadFailureText(const QString& fileName, int libraryErrorCode) {
    return QStringLiteral("Datei \"%1\" kann nicht abgespielt werden. %2")
        .arg(fileName, reasonFor(libraryErrorCode));
}
