#pragma once
// Tagging the line list while the song plays: "Add Line" puts a time tag in front of the marked line
// and moves the marker on to the next line to tag; "Add Blank Line" inserts a tagged blank line
// above the marked one. ID lines ("[ti:Title]") are never tagged: the marker passes over them. Pure
// functions over the list's lines and the marker's index, so the window only copies their result
// into its list box.

#include <QString>
#include <QStringList>

// The line list and its marker (the selected line); -1 marks nothing, which only an empty list has.
struct LineList {
    QStringList lines;
    int marker = -1;
};

struct AddLineOutcome {
    // The line that was tagged (or passed, when empty); -1 when nothing happened.
    int tagged = -1;
    // The marked line's text as the preview shows it at once (what follows its tag).
    QString preview;
    // The lyrics changed, or the marker came to rest on a line with text below: record a change.
    bool recordChange = false;
};

// Where the marker starts on a freshly filled list: the first line that is not an ID line (the first
// line when all are), or -1 for an empty list.
int firstMarkedLine(const QStringList& lines);

// "Add Line" with the tag made from the time of the press. Nothing happens on an empty list or
// when only ID lines are left from the marker on.
AddLineOutcome addLine(LineList& list, const QString& tag);

// Space in word mode: stamps the marked line's next word at `hundredths` (the first word also gives
// the line `tag`), with the marker on the same lines "Add Line" would take. The marker moves on once
// the line's last word is stamped, and past a line without words. Returns the stamped line, or -1.
int stampWord(LineList& list, int hundredths, const QString& tag);

// "Add Blank Line": the blank line goes in at the marker's place and the marker stays with the text
// it marked. When the marked line already carries a tag no later than the blank line's and only
// tagged lines follow it (the last line was just tagged), the blank line goes after it instead, so
// that the times stay in order. Returns the index of the new line, or -1 (nothing changed) on an
// empty list.
int insertBlankLine(LineList& list, const QString& blankLine);

// The lines of a text box as it displays them, from the texts of its wrapped lines: its empty last
// line is not one of them.
QStringList withoutEmptyLastLine(QStringList displayedLines);
