#pragma once
// Word timing (enhanced LRC): a stamp "<mm:ss.xx>" before each word of a line, after the line's own
// time tag, and optionally one after the last word where it ends:
//   [00:12.00]<00:12.00>When <00:12.50>the <00:13.10>truth <00:13.90>
// Players that know only line tags still read the line's tag. Pure functions over one line; the
// window copies their result into the line list and records the change for undo.

#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

// A line split into its words. Words are split at blanks, punctuation stays with its word; a stamp
// is read in the same forms as a line's time tag, between "<" and ">".
struct TimedWord {
    std::optional<int> stamp;  // hundredths
    QString lead;              // blanks between the stamp and the word ("<00:12.00> When")
    QString text;
    QString gap;  // the blanks after the word
};
struct TimedLine {
    QString head;  // the line's time tags and the blanks before the first word
    std::vector<TimedWord> words;
    std::optional<int> closing;  // the end of the last word
};
TimedLine splitTimedLine(const QString& line);
// The line again; a line split and joined unchanged is the line it was.
QString joinTimedLine(const TimedLine& line);

// "<mm:ss.xx>" for hundredths (negative counts as 0).
QString wordStamp(int hundredths);
// Whether a line carries word stamps.
bool hasWordStamps(const QString& line);
// The words of a line's text as they are sung, without stamps.
QString withoutWordStamps(const QString& text);

// Space in word mode: stamps the line's next unstamped word at `hundredths`. The first stamp of a
// line also gives the line `lineTag` in place of its own first tag, as "Add Line" would; a line
// whose words are all stamped starts over. `lineDone` tells that the last word got its stamp, and
// the marker moves on. Nothing changes on a line without words.
struct WordStampOutcome {
    bool stamped = false;
    bool lineDone = false;
};
WordStampOutcome stampNextWord(QString& line, int hundredths, const QString& lineTag);
// Shift+Space: the end of the line's last word, once every word is stamped (again: replaced).
bool closeLastWord(QString& line, int hundredths);
// Backspace: removes the line's last stamp (the closing one first). The line's own tag stays.
bool removeLastStamp(QString& line);
// Moves every stamp of the line by `hundredths`, clamped at 0; false when none moved.
bool shiftWordStamps(QString& line, int hundredths);

// The text box's lines as the line list and the lyrics file take them: its displayed rows (a
// paragraph wider than the box gives one line per row), except that a paragraph with word stamps
// stays one line, since a row of it would be a line without its tag. `rowParagraphs` holds the
// paragraph of each row.
QStringList rowsKeepingTimedParagraphs(const QStringList& rows, const std::vector<int>& rowParagraphs,
                                       const QStringList& paragraphs);

// The word sung at `hundredths`: the last one whose stamp it has reached, until the closing stamp;
// -1 before the first stamp or after the closing one.
int sungWord(const TimedLine& line, int hundredths);
// The preview of a line's text at `hundredths`: its words without stamps, the sung one
// highlighted, as rich text (the rest escaped).
QString previewWithSungWord(const QString& text, int hundredths);
