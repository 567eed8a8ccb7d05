#include "PreviewIndex.h"

#include "TimeTags.h"

QString buildPreviewIndex(const QStringList& lines) {
    QString index;
    QString key;
    for (const QString& line : lines) {
        if (const std::optional<int> time = tagTime(line)) {
            key = QLatin1Char('[') + QString::number(*time) + QLatin1Char(']');
        }
        index += key + lineText(line) + kPreviewEndMark;
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
