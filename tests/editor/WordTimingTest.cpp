// Word timing on one line: stamping word by word, the closing stamp, taking stamps back, and what
// the preview shows of a timed line.

#include <gtest/gtest.h>

#include "editor/WordTiming.h"
#include "support/QtPrinters.h"

TEST(WordTiming, FourWordsAreStampedInTurnAndTheFirstSetsTheLinesTag) {
    QString line = QStringLiteral("[00:05.00]When the truth, is");
    const WordStampOutcome first = stampNextWord(line, 1200, QStringLiteral("[00:11.80]"));
    EXPECT_TRUE(first.stamped);
    EXPECT_FALSE(first.lineDone);
    EXPECT_EQ(line, QStringLiteral("[00:11.80]<00:12.00>When the truth, is"))
        << "the first stamp retags the line as Add Line would";
    EXPECT_FALSE(stampNextWord(line, 1250, QStringLiteral("[00:99.99]")).lineDone);
    EXPECT_FALSE(stampNextWord(line, 1310, QStringLiteral("[00:99.99]")).lineDone);
    EXPECT_EQ(line, QStringLiteral("[00:11.80]<00:12.00>When <00:12.50>the <00:13.10>truth, is"))
        << "only the first stamp touches the line's tag; punctuation stays with its word";
    const WordStampOutcome last = stampNextWord(line, 1390, QStringLiteral("[00:99.99]"));
    EXPECT_TRUE(last.lineDone) << "the marker moves on";
    EXPECT_EQ(line, QStringLiteral("[00:11.80]<00:12.00>When <00:12.50>the <00:13.10>truth, <00:13.90>is"));

    // A line timed again starts over from its first word.
    stampNextWord(line, 3000, QStringLiteral("[00:29.80]"));
    EXPECT_EQ(line, QStringLiteral("[00:29.80]<00:30.00>When the truth, is"));

    QString empty = QStringLiteral("[00:01.00]   ");
    EXPECT_FALSE(stampNextWord(empty, 100, QStringLiteral("[00:00.90]")).stamped);
    EXPECT_EQ(empty, QStringLiteral("[00:01.00]   "));
    QString untagged = QStringLiteral("Word");
    EXPECT_TRUE(stampNextWord(untagged, 100, QStringLiteral("[00:00.80]")).lineDone);
    EXPECT_EQ(untagged, QStringLiteral("[00:00.80]<00:01.00>Word"));
}

TEST(WordTiming, TheClosingStampFollowsTheLastWordAndBackspaceTakesStampsBackInTurn) {
    const QString plain = QStringLiteral("[00:01.00]Two words");
    QString line = plain;
    stampNextWord(line, 100, QStringLiteral("[00:01.00]"));
    EXPECT_FALSE(closeLastWord(line, 150)) << "not before the last word is stamped";
    stampNextWord(line, 160, QString());
    ASSERT_TRUE(closeLastWord(line, 240));
    EXPECT_EQ(line, QStringLiteral("[00:01.00]<00:01.00>Two <00:01.60>words <00:02.40>"));
    ASSERT_TRUE(closeLastWord(line, 250));
    EXPECT_EQ(line, QStringLiteral("[00:01.00]<00:01.00>Two <00:01.60>words <00:02.50>")) << "replaced";

    ASSERT_TRUE(removeLastStamp(line));
    EXPECT_EQ(line, QStringLiteral("[00:01.00]<00:01.00>Two <00:01.60>words")) << "the closing stamp first";
    ASSERT_TRUE(removeLastStamp(line));
    ASSERT_TRUE(removeLastStamp(line));
    EXPECT_EQ(line, plain) << "the line's own tag stays";
    EXPECT_FALSE(removeLastStamp(line));
}

TEST(WordTiming, LinesOtherToolsWriteSplitAndJoinUnchanged) {
    for (const char* text : {
             "[00:12.00]<00:12.00>When <00:12.50>the <00:13.10>truth <00:13.90>",
             "[00:00.00] <00:00.04> When <00:00.16> the <00:00.82> truth ",
             "[00:01.00]lo<00:01.50>ve <00:02.00>me",
             "[00:01.00]a <b>bold</b> < 3 <no:stamp>",
             "[00:01.00][00:30.00]  two  blanks\tand a tab",
             "",
         }) {
        const QString line = QString::fromUtf8(text);
        EXPECT_EQ(joinTimedLine(splitTimedLine(line)), line) << text;
    }
    const TimedLine clrc = splitTimedLine(QStringLiteral("[00:00.00] <00:00.04> When <00:00.16> the"));
    ASSERT_EQ(clrc.words.size(), 2u);
    EXPECT_EQ(clrc.words[0].stamp, 4);
    EXPECT_EQ(clrc.words[1].text, QStringLiteral("the"));
    const TimedLine syllables = splitTimedLine(QStringLiteral("[00:01.00]<00:01.00>lo<00:01.50>ve"));
    ASSERT_EQ(syllables.words.size(), 2u) << "a stamp inside a word parts its syllables";
    EXPECT_FALSE(hasWordStamps(QStringLiteral("[00:01.00]a <b>bold</b> word")));
    EXPECT_EQ(withoutWordStamps(QStringLiteral("<00:12.00>When <00:12.50>the <00:13.90>")),
              QStringLiteral("When the"));
}

TEST(WordTiming, ThePreviewHighlightsTheWordSungUntilTheClosingStamp) {
    const QString text = QStringLiteral("<00:12.00>When <00:12.50>the <00:13.10>a<b> <00:13.90>");
    const TimedLine timed = splitTimedLine(text);
    EXPECT_EQ(sungWord(timed, 1199), -1);
    EXPECT_EQ(sungWord(timed, 1200), 0);
    EXPECT_EQ(sungWord(timed, 1309), 1);
    EXPECT_EQ(sungWord(timed, 1389), 2);
    EXPECT_EQ(sungWord(timed, 1390), -1) << "the line is over";
    const QString html = previewWithSungWord(text, 1320);
    EXPECT_EQ(html, QStringLiteral(
                        "When the <span style=\"background-color:#008080;color:#ffffff\">a&lt;b&gt;</span>"));

    QString shifted = QStringLiteral("[00:01.00]<00:01.00>A <00:01.50>B <00:02.00>");
    EXPECT_TRUE(shiftWordStamps(shifted, -120));
    EXPECT_EQ(shifted, QStringLiteral("[00:01.00]<00:00.00>A <00:00.30>B <00:00.80>")) << "clamped at 0";
    EXPECT_FALSE(shiftWordStamps(shifted, 0));
}

TEST(WordTiming, AWordTimedParagraphStaysOneLineWhereOthersGiveOneLinePerRow) {
    const QString timed = QStringLiteral("[00:01.00]<00:01.00>One <00:01.50>two three");
    const QStringList rows = {"[00:01.00]<00:01.00>One <00:01.50>two", "three", "A long plain", "paragraph",
                              ""};
    const QStringList paragraphs = {timed, "A long plain paragraph", ""};
    EXPECT_EQ(rowsKeepingTimedParagraphs(rows, {0, 0, 1, 1, 2}, paragraphs),
              (QStringList{timed, "A long plain", "paragraph", ""}));
    EXPECT_EQ(rowsKeepingTimedParagraphs(rows, {0, 0, 1, 1, 2}, {"no stamps", "A long plain paragraph", ""}),
              rows);
}
