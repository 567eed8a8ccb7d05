#pragma once
// The lyrics preview's lookup text: one entry per list line, "[key]text[~E]", where the key is the
// tag time in hundredths of the line or of the nearest tagged line above it. While the song plays,
// each tick looks for the tags the play time has passed since the previous tick.

#include <QString>
#include <QStringList>
#include <optional>

inline const QString kPreviewEndMark = QStringLiteral("[~E]");

// Builds the index from the line list. A line with several time tags has an entry for each; lines
// that do not start with a time tag (ID lines such as "[ti:Title]" included) carry the key above
// them. An "[offset:±ms]" line shifts every key (a positive offset shows lines earlier).
QString buildPreviewIndex(const QStringList& lines);

// The text to show when the play time went from `fromHundredths` (inclusive) to `toHundredths`
// (inclusive): of the keys in that span, the latest, and of the entries with that key the first,
// up to its end mark. Nothing when the span holds no key (the preview then keeps its text).
std::optional<QString> lookUpPreview(const QString& index, int fromHundredths, int toHundredths);
