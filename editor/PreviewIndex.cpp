#include "PreviewIndex.h"

#include <algorithm>
#include <cmath>

#include "TimeTags.h"

QString buildPreviewIndex(const QStringList& lines) {
    // A positive file offset shows every line that much earlier; no time goes below the start.
    const int offset = static_cast<int>(std::lround(fileOffsetMilliseconds(lines).value_or(0) / 10.0));
    const auto keyOf = [offset](int hundredths) {
        return QLatin1Char('[') + QString::number(std::max(0, hundredths - offset)) + QLatin1Char(']');
    };
    QString index;
    QString key;
    for (const QString& line : lines) {
        const LeadingTags tags = leadingTags(line);
        const QString text = lineText(line);
        if (tags.times.empty()) {
            index += key + text + kPreviewEndMark;
            continue;
        }
        // A line sung several times has an entry for each time; lines below it carry its first.
        key = keyOf(tags.times.front());
        for (const int time : tags.times) index += keyOf(time) + text + kPreviewEndMark;
    }
    return index;
}

std::optional<QString> lookUpPreview(const QString& index, int fromHundredths, int toHundredths) {
    std::optional<int> bestTime;
    QString bestText;
    qsizetype at = 0;
    while (at < index.size()) {
        qsizetype end = index.indexOf(kPreviewEndMark, at);
        if (end < 0) end = index.size();
        // An entry is its key and its text; a line's own "[~E]" ends its entry early, and the rest of
        // that line, without a key, is passed over.
        const QStringView entry = QStringView(index).mid(at, end - at);
        at = end + kPreviewEndMark.size();
        if (!entry.startsWith(QLatin1Char('['))) continue;
        const qsizetype close = entry.indexOf(QLatin1Char(']'));
        if (close < 2) continue;
        bool ok = false;
        const int time = entry.mid(1, close - 1).toInt(&ok);
        if (!ok || time < fromHundredths || time > toHundredths) continue;
        if (!bestTime || time > *bestTime) {
            bestTime = time;
            bestText = entry.mid(close + 1).toString();
        }
    }
    if (!bestTime) return std::nullopt;
    return bestText;
}
