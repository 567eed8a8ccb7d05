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

// A time tag at the start of a line.
const QRegularExpression& tagPattern() {
    static const QRegularExpression pattern(QStringLiteral("^\\[(\\d{2,}):(\\d{2})\\.(\\d{2})\\]"));
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

int tagLength(const QString& line) {
    const auto match = tagPattern().match(line);
    if (!match.hasMatch()) return 0;
    bool ok = false;
    if (match.captured(1).toLongLong(&ok) > kLargestMinutes || !ok) return 0;
    return static_cast<int>(match.capturedLength());
}

std::optional<int> tagTime(const QString& line) {
    const auto match = tagPattern().match(line);
    if (!match.hasMatch() || tagLength(line) == 0) return std::nullopt;
    const qlonglong minutes = match.captured(1).toLongLong();
    return static_cast<int>(minutes * 6000 + match.captured(2).toInt() * 100 + match.captured(3).toInt());
}

bool isIdLine(const QString& line) {
    return idTagPattern().match(line).hasMatch();
}

QString lineText(const QString& line) {
    if (const int length = tagLength(line)) return line.mid(length);
    const qsizetype close = line.indexOf(QLatin1Char(']'));
    return close < 0 ? line : line.mid(close + 1);
}
