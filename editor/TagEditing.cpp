#include "TagEditing.h"

#include <algorithm>
#include <cmath>

#include "TimeTags.h"

namespace {

// The line with its leading time tag set to `hundredths` (0 at least); the rest stays as it was.
QString retagged(const QString& line, int hundredths) {
    return timeTag(std::max(0, hundredths)) + line.mid(tagLength(line));
}

}  // namespace

std::optional<int> tagOwner(const QStringList& lines, int row) {
    if (row < 0 || row >= lines.size()) return std::nullopt;
    for (int i = row; i >= 0; --i) {
        if (tagTime(lines[i])) return i;
    }
    return std::nullopt;
}

std::optional<int> nudgeTag(QStringList& lines, int row, int hundredths) {
    const std::optional<int> owner = tagOwner(lines, row);
    if (!owner) return std::nullopt;
    const int now = *tagTime(lines[*owner]);
    const int moved = std::max(0, now + hundredths);
    if (moved == now) return std::nullopt;
    lines[*owner] = retagged(lines[*owner], moved);
    return owner;
}

int shiftAllTags(QStringList& lines, int milliseconds) {
    const int hundredths = static_cast<int>(std::lround(milliseconds / 10.0));
    int changed = 0;
    for (QString& line : lines) {
        const std::optional<int> time = tagTime(line);
        if (!time) continue;
        const int moved = std::max(0, *time + hundredths);
        if (moved == *time) continue;
        line = retagged(line, moved);
        ++changed;
    }
    return changed;
}

double replayStart(const QStringList& lines, int row, double leadIn) {
    const std::optional<int> owner = tagOwner(lines, row);
    if (!owner) return 0.0;
    return std::max(0.0, *tagTime(lines[*owner]) / 100.0 - leadIn);
}
