#include "LineTagging.h"

#include "TimeTags.h"
#include "WordTiming.h"

namespace {

// A marker on an ID line (clicked there) goes on to the first line that may be tagged; false when
// there is none from it on.
bool markTaggableLine(LineList& list) {
    if (list.marker < 0 || list.marker >= list.lines.size()) list.marker = 0;
    const int last = static_cast<int>(list.lines.size()) - 1;
    while (isIdLine(list.lines[list.marker]) && list.marker < last) ++list.marker;
    return !isIdLine(list.lines[list.marker]);
}

// On from a tagged line, past empty lines and ID lines, to the last line at the most.
void moveMarkerOn(LineList& list) {
    const int last = static_cast<int>(list.lines.size()) - 1;
    if (list.marker >= last) return;
    ++list.marker;
    const auto passed = [&list](int row) { return list.lines[row].isEmpty() || isIdLine(list.lines[row]); };
    while (passed(list.marker) && list.marker < last) ++list.marker;
}

}  // namespace

int firstMarkedLine(const QStringList& lines) {
    if (lines.isEmpty()) return -1;
    for (int i = 0; i < lines.size(); ++i) {
        if (!isIdLine(lines[i])) return i;
    }
    return 0;
}

AddLineOutcome addLine(LineList& list, const QString& tag) {
    AddLineOutcome outcome;
    if (list.lines.isEmpty() || !markTaggableLine(list)) return outcome;
    const int last = static_cast<int>(list.lines.size()) - 1;

    outcome.tagged = list.marker;
    QString& line = list.lines[list.marker];
    outcome.preview = lineText(line);
    const bool tagSet = !line.isEmpty();
    if (tagSet) {
        // Re-tagging replaces the old tag, so a line never carries two tags made here.
        line = tag + line.mid(tagLength(line));
    }

    moveMarkerOn(list);

    const bool restsOnTextAboveTheEnd = !list.lines[list.marker].isEmpty() && list.marker < last;
    outcome.recordChange = tagSet || restsOnTextAboveTheEnd;
    return outcome;
}

int stampWord(LineList& list, int hundredths, const QString& tag) {
    if (list.lines.isEmpty() || !markTaggableLine(list)) return -1;
    const int row = list.marker;
    const WordStampOutcome outcome = stampNextWord(list.lines[row], hundredths, tag);
    if (!outcome.stamped || outcome.lineDone) moveMarkerOn(list);
    return outcome.stamped ? row : -1;
}

int insertBlankLine(LineList& list, const QString& blankLine) {
    if (list.lines.isEmpty()) return -1;
    if (list.marker < 0 || list.marker >= list.lines.size()) list.marker = 0;
    const std::optional<int> markedTime = tagTime(list.lines[list.marker]);
    const std::optional<int> blankTime = tagTime(blankLine);
    bool onlyTaggedBelow = true;
    for (int row = list.marker + 1; row < list.lines.size() && onlyTaggedBelow; ++row) {
        onlyTaggedBelow = tagTime(list.lines[row]).has_value() || isIdLine(list.lines[row]);
    }
    if (markedTime && blankTime && *markedTime <= *blankTime && onlyTaggedBelow) {
        const int row = list.marker + 1;
        list.lines.insert(row, blankLine);
        return row;
    }
    const int row = list.marker;
    list.lines.insert(row, blankLine);
    ++list.marker;
    return row;
}

QStringList withoutEmptyLastLine(QStringList displayedLines) {
    if (!displayedLines.isEmpty() && displayedLines.last().isEmpty()) displayedLines.removeLast();
    return displayedLines;
}
