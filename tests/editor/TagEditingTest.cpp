#include <gtest/gtest.h>

#include "editor/TagEditing.h"

TEST(TagEditing, ANudgeMovesTheOwnersTagAndStopsAtZero) {
    QStringList lines{"[ti:Song]", "[00:00.05]One", "Two", "[00:59.95]Three"};
    EXPECT_EQ(nudgeTag(lines, 3, kNudgeStep), 3);
    EXPECT_EQ(lines[3], QStringLiteral("[01:00.05]Three")) << "across the minute";
    EXPECT_EQ(nudgeTag(lines, 2, -kFineNudgeStep), 1) << "an untagged line nudges the tag above it";
    EXPECT_EQ(lines[1], QStringLiteral("[00:00.04]One"));
    EXPECT_EQ(nudgeTag(lines, 1, -kNudgeStep), 1);
    EXPECT_EQ(lines[1], QStringLiteral("[00:00.00]One")) << "never below zero";
    EXPECT_EQ(nudgeTag(lines, 1, -kNudgeStep), std::nullopt) << "already at zero: nothing to record";
    EXPECT_EQ(nudgeTag(lines, 0, kNudgeStep), std::nullopt) << "an ID line has no tag, nor anything above";
    EXPECT_EQ(nudgeTag(lines, 9, kNudgeStep), std::nullopt);
    EXPECT_EQ(lines[0], QStringLiteral("[ti:Song]"));
}

TEST(TagEditing, ShiftingMovesEveryTagClampsAtZeroAndLeavesOtherLines) {
    QStringList lines{"[ar:Someone]", "[00:00.20]A", "B", "[01:00.00]C", "[100:00.00]D", "[00:00.00]"};
    EXPECT_EQ(shiftAllTags(lines, -300), 3) << "the blank tagged line at 0 stays where it is";
    EXPECT_EQ(lines,
              (QStringList{"[ar:Someone]", "[00:00.00]A", "B", "[00:59.70]C", "[99:59.70]D", "[00:00.00]"}));
    EXPECT_EQ(shiftAllTags(lines, 1234), 4);
    EXPECT_EQ(lines[1], QStringLiteral("[00:01.23]A")) << "milliseconds round to the nearest hundredth";
    EXPECT_EQ(lines[4], QStringLiteral("[100:00.93]D"));
    EXPECT_EQ(shiftAllTags(lines, 4), 0) << "less than half a hundredth moves nothing";
}

TEST(TagEditing, AReplayStartsTwoSecondsBeforeTheLinesTagOrAtTheStart) {
    const QStringList lines{"Intro", "[00:01.50]One", "[00:12.34]Two", "Three"};
    EXPECT_DOUBLE_EQ(replayStart(lines, 2), 10.34);
    EXPECT_DOUBLE_EQ(replayStart(lines, 3), 10.34) << "an untagged line: the tag above it";
    EXPECT_DOUBLE_EQ(replayStart(lines, 1), 0.0) << "a tag under 2 s: from the start";
    EXPECT_DOUBLE_EQ(replayStart(lines, 0), 0.0) << "nothing tagged above";
}

TEST(TagEditing, ShiftingAndApplyingTheOffsetMoveWordStampsWithTheirLine) {
    QStringList lines = {"[offset:+200]", "[00:10.00]<00:10.00>One <00:10.50>two <00:11.00>",
                         "[00:00.00]<00:00.10>Early", "untagged <00:05.00>stays"};
    ASSERT_TRUE(applyFileOffset(lines));
    EXPECT_EQ(lines, (QStringList{"[00:09.80]<00:09.80>One <00:10.30>two <00:10.80>",
                                  "[00:00.00]<00:00.00>Early", "untagged <00:05.00>stays"}))
        << "a line at the start keeps its tag while its word's stamp moves; untagged text is no timed line";
}
