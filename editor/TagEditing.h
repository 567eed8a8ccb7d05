#pragma once
// Mending tags without timing the song again: nudging one line's tag, shifting every tag, and where
// a replay of a line starts. Pure functions over the lyrics' lines; the window copies their result
// into its text box or line list and records the change for undo.

#include <QStringList>
#include <optional>
#include <vector>

// The line whose tag belongs to `row`: the row itself when it starts with a time tag, else the
// nearest tagged line above it; nothing when there is none (or `row` is out of range).
std::optional<int> tagOwner(const QStringList& lines, int row);

// Moves the tag of `row`'s owner by `hundredths` (negative: earlier), never below 00:00.00. Returns
// the line changed, or nothing when there was no tag to move or it could not move (already 0).
std::optional<int> nudgeTag(QStringList& lines, int row, int hundredths);

// Moves every line's time tags (all of a line sung several times, and its words' stamps) by `milliseconds`
// (rounded to the nearest hundredth), clamped at 00:00.00; ID lines and untagged lines stay. Returns how many
// lines changed.
int shiftAllTags(QStringList& lines, int milliseconds);

// Bakes the lyrics' "[offset:±ms]" into their tags: every tag moves as the offset shows it, and
// the offset line goes. False (and nothing changed) when there is no offset line.
bool applyFileOffset(QStringList& lines);

// Puts ID lines "[key:value]" at the top of the lyrics, in the order given, leaving out those with
// an empty value and those whose key a line already has (without regard to case). Returns how many
// went in.
struct IdTag {
    QString key;
    QString value;
};
int insertIdLines(QStringList& lines, const std::vector<IdTag>& tags);
// A song length as the "[length:]" ID line gives it: "mm:ss", whole seconds.
QString lengthText(double seconds);

// Where a replay of `row` starts, in seconds: `leadIn` before the tag of the row's owner, or the
// song's start when that is earlier or there is no tag above.
double replayStart(const QStringList& lines, int row, double leadIn = 2.0);

// The steps of the nudge keys, in hundredths.
inline constexpr int kNudgeStep = 10;
inline constexpr int kFineNudgeStep = 1;
