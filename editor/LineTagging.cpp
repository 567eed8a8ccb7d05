#include "LineTagging.h"

#include "TimeTags.h"

AddLineOutcome addLine(LineList& list, const QString& tag) {
    AddLineOutcome outcome;
    if (list.lines.isEmpty()) return outcome;
    if (list.marker < 0 || list.marker >= list.lines.size()) list.marker = 0;

    QString& line = list.lines[list.marker];
    outcome.preview = lineText(line);
    const bool tagSet = !line.isEmpty();
    if (tagSet) {
        // Re-tagging replaces the old tag, so a line never carries two tags made here.
        line = tag + line.mid(tagLength(line));
    }

    const int last = static_cast<int>(list.lines.size()) - 1;
    if (list.marker < last) {
        ++list.marker;
        while (list.lines[list.marker].isEmpty() && list.marker < last) ++list.marker;
    }

    const bool restsOnTextAboveTheEnd = !list.lines[list.marker].isEmpty() && list.marker < last;
    outcome.recordChange = tagSet || restsOnTextAboveTheEnd;
    return outcome;
}

bool insertBlankLine(LineList& list, const QString& blankLine) {
    if (list.lines.isEmpty()) return false;
    if (list.marker < 0 || list.marker >= list.lines.size()) list.marker = 0;
    list.lines.insert(list.marker, blankLine);
    ++list.marker;
    return true;
}

QStringList withoutEmptyLastLine(QStringList displayedLines) {
    if (!displayedLines.isEmpty() && displayedLines.last().isEmpty()) displayedLines.removeLast();
    return displayedLines;
}
