#include "TagEditing.h"

#include <algorithm>
#include <cmath>

#include "TimeTags.h"
#include "WordTiming.h"

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
        const LeadingTags tags = leadingTags(line);
        if (tags.times.empty()) continue;
        QString moved;
        bool moves = false;
        for (const int time : tags.times) {
            const int shifted = std::max(0, time + hundredths);
            moves = moves || shifted != time;
            moved += timeTag(shifted);
        }
        // The words' stamps move with their line.
        QString words = line.mid(tags.length);
        const bool wordsMove = shiftWordStamps(words, hundredths);
        if (!moves && !wordsMove) continue;
        // Every tag of a line sung several times moves, written as the program writes tags.
        line = (moves ? moved : line.left(tags.length)) + words;
        ++changed;
    }
    return changed;
}

bool applyFileOffset(QStringList& lines) {
    const std::optional<int> offset = fileOffsetMilliseconds(lines);
    if (!offset) return false;
    // A positive offset shows the lines earlier: their tags move earlier by it.
    shiftAllTags(lines, -*offset);
    lines.removeIf([](const QString& line) { return fileOffsetMilliseconds({line}).has_value(); });
    return true;
}

int insertIdLines(QStringList& lines, const std::vector<IdTag>& tags) {
    QStringList added;
    for (const IdTag& tag : tags) {
        if (tag.value.isEmpty()) continue;
        const QString start = QLatin1Char('[') + tag.key + QLatin1Char(':');
        const bool present = std::any_of(lines.begin(), lines.end(), [&start](const QString& line) {
            return line.startsWith(start, Qt::CaseInsensitive);
        });
        if (!present) added << start + tag.value + QLatin1Char(']');
    }
    lines = added + lines;
    return static_cast<int>(added.size());
}

QString lengthText(double seconds) {
    const int whole = std::max(0, static_cast<int>(seconds));
    return twoDigits(whole / 60) + QLatin1Char(':') + twoDigits(whole % 60);
}

double replayStart(const QStringList& lines, int row, double leadIn) {
    const std::optional<int> owner = tagOwner(lines, row);
    if (!owner) return 0.0;
    return std::max(0.0, *tagTime(lines[*owner]) / 100.0 - leadIn);
}
