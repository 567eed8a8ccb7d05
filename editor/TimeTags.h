#pragma once
// Time in the main window: tenths of a second, the play-time text "mm:ss.t" whose digit counts the
// play-time ticks within the current second, the display record "mm:ss.t;tenths", and the time tags
// "[mm:ss.t0]" in front of lyrics lines. Minutes have two digits, or more from 100 minutes on;
// every text here is then read and written the same way.

#include <QString>
#include <optional>

// Called once per play-time tick with the position in whole seconds; returns "mm:ss.t;tenths".
// SecondTicks and LastSecond are the main window's tick state: ticks since the seconds value last
// changed, and the seconds within the minute at the previous tick.
QString FormatPlayTime(int positionSeconds, int& SecondTicks, int& LastSecond);

// The two parts of a display record: the play-time text and the tenths.
struct DisplayParts {
    QString playTime;
    QString tenths;
};
DisplayParts splitDisplayRecord(const QString& record);

// "mm:ss.t" (or "mmm:ss.t") to tenths; nothing when it is not a play-time text.
std::optional<int> TimeToTenths(const QString& playTime);
// Tenths (negative counts as 0) to "mm:ss.t".
QString TenthsToTime(int tenths);
// Minutes and seconds as the play-time text writes them ("05", "123", "-1").
QString twoDigits(int value);

// While the user drags the position bar: "mm:ss.0" of the bar's position.
QString seekDisplay(int positionSeconds);

// The tag "Add Line" puts in front of a line: the displayed time less the offset when the offset
// switch is on and an entry is chosen ("-300", "-500", "-700": 3, 5 or 7 tenths), never below 0.
QString addLineTag(const QString& displayedPlayTime, bool offsetSwitch, const QString& offsetEntryText);
// The line "Add Blank Line" inserts: the displayed time as a tag, then one blank.
QString blankLineText(const QString& displayedPlayTime);

// The length of the tag at the start of a line, or 0 when the line is untagged. A line is tagged
// when its first "]" is its 10th character (whatever stands before it, as in "[ti:Title]"), or when
// it starts with a tag of three or more minute digits.
int tagLength(const QString& line);
// The time of a line's tag in tenths; nothing for an untagged line or a tag that is not a time.
std::optional<int> tagTime(const QString& line);
// What follows the first "]" of a line, or the whole line when it has none.
QString lineText(const QString& line);
