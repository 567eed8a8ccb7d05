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

TEST(AddLine, ReTaggingReplacesTheOldTagAndTheIdLineLosesItsBrackets) {
    LineList list{{"[00:10.00]Hello", "[ti:Title]", "x"}, 0};
    addLine(list, kTagAt1230);
    EXPECT_EQ(list.lines[0], QStringLiteral("[00:12.30]Hello")) << "never two tags";
    addLine(list, kTagAt1230);
    EXPECT_EQ(list.lines[1], QStringLiteral("[00:12.30]"))
        << "a line tagged by its first ] at the 10th place";
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
    EXPECT_FALSE(insertBlankLine(list, QStringLiteral("[00:01.00] ")));
}

TEST(AddBlankLine, GoesAboveTheMarkedLineAndTheMarkerStaysWithItsText) {
    LineList list{{"A", "B"}, 1};
    ASSERT_TRUE(insertBlankLine(list, QStringLiteral("[01:02.50] ")));
    EXPECT_EQ(list.lines, (QStringList{"A", "[01:02.50] ", "B"}));
    EXPECT_EQ(list.marker, 2);
}

TEST(TextBoxLines, OnlyAnEmptyLastLineIsDropped) {
    EXPECT_EQ(withoutEmptyLastLine({"A", "", "B", ""}), (QStringList{"A", "", "B"}));
    EXPECT_EQ(withoutEmptyLastLine({"A", "", ""}), (QStringList{"A", ""}));
    EXPECT_TRUE(withoutEmptyLastLine({""}).isEmpty());
}

TEST(PreviewIndex, KeysCarryOverToUntaggedLines) {
    EXPECT_EQ(buildPreviewIndex({"[00:12.30]Hello", "World", "[00:15.00]Bye"}),
              QStringLiteral("[123]Hello[~E][123]World[~E][150]Bye[~E]"));
    EXPECT_EQ(buildPreviewIndex({"Intro", "[00:00.00]Go"}), QStringLiteral("Intro[~E][0]Go[~E]"))
        << "no key above the first tag";
}

TEST(PreviewIndex, IdLinesCarryTheKeyAboveThemAndTheRebuildCompletes) {
    EXPECT_EQ(buildPreviewIndex({"[ti:Title]", "[00:01.00]A", "[ar:Someone]", "[00:02.00]B"}),
              QStringLiteral("[~E][10]A[~E][10][~E][20]B[~E]"));
}

TEST(PreviewLookup, ShowsTheFirstLineWithTheDisplayedTimeAndKeepsTheOldTextOtherwise) {
    const QString index =
        buildPreviewIndex({"[00:12.30]Hello", "World", "[00:14.00] ", "[00:15.00]Bye", "[00:15.00]Also"});
    EXPECT_EQ(lookUpPreview(index, QStringLiteral("00:12.3")), QStringLiteral("Hello"));
    EXPECT_EQ(lookUpPreview(index, QStringLiteral("00:12.4")), std::nullopt);
    EXPECT_EQ(lookUpPreview(index, QStringLiteral("00:14.0")), QStringLiteral(" ")) << "the blank line";
    EXPECT_EQ(lookUpPreview(index, QStringLiteral("00:15.0")), QStringLiteral("Bye"));
    EXPECT_EQ(lookUpPreview(index, QStringLiteral("not a time")), std::nullopt);
}

TEST(PreviewLookup, TextEndsAtTheFirstEndMark) {
    const QString index = buildPreviewIndex({"[00:01.00]Before[~E]After"});
    EXPECT_EQ(lookUpPreview(index, QStringLiteral("00:01.0")), QStringLiteral("Before"));
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
