#pragma once
// Time in the main window: the play-time text "mm:ss.t" and the tenths counters the displays show,
// and the time tags "[mm:ss.xx]" in front of lyrics lines, to the hundredth. Minutes are written
// with two digits, or more from 100 minutes on; tags are read in every form other tools write.

#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

// "mm:ss.t" (or "mmm:ss.t") to tenths; nothing when it is not a play-time text.
std::optional<int> TimeToTenths(const QString& playTime);
// Tenths (negative counts as 0) to "mm:ss.t".
QString TenthsToTime(int tenths);
// Minutes and seconds as the play-time text writes them ("05", "123", "-1").
QString twoDigits(int value);

// While the user drags the position bar: "mm:ss.0" of the bar's position.
QString seekDisplay(int positionSeconds);

// The reaction offset in milliseconds: 300, 500 or 700 for the entries "-300", "-500" and "-700"
// when the offset switch is on, else 0 (also with no entry chosen).
int offsetMilliseconds(bool offsetSwitch, const QString& offsetEntryText);
// "[mm:ss.xx]" for hundredths (negative counts as 0).
QString timeTag(int hundredths);
// The tag "Add Line" puts in front of a line: the position of the press less the offset, never
// below 0. The offset is a reaction time, so at a practice speed below 1 it spans less of the song.
QString addLineTag(double pressSeconds, bool offsetSwitch, const QString& offsetEntryText,
                   double speed = 1.0);
// The line "Add Blank Line" inserts: the position of the press as a tag, then one blank.
QString blankLineText(double pressSeconds);

// Time tags as other tools write them are read, and written only as timeTag writes them:
// "[mm:ss.xx]", "[mm:ss.x]", "[mm:ss.xxx]" (thousandths rounded to the hundredth), "[mm:ss]",
// "[mm:ss:xx]", "[h:mm:ss.xx]"; minutes of any number of digits, seconds (and the hours form's
// minutes) below 60. Anything else, "[-00:01.00]" or "[99:99.99]" or an unclosed "[", is no tag.
struct ReadTag {
    int hundredths;
    int length;
};
// The time tag that starts at `from` in the line, if one does.
std::optional<ReadTag> readTimeTag(const QString& line, qsizetype from);
// The length of the time tag at the start of a line, or 0 when the line does not start with one.
int tagLength(const QString& line);
// The time of a line's first tag in hundredths; nothing for a line that does not start with a time
// tag.
std::optional<int> tagTime(const QString& line);
// All the time tags at the start of a line ("[00:12.00][01:40.50]Chorus" is sung twice): their
// times in the order they stand, and their length together.
struct LeadingTags {
    std::vector<int> times;
    qsizetype length = 0;
};
LeadingTags leadingTags(const QString& line);
// The milliseconds of the first "[offset:±ms]" ID line, which shifts every shown time (a positive
// offset shows the lines earlier); nothing without one.
std::optional<int> fileOffsetMilliseconds(const QStringList& lines);
// A line that starts with one of the lyrics file's ID tags ("[ar:", "[ti:", "[offset:", …): it is
// never tagged.
bool isIdLine(const QString& line);
// What follows a line's time tags; for any other line, what follows its first "]", or the whole line
// when it has none.
QString lineText(const QString& line);
