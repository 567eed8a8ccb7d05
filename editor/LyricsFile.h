#pragma once
// The lyrics file: where it lies for an audio file, the bytes it holds, writing it without ever
// leaving a torn file, and reading one back (also one written on Windows in its ANSI code page).

#include <QByteArray>
#include <QString>
#include <QStringList>

// The audio file's path with its extension (from the last "." after the last "/") replaced by
// ".lrc", or ".lrc" appended when it has none.
QString withLyricsExtension(const QString& path);

// Where the lyrics of audioFileName lie: beside it, or, with the location switch on, under the same
// name in lyricsDirectory. The directory is used as it stands: a trailing "/" gives "//", the same
// folder; an empty one gives "/Name.lrc".
QString LyricsFilePath(const QString& audioFileName, bool lyricsLocationSwitch,
                       const QString& lyricsDirectory);

// The save prompt's question for the audio file: Save changes to "Name.lrc" ?
QString saveChangesQuestion(const QString& audioFileName);

// The file's bytes: every non-empty line, exactly as it stands, each ending with CR LF, as narrow
// text (UTF-8 without byte-order mark).
QByteArray lyricsFileBytes(const QStringList& lines);

// Replaces the file at path with the lines. The text goes to a temporary file beside it, which is
// flushed to disk and renamed over the old file only when complete, so a failure (missing folder,
// no permission, disk full) leaves the old file as it was; the new file keeps the old one's
// permission bits (and owner, where this process may set it). A writable file in a folder where no
// temporary file can be made is written in place. Throws errors::EFCreateError.
void writeLyricsFile(const QString& path, const QStringList& lines);

// Narrow text as the program reads it: a leading UTF-8 byte-order mark is skipped; valid UTF-8 sequences are
// decoded as such and every other byte as Windows-1252.
QString decodeNarrowText(const QByteArray& bytes);

// The text of a lyrics file: UTF-16 (little or big endian) after its byte-order mark, else narrow.
QString decodeLyricsText(const QByteArray& bytes);

// The text of a lyrics file with its line ends (CR LF, lone CR, lone LF) made "\n".
// Throws errors::EFOpenError when the file exists but cannot be read, or is no regular file.
QString readLyricsFile(const QString& path);
