#include "TimeTags.h"

#include <QRegularExpression>

namespace {

// A play-time text: minutes (two or more digits), seconds, one tick digit.
const QRegularExpression& playTimePattern() {
    static const QRegularExpression pattern(QStringLiteral("^(\\d{2,}):(\\d{2})\\.(\\d)$"));
    return pattern;
}

// A tag of three or more minute digits: "[mmm:ss.t0]".
const QRegularExpression& longTagPattern() {
    static const QRegularExpression pattern(QStringLiteral("^\\[\\d{3,}:\\d{2}\\.\\d\\d\\]"));
    return pattern;
}

}  // namespace

QString twoDigits(int value) {
    const QString text = QString::number(value);
    return text.size() == 1 ? QLatin1Char('0') + text : text;
}

QString FormatPlayTime(int positionSeconds, int& SecondTicks, int& LastSecond) {
    const int minutes = positionSeconds / 60;
    const int seconds = positionSeconds - minutes * 60;
    // Seconds within the minute: a jump of exactly 60 seconds counts as the same second.
    SecondTicks = seconds == LastSecond ? SecondTicks + 1 : 0;
    LastSecond = seconds;
    const int tick = SecondTicks <= 9 ? SecondTicks : 0;
    const int tenths = tick + positionSeconds * 10;
    return twoDigits(minutes) + QLatin1Char(':') + twoDigits(seconds) + QLatin1Char('.') +
           QString::number(tick) + QLatin1Char(';') + QString::number(tenths);
}

DisplayParts splitDisplayRecord(const QString& record) {
    // Split at the separator rather than at fixed places, so three-digit minutes stay whole.
    const qsizetype separator = record.indexOf(QLatin1Char(';'));
    if (separator < 0) return {record, QString()};
    return {record.left(separator), record.mid(separator + 1)};
}

std::optional<int> TimeToTenths(const QString& playTime) {
    const auto match = playTimePattern().match(playTime);
    if (!match.hasMatch()) return std::nullopt;
    bool ok = false;
    const qlonglong minutes = match.captured(1).toLongLong(&ok);
    if (!ok || minutes > 3'000'000) return std::nullopt;
    return static_cast<int>(minutes * 600 + match.captured(2).toInt() * 10 + match.captured(3).toInt());
}

QString TenthsToTime(int tenths) {
    if (tenths < 0) tenths = 0;
    const int whole = tenths / 10;
    const int minutes = whole / 60;
    const int seconds = whole - minutes * 60;
    const int tenth = tenths - (seconds + minutes * 60) * 10;
    return twoDigits(minutes) + QLatin1Char(':') + twoDigits(seconds) + QLatin1Char('.') +
           QString::number(tenth);
}

QString seekDisplay(int positionSeconds) {
    const int minutes = positionSeconds / 60;
    return twoDigits(minutes) + QLatin1Char(':') + twoDigits(positionSeconds - minutes * 60) +
           QStringLiteral(".0");
}

QString addLineTag(const QString& displayedPlayTime, bool offsetSwitch, const QString& offsetEntryText) {
    int time = TimeToTenths(displayedPlayTime).value_or(0);
    // The offset is the second character of the entry's text; with no entry chosen there is none.
    if (offsetSwitch && offsetEntryText.size() >= 2 && offsetEntryText[1].isDigit()) {
        time -= offsetEntryText[1].digitValue();
    }
    return QLatin1Char('[') + TenthsToTime(time) + QStringLiteral("0]");
}

QString blankLineText(const QString& displayedPlayTime) {
    return QLatin1Char('[') + displayedPlayTime + QStringLiteral("0] ");
}

int tagLength(const QString& line) {
    const qsizetype close = line.indexOf(QLatin1Char(']'));
    if (close == 9) return 10;
    const auto match = longTagPattern().match(line);
    if (match.hasMatch()) return static_cast<int>(match.capturedLength());
    return 0;
}

std::optional<int> tagTime(const QString& line) {
    const int length = tagLength(line);
    if (length == 0) return std::nullopt;
    // The play-time text inside the brackets; the hundredths digit is not used.
    return TimeToTenths(line.mid(1, length - 3));
}

QString lineText(const QString& line) {
    const qsizetype close = line.indexOf(QLatin1Char(']'));
    return close < 0 ? line : line.mid(close + 1);
}
