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

std::optional<QString> lookUpPreview(const QString& index, const QString& displayedPlayTime) {
    const std::optional<int> time = TimeToTenths(displayedPlayTime);
    if (!time) return std::nullopt;
    const QString key = QLatin1Char('[') + QString::number(*time) + QLatin1Char(']');
    const qsizetype found = index.indexOf(key);
    if (found < 0) return std::nullopt;
    const qsizetype textStart = found + key.size();
    const qsizetype end = index.indexOf(kPreviewEndMark, textStart);
    return index.mid(textStart, end < 0 ? -1 : end - textStart);
}
