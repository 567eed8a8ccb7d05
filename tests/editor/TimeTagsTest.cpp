#include <gtest/gtest.h>

#include <QStringList>

#include "editor/PlayClock.h"
#include "editor/TimeTags.h"
#include "editor/Transport.h"

TEST(PlayTime, ConversionsBetweenTextAndTenths) {
    EXPECT_EQ(TimeToTenths(QStringLiteral("01:23.3")), 833);
    EXPECT_EQ(TenthsToTime(833), QStringLiteral("01:23.3"));
    EXPECT_EQ(TenthsToTime(0), QStringLiteral("00:00.0"));
    EXPECT_EQ(TenthsToTime(-4), QStringLiteral("00:00.0"));
    EXPECT_EQ(TenthsToTime(600), QStringLiteral("01:00.0"));
    EXPECT_FALSE(TimeToTenths(QStringLiteral("ti:Titl")).has_value());
    EXPECT_FALSE(TimeToTenths(QStringLiteral("1:23.3")).has_value());
    EXPECT_EQ(seekDisplay(83), QStringLiteral("01:23.0"));
}

TEST(PlayTime, SongsOfAHundredMinutesKeepWorking) {
    EXPECT_EQ(TenthsToTime(60050), QStringLiteral("100:05.0"));
    EXPECT_EQ(TimeToTenths(QStringLiteral("100:05.0")), 60050);
    EXPECT_EQ(seekDisplay(6005), QStringLiteral("100:05.0"));
    const QString tag = addLineTag(6005.0, false, QString());
    EXPECT_EQ(tag, QStringLiteral("[100:05.00]"));
    EXPECT_EQ(tagLength(tag + QStringLiteral("Text")), 11);
    EXPECT_EQ(tagTime(tag + QStringLiteral("Text")), 600500);
}

TEST(PlayTime, TheDisplayTruncatesSoItNeverShowsWhatIsNotHeardYet) {
    EXPECT_EQ(shownTenths(12.39), 123);
    EXPECT_EQ(shownTenths(12.3999), 123);
    EXPECT_EQ(shownTenths(0.3 * 3), 9) << "a float a hair below 0.9 still shows 0.9";
    EXPECT_EQ(shownTenths(0.0), 0);
    EXPECT_EQ(shownTenths(-0.2), 0);
}

TEST(Tags, AddLineTagsTheTimeOfThePressLessTheChosenOffsetToTheHundredth) {
    EXPECT_EQ(addLineTag(83.437, true, QStringLiteral("-500")), QStringLiteral("[01:22.94]"));
    EXPECT_EQ(addLineTag(83.437, false, QStringLiteral("-500")), QStringLiteral("[01:23.44]"));
    EXPECT_EQ(addLineTag(83.4, true, QStringLiteral("-300")), QStringLiteral("[01:23.10]"));
    EXPECT_EQ(addLineTag(83.4, true, QStringLiteral("-700")), QStringLiteral("[01:22.70]"));
    EXPECT_EQ(addLineTag(59.996, false, QString()), QStringLiteral("[01:00.00]")) << "rounds across a minute";
    EXPECT_EQ(addLineTag(0.7, true, QStringLiteral("-700")), QStringLiteral("[00:00.00]"));
    EXPECT_EQ(addLineTag(0.3, true, QStringLiteral("-700")), QStringLiteral("[00:00.00]"))
        << "never below zero";
    EXPECT_EQ(addLineTag(12.3, true, QString()), QStringLiteral("[00:12.30]"))
        << "switched on with no entry chosen: no offset";
    EXPECT_EQ(offsetMilliseconds(true, QStringLiteral("-700")), 700);
    EXPECT_EQ(offsetMilliseconds(false, QStringLiteral("-700")), 0);
}

TEST(Tags, BlankLineTakesThePressTimeWithoutOffsetAndOneBlank) {
    EXPECT_EQ(blankLineText(125.137), QStringLiteral("[02:05.14] "));
    EXPECT_EQ(timeTag(5), QStringLiteral("[00:00.05]"));
    EXPECT_EQ(timeTag(-5), QStringLiteral("[00:00.00]"));
}

TEST(Tags, OnlyALeadingTimeTagCountsAndIdLinesAreNeverTags) {
    EXPECT_EQ(tagLength(QStringLiteral("[ti:Title]")), 0);
    EXPECT_EQ(tagLength(QStringLiteral("[ti:Grüße]")), 0) << "ten characters, first ] at the 10th place";
    EXPECT_TRUE(isIdLine(QStringLiteral("[ti:Grüße]")));
    for (const char* id : {"[ar:A]", "[al:B]", "[au:C]", "[by:D]", "[re:E]", "[ve:F]", "[length:03:12]",
                           "[offset:+200]", "[#:comment]", "[TI:Upper]"}) {
        EXPECT_TRUE(isIdLine(QString::fromUtf8(id))) << id;
    }
    EXPECT_FALSE(isIdLine(QStringLiteral("[00:12.00]Text")));
    EXPECT_FALSE(isIdLine(QStringLiteral("[Chorus]")));
    EXPECT_EQ(tagLength(QStringLiteral("x[01:23.45]Text")), 0);
    EXPECT_EQ(tagLength(QStringLiteral("plain text")), 0);
    EXPECT_EQ(tagTime(QStringLiteral("[00:12.00][00:15.00]Text")), 1200) << "the first tag is the line's";
    EXPECT_EQ(tagLength(QStringLiteral("[00:12.00][00:15.00]Text")), 10);
    EXPECT_EQ(lineText(QStringLiteral("[00:12.00][00:15.00]Text")), QStringLiteral("Text"));
    EXPECT_EQ(lineText(QStringLiteral("no bracket")), QStringLiteral("no bracket"));
    EXPECT_EQ(tagTime(QStringLiteral("[01:23.45]Hello")), 8345);
    EXPECT_FALSE(tagTime(QStringLiteral("[9999999999:00.00]Overflow")).has_value());
}

TEST(Meters, PeakScaledByTheVolumeRoundedToNearest) {
    EXPECT_EQ(meterPosition(20000, 50), 10000);
    EXPECT_EQ(meterPosition(32768, 100), 32768);
    EXPECT_EQ(meterPosition(1, 50), 0) << "0.5 rounds to even";
    EXPECT_EQ(meterPosition(3, 50), 2) << "1.5 rounds to even";
    EXPECT_EQ(meterPosition(12345, 0), 0);
}
