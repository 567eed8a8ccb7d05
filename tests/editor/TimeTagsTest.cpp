#include <gtest/gtest.h>

#include <QStringList>

#include "editor/TimeTags.h"
#include "editor/Transport.h"

namespace {
// The tick state as the main window starts it: no previous tick.
struct Ticker {
    int SecondTicks = 0;
    int LastSecond = -1;
    QString tick(int position) { return FormatPlayTime(position, SecondTicks, LastSecond); }
};
}  // namespace

TEST(PlayTime, FirstTickAtZero) {
    Ticker ticker;
    EXPECT_EQ(ticker.tick(0), QStringLiteral("00:00.0;0"));
    EXPECT_EQ(ticker.tick(0), QStringLiteral("00:00.1;1"));
}

TEST(PlayTime, NewSecondRestartsTheDigitAndMinutesRollOver) {
    Ticker ticker;
    ticker.tick(59);
    EXPECT_EQ(ticker.tick(59), QStringLiteral("00:59.1;591"));
    EXPECT_EQ(ticker.tick(60), QStringLiteral("01:00.0;600"));
    EXPECT_EQ(ticker.tick(60), QStringLiteral("01:00.1;601"));
}

TEST(PlayTime, TwelveTicksOnOneSecondCountToNineThenShowZero) {
    Ticker ticker;
    QStringList tenths;
    for (int i = 0; i < 12; ++i) tenths << splitDisplayRecord(ticker.tick(83)).tenths;
    EXPECT_EQ(tenths, (QStringList{"830", "831", "832", "833", "834", "835", "836", "837", "838", "839",
                                   "830", "830"}));
    EXPECT_EQ(splitDisplayRecord(ticker.tick(83)).playTime, QStringLiteral("01:23.0"));
}

TEST(PlayTime, AJumpOfExactlySixtySecondsCountsAsTheSameSecond) {
    Ticker ticker;
    ticker.tick(83);
    EXPECT_EQ(ticker.tick(143), QStringLiteral("02:23.1;1431"));
}

TEST(PlayTime, SongsOfAHundredMinutesKeepWorking) {
    Ticker ticker;
    const QString record = ticker.tick(6005);
    EXPECT_EQ(record, QStringLiteral("100:05.0;60050"));
    const DisplayParts parts = splitDisplayRecord(record);
    EXPECT_EQ(parts.playTime, QStringLiteral("100:05.0"));
    EXPECT_EQ(parts.tenths, QStringLiteral("60050"));
    EXPECT_EQ(TimeToTenths(parts.playTime), 60050);
    EXPECT_EQ(TenthsToTime(60050), QStringLiteral("100:05.0"));
    const QString tag = addLineTag(parts.playTime, false, QString());
    EXPECT_EQ(tag, QStringLiteral("[100:05.00]"));
    EXPECT_EQ(tagLength(tag + QStringLiteral("Text")), 11);
    EXPECT_EQ(tagTime(tag + QStringLiteral("Text")), 60050);
    EXPECT_EQ(seekDisplay(6005), QStringLiteral("100:05.0"));
}

TEST(PlayTime, ConversionsBetweenTextAndTenths) {
    EXPECT_EQ(TimeToTenths(QStringLiteral("01:23.3")), 833);
    EXPECT_EQ(TenthsToTime(833), QStringLiteral("01:23.3"));
    EXPECT_EQ(TenthsToTime(0), QStringLiteral("00:00.0"));
    EXPECT_EQ(TenthsToTime(-4), QStringLiteral("00:00.0"));
    EXPECT_FALSE(TimeToTenths(QStringLiteral("ti:Titl")).has_value());
    EXPECT_FALSE(TimeToTenths(QStringLiteral("1:23.3")).has_value());
    EXPECT_EQ(seekDisplay(83), QStringLiteral("01:23.0"));
}

TEST(Tags, AddLineSubtractsTheChosenOffset) {
    EXPECT_EQ(addLineTag(QStringLiteral("01:23.4"), true, QStringLiteral("-500")),
              QStringLiteral("[01:22.90]"));
    EXPECT_EQ(addLineTag(QStringLiteral("01:23.4"), false, QStringLiteral("-500")),
              QStringLiteral("[01:23.40]"));
    EXPECT_EQ(addLineTag(QStringLiteral("01:23.4"), true, QStringLiteral("-300")),
              QStringLiteral("[01:23.10]"));
    EXPECT_EQ(addLineTag(QStringLiteral("00:00.7"), true, QStringLiteral("-700")),
              QStringLiteral("[00:00.00]"));
    EXPECT_EQ(addLineTag(QStringLiteral("00:00.3"), true, QStringLiteral("-700")),
              QStringLiteral("[00:00.00]"))
        << "never below zero";
    EXPECT_EQ(addLineTag(QStringLiteral("00:12.3"), true, QString()), QStringLiteral("[00:12.30]"))
        << "switched on with no entry chosen: no offset";
}

TEST(Tags, BlankLineTakesTheDisplayedTimeAndOneBlank) {
    EXPECT_EQ(blankLineText(QStringLiteral("02:05.1")), QStringLiteral("[02:05.10] "));
}

TEST(Tags, RecognitionByTheFirstClosingBracket) {
    EXPECT_EQ(tagLength(QStringLiteral("[ti:Title]")), 10) << "tagged by position";
    EXPECT_FALSE(tagTime(QStringLiteral("[ti:Title]")).has_value()) << "but no time";
    EXPECT_EQ(tagLength(QStringLiteral("[01:23]Text")), 0);
    EXPECT_EQ(tagLength(QStringLiteral("[01:23.456]Text")), 0);
    EXPECT_EQ(tagLength(QStringLiteral("plain text")), 0);
    EXPECT_EQ(tagTime(QStringLiteral("[00:12.00][00:15.00]Text")), 120) << "only the first tag counts";
    EXPECT_EQ(lineText(QStringLiteral("[00:12.00][00:15.00]Text")), QStringLiteral("[00:15.00]Text"));
    EXPECT_EQ(lineText(QStringLiteral("no bracket")), QStringLiteral("no bracket"));
    EXPECT_EQ(tagTime(QStringLiteral("[01:23.40]Hello")), 834);
}

TEST(Meters, PeakScaledByTheVolumeRoundedToNearest) {
    EXPECT_EQ(meterPosition(20000, 50), 10000);
    EXPECT_EQ(meterPosition(32768, 100), 32768);
    EXPECT_EQ(meterPosition(1, 50), 0) << "0.5 rounds to even";
    EXPECT_EQ(meterPosition(3, 50), 2) << "1.5 rounds to even";
    EXPECT_EQ(meterPosition(12345, 0), 0);
}
