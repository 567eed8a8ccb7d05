#include "TimeTags.h"

#include <QRegularExpression>
#include <cmath>

#include "PlayClock.h"

namespace {

// A play-time text: minutes (two or more digits), seconds, the tenths digit.
const QRegularExpression& playTimePattern() {
    static const QRegularExpression pattern(QStringLiteral("^(\\d{2,}):(\\d{2})\\.(\\d)$"));
    return pattern;
}

// A time tag, as other tools write them: minutes ":" seconds, then a fraction of one to three digits
// after "." (or ":", read leniently) or none; or hours ":" minutes ":" seconds "." fraction.
const QRegularExpression& tagPattern() {
    static const QRegularExpression pattern(
        QStringLiteral("\\G\\[(\\d{1,9}):(\\d{1,2})(?:([.:])(\\d{1,3}))?(?:\\.(\\d{1,3}))?\\]"));
    return pattern;
}

// The file's own shift of every shown time: "[offset:" then milliseconds with an optional sign.
const QRegularExpression& offsetPattern() {
    static const QRegularExpression pattern(QStringLiteral("^\\[offset:\\s*([+-]?\\d{1,9})\\s*\\]"),
                                            QRegularExpression::CaseInsensitiveOption);
    return pattern;
}

// The ID tags of lyrics files, which name the song rather than time a line.
const QRegularExpression& idTagPattern() {
    static const QRegularExpression pattern(QStringLiteral("^\\[(ar|ti|al|au|by|re|ve|length|offset|#):"),
                                            QRegularExpression::CaseInsensitiveOption);
    return pattern;
}

// Longer minute fields than this are not times anyone plays (and would overflow the counters).
constexpr qlonglong kLargestMinutes = 300'000;

}  // namespace

QString twoDigits(int value) {
    const QString text = QString::number(value);
    return text.size() == 1 ? QLatin1Char('0') + text : text;
}

std::optional<int> TimeToTenths(const QString& playTime) {
    const auto match = playTimePattern().match(playTime);
    if (!match.hasMatch()) return std::nullopt;
    bool ok = false;
    const qlonglong minutes = match.captured(1).toLongLong(&ok);
    if (!ok || minutes > kLargestMinutes) return std::nullopt;
    return static_cast<int>(minutes * 600 + match.captured(2).toInt() * 10 + match.captured(3).toInt());
}

QString TenthsToTime(int tenths) {
    if (tenths < 0) tenths = 0;
    const int whole = tenths / 10;
    const int minutes = whole / 60;
    const int seconds = whole - minutes * 60;
    return twoDigits(minutes) + QLatin1Char(':') + twoDigits(seconds) + QLatin1Char('.') +
           QString::number(tenths % 10);
}

QString seekDisplay(int positionSeconds) {
    const int minutes = positionSeconds / 60;
    return twoDigits(minutes) + QLatin1Char(':') + twoDigits(positionSeconds - minutes * 60) +
           QStringLiteral(".0");
}

int offsetMilliseconds(bool offsetSwitch, const QString& offsetEntryText) {
    // The offset is the second character of the entry's text, in tenths; with no entry chosen there
    // is none.
    if (!offsetSwitch || offsetEntryText.size() < 2 || !offsetEntryText[1].isDigit()) return 0;
    return offsetEntryText[1].digitValue() * 100;
}

QString timeTag(int hundredths) {
    if (hundredths < 0) hundredths = 0;
    const int whole = hundredths / 100;
    const int minutes = whole / 60;
    const int fraction = hundredths % 100;
    return QLatin1Char('[') + twoDigits(minutes) + QLatin1Char(':') + twoDigits(whole - minutes * 60) +
           QLatin1Char('.') + (fraction < 10 ? QStringLiteral("0") : QString()) + QString::number(fraction) +
           QLatin1Char(']');
}

QString addLineTag(double pressSeconds, bool offsetSwitch, const QString& offsetEntryText, double speed) {
    const int offset =
        static_cast<int>(std::lround(offsetMilliseconds(offsetSwitch, offsetEntryText) * speed));
    return timeTag(tagHundredths(pressSeconds, offset));
}

QString blankLineText(double pressSeconds) {
    return timeTag(tagHundredths(pressSeconds, 0)) + QLatin1Char(' ');
}

std::optional<ReadTag> readTimeTag(const QString& line, qsizetype from) {
    const auto match = tagPattern().match(line, from, QRegularExpression::NormalMatch,
                                          QRegularExpression::AnchorAtOffsetMatchOption);
    if (!match.hasMatch()) return std::nullopt;
    const bool hoursForm = match.hasCaptured(5);
    // The hours form has a third field after a colon; a fraction after it needs that colon.
    if (hoursForm && (match.captured(3) != QLatin1String(":") || match.capturedLength(4) > 2))
        return std::nullopt;
    const qlonglong first = match.captured(1).toLongLong();
    const int second = match.captured(2).toInt();
    qlonglong minutes = first;
    int seconds = second;
    QString fraction = match.captured(4);
    if (hoursForm) {
        if (second >= 60) return std::nullopt;
        minutes = first * 60 + second;
        seconds = match.captured(4).toInt();
        fraction = match.captured(5);
    }
    if (seconds >= 60 || minutes > kLargestMinutes) return std::nullopt;
    // A fraction counts by its digits: ".5" is half a second, ".500" too; thousandths round to the
    // nearest hundredth.
    int hundredths = 0;
    if (fraction.size() == 1) hundredths = fraction.toInt() * 10;
    if (fraction.size() == 2) hundredths = fraction.toInt();
    if (fraction.size() == 3) hundredths = (fraction.toInt() + 5) / 10;
    const qlonglong time = minutes * 6000 + seconds * 100 + hundredths;
    return ReadTag{static_cast<int>(time), static_cast<int>(match.capturedLength())};
}

int tagLength(const QString& line) {
    const std::optional<ReadTag> tag = readTimeTag(line, 0);
    return tag ? tag->length : 0;
}

std::optional<int> tagTime(const QString& line) {
    const std::optional<ReadTag> tag = readTimeTag(line, 0);
    if (!tag) return std::nullopt;
    return tag->hundredths;
}

LeadingTags leadingTags(const QString& line) {
    LeadingTags tags;
    while (const std::optional<ReadTag> tag = readTimeTag(line, tags.length)) {
        tags.times.push_back(tag->hundredths);
        tags.length += tag->length;
    }
    return tags;
}

std::optional<int> fileOffsetMilliseconds(const QStringList& lines) {
    for (const QString& line : lines) {
        const auto match = offsetPattern().match(line);
        if (match.hasMatch()) return match.captured(1).toInt();
    }
    return std::nullopt;
}

bool isIdLine(const QString& line) {
    return idTagPattern().match(line).hasMatch();
}

QString lineText(const QString& line) {
    if (const qsizetype length = leadingTags(line).length) return line.mid(length);
    const qsizetype close = line.indexOf(QLatin1Char(']'));
    return close < 0 ? line : line.mid(close + 1);
}
