#pragma once
// The lyrics preview's lookup text: one entry per list line, "[key]text[~E]", where the key is the
// tag time in tenths of the line or of the nearest tagged line above it. While the song plays, the
// entry whose key is the displayed time gives the line to show.

#include <QString>
#include <QStringList>
#include <optional>

inline const QString kPreviewEndMark = QStringLiteral("[~E]");

// Builds the index from the line list. A line that looks tagged but whose tag is not a time (an ID
// line such as "[ti:Title]") is indexed as an untagged line: it carries the key above it.
QString buildPreviewIndex(const QStringList& lines);

// The text to show when the play-time display reads displayedPlayTime: the first entry with that
// key, up to its end mark. Nothing when no entry has the key (the preview then keeps its text).
std::optional<QString> lookUpPreview(const QString& index, const QString& displayedPlayTime);
