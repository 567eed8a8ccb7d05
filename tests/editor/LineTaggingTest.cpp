#include <gtest/gtest.h>

#include "editor/LineTagging.h"
#include "editor/PreviewIndex.h"
#include "editor/WindowPlacement.h"
#include "support/QtPrinters.h"

namespace {
const QString kTagAt1230 = QStringLiteral("[00:12.30]");
}  // namespace

TEST(AddLine, TagsTheMarkedLineAndMovesToTheNextLineWithText) {
    LineList list{{"Hello", "World"}, 0};
    const AddLineOutcome outcome = addLine(list, kTagAt1230);
    EXPECT_EQ(list.lines, (QStringList{"[00:12.30]Hello", "World"}));
    EXPECT_EQ(list.marker, 1);
    EXPECT_EQ(outcome.preview, QStringLiteral("Hello"));
    EXPECT_TRUE(outcome.recordChange);
}

TEST(AddLine, ReTaggingReplacesTheOldTagAndIdLinesArePassedOver) {
    LineList list{{"[00:10.00]Hello", "[ti:Grüße]", "[ar:Someone]", "x"}, 0};
    addLine(list, kTagAt1230);
    EXPECT_EQ(list.lines[0], QStringLiteral("[00:12.30]Hello")) << "never two tags";
    EXPECT_EQ(list.marker, 3) << "the marker moves on past the ID lines";
    EXPECT_EQ(list.lines[1], QStringLiteral("[ti:Grüße]"));

    LineList clicked{{"[ti:Title]", "x"}, 0};
    const AddLineOutcome outcome = addLine(clicked, kTagAt1230);
    EXPECT_EQ(clicked.lines, (QStringList{"[ti:Title]", "[00:12.30]x"}))
        << "a marked ID line is never tagged";
    EXPECT_EQ(outcome.tagged, 1);

    LineList onlyIds{{"x", "[ti:Title]"}, 1};
    EXPECT_EQ(addLine(onlyIds, kTagAt1230).tagged, -1);
    EXPECT_EQ(onlyIds.lines, (QStringList{"x", "[ti:Title]"}));

    EXPECT_EQ(firstMarkedLine({"[ti:T]", "[ar:A]", "", "Line"}), 2) << "the marker starts past the ID lines";
    EXPECT_EQ(firstMarkedLine({"[ti:T]"}), 0);
    EXPECT_EQ(firstMarkedLine({}), -1);

    LineList longTag{{"[100:01.20]Late"}, 0};
    addLine(longTag, QStringLiteral("[100:02.30]"));
    EXPECT_EQ(longTag.lines[0], QStringLiteral("[100:02.30]Late"));
}

TEST(AddLine, SkipsEmptyLinesButStopsAtTheLast) {
    LineList skip{{"A", "", "", "B"}, 0};
    addLine(skip, kTagAt1230);
    EXPECT_EQ(skip.marker, 3);

    LineList toTheEnd{{"A", "", ""}, 0};
    addLine(toTheEnd, kTagAt1230);
    EXPECT_EQ(toTheEnd.marker, 2) << "rests on the last, empty line";

    LineList single{{"Only"}, 0};
    const AddLineOutcome outcome = addLine(single, kTagAt1230);
    EXPECT_EQ(single.lines[0], QStringLiteral("[00:12.30]Only"));
    EXPECT_EQ(single.marker, 0);
    EXPECT_TRUE(outcome.recordChange);
}

TEST(AddLine, AnEmptyMarkedLineGetsNoTagAndRecordsAChangeOnlyWhenTheMarkerRestsOnTextAboveTheEnd) {
    LineList list{{"A", "", "B", "C"}, 1};
    AddLineOutcome outcome = addLine(list, kTagAt1230);
    EXPECT_EQ(list.lines, (QStringList{"A", "", "B", "C"}));
    EXPECT_EQ(list.marker, 2);
    EXPECT_TRUE(outcome.preview.isEmpty());
    EXPECT_TRUE(outcome.recordChange);

    LineList towardsTheLast{{"A", "", "B"}, 1};
    outcome = addLine(towardsTheLast, kTagAt1230);
    EXPECT_EQ(towardsTheLast.marker, 2);
    EXPECT_FALSE(outcome.recordChange) << "the marker rests on the last line";

    LineList emptyLast{{"A", ""}, 1};
    outcome = addLine(emptyLast, kTagAt1230);
    EXPECT_EQ(emptyLast.marker, 1);
    EXPECT_FALSE(outcome.recordChange);
}

TEST(AddLine, AnEmptyListStaysEmpty) {
    LineList list;
    const AddLineOutcome outcome = addLine(list, kTagAt1230);
    EXPECT_TRUE(list.lines.isEmpty());
    EXPECT_FALSE(outcome.recordChange);
    EXPECT_EQ(insertBlankLine(list, QStringLiteral("[00:01.00] ")), -1);
}

TEST(AddBlankLine, GoesAboveTheMarkedLineAndTheMarkerStaysWithItsText) {
    LineList list{{"A", "B"}, 1};
    ASSERT_EQ(insertBlankLine(list, QStringLiteral("[01:02.50] ")), 1);
    EXPECT_EQ(list.lines, (QStringList{"A", "[01:02.50] ", "B"}));
    EXPECT_EQ(list.marker, 2);
}

TEST(AddBlankLine, AfterTheLastLineJustTaggedItGoesBelowSoTheTimesStayInOrder) {
    LineList last{{"[00:20.00]Ninth", "[00:30.00]Tenth"}, 1};
    ASSERT_EQ(insertBlankLine(last, QStringLiteral("[00:31.80] ")), 2);
    EXPECT_EQ(last.lines, (QStringList{"[00:20.00]Ninth", "[00:30.00]Tenth", "[00:31.80] "}));
    EXPECT_EQ(last.marker, 1);

    LineList earlier{{"[00:30.00]Tenth"}, 0};
    insertBlankLine(earlier, QStringLiteral("[00:10.00] "));
    EXPECT_EQ(earlier.lines, (QStringList{"[00:10.00] ", "[00:30.00]Tenth"}))
        << "a tag from an earlier pass, later than the blank: above it";

    LineList untaggedBelow{{"[00:30.00]Tenth", "Eleventh"}, 0};
    insertBlankLine(untaggedBelow, QStringLiteral("[00:31.00] "));
    EXPECT_EQ(untaggedBelow.lines[0], QStringLiteral("[00:31.00] ")) << "lines still to tag follow: above";
}

TEST(TextBoxLines, OnlyAnEmptyLastLineIsDropped) {
    EXPECT_EQ(withoutEmptyLastLine({"A", "", "B", ""}), (QStringList{"A", "", "B"}));
    EXPECT_EQ(withoutEmptyLastLine({"A", "", ""}), (QStringList{"A", ""}));
    EXPECT_TRUE(withoutEmptyLastLine({""}).isEmpty());
}

TEST(PreviewIndex, KeysInHundredthsCarryOverToUntaggedLines) {
    EXPECT_EQ(buildPreviewIndex({"[00:12.34]Hello", "World", "[00:15.00]Bye"}),
              QStringLiteral("[1234]Hello[~E][1234]World[~E][1500]Bye[~E]"));
    EXPECT_EQ(buildPreviewIndex({"Intro", "[00:00.00]Go"}), QStringLiteral("Intro[~E][0]Go[~E]"))
        << "no key above the first tag";
    EXPECT_EQ(buildPreviewIndex({"[ti:Title]", "[00:01.00]A", "[ar:Someone]", "[00:02.00]B"}),
              QStringLiteral("[~E][100]A[~E][100][~E][200]B[~E]"))
        << "ID lines carry the key above them";
}

TEST(PreviewLookup, ShowsTheLatestTagThePlayTimePassedAndKeepsTheOldTextOtherwise) {
    const QString index = buildPreviewIndex({"Intro", "[00:12.34]Hello", "World", "[00:14.00] ",
                                             "[00:15.00]Bye", "[00:15.00]Also", "[00:16.00]End"});
    EXPECT_EQ(lookUpPreview(index, 0, 1233), std::nullopt)
        << "not reached yet; lines above the first tag never show";
    EXPECT_EQ(lookUpPreview(index, 1234, 1234), QStringLiteral("Hello")) << "from the hundredth of its tag";
    EXPECT_EQ(lookUpPreview(index, 1235, 1399), std::nullopt) << "an untagged line never shows";
    EXPECT_EQ(lookUpPreview(index, 1300, 1400), QStringLiteral(" ")) << "the blank line";
    EXPECT_EQ(lookUpPreview(index, 1401, 1500), QStringLiteral("Bye"))
        << "the first of two lines with one time";
    EXPECT_EQ(lookUpPreview(index, 1200, 1700), QStringLiteral("End"))
        << "a long tick shows the latest line passed";
}

TEST(PreviewLookup, TextEndsAtTheFirstEndMark) {
    const QString index = buildPreviewIndex({"[00:01.00]Before[~E]After", "[00:02.00]Next"});
    EXPECT_EQ(lookUpPreview(index, 0, 150), QStringLiteral("Before"));
    EXPECT_EQ(lookUpPreview(index, 150, 250), QStringLiteral("Next"));
}

TEST(WindowPlacementRule, TheTitleBarComesBackOntoTheNearestScreen) {
    const std::vector<QRect> screens{QRect(0, 0, 1280, 1000), QRect(1280, 0, 1920, 1080)};
    const QSize window(485, 600);
    EXPECT_EQ(onScreenPosition({100, 200}, window, screens, 30), QPoint(100, 200)) << "on screen: as stored";
    EXPECT_EQ(onScreenPosition({100, -20}, window, screens, 30), QPoint(100, 30))
        << "title bar below the top";
    EXPECT_EQ(onScreenPosition({-300, 100}, window, screens, 30), QPoint(0, 100));
    EXPECT_EQ(onScreenPosition({3000, 100}, window, screens, 30), QPoint(3200 - 485, 100))
        << "the second screen";
    EXPECT_EQ(onScreenPosition({1500, 3000}, window, screens, 30), QPoint(1500, 1080 - 600));
    EXPECT_EQ(onScreenPosition({10, 10}, QSize(485, 2000), screens, 30), QPoint(10, 30))
        << "taller than the screen";
}
