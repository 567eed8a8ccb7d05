#pragma once
// Tagging the line list while the song plays: "Add Line" puts a time tag in front of the marked line
// and moves the marker on to the next line with text; "Add Blank Line" inserts a tagged blank line
// above the marked one. Pure functions over the list's lines and the marker's index, so the window
// only copies their result into its list box.

#include <QString>
#include <QStringList>

// The line list and its marker (the selected line); -1 marks nothing, which only an empty list has.
struct LineList {
    QStringList lines;
    int marker = -1;
};

struct AddLineOutcome {
    // The marked line's text as the preview shows it at once (what follows its first "]").
    QString preview;
    // The lyrics changed, or the marker came to rest on a line with text below: record a change.
    bool recordChange = false;
};

// "Add Line" with the tag made from the displayed time. Nothing happens on an empty list.
AddLineOutcome addLine(LineList& list, const QString& tag);

// "Add Blank Line": the blank line goes in at the marker's place and the marker stays with the text
// it marked. False (and nothing changed) on an empty list.
bool insertBlankLine(LineList& list, const QString& blankLine);

// The lines of a text box as it displays them, from the texts of its wrapped lines: its empty last
// line is not one of them.
QStringList withoutEmptyLastLine(QStringList displayedLines);
