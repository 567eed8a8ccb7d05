// The window's song and lyrics state through its transitions, without a window.

#include <gtest/gtest.h>

#include <QUndoCommand>

#include "editor/WindowState.h"

namespace {

// A started window with a song opened, as the window is after a successful open.
void openSong(WindowState& state) {
    state.start();
    state.beginOpen(QStringLiteral("/music/Song.mp3"));
    state.finishOpen();
}

}  // namespace

TEST(WindowState, AStartedWindowHasNoSongNothingToSaveAndAStillPositionBar) {
    WindowState state;
    state.start();
    EXPECT_FALSE(state.playing());
    EXPECT_FALSE(state.unsaved());
    EXPECT_TRUE(state.songPath().isEmpty());
    EXPECT_FALSE(state.barFollowsPlay());
    // Before any song the bar's moves would seek, but there is nothing to play: the bar is off.
    EXPECT_TRUE(state.seeking());
}

TEST(WindowState, AnOpenKnowsItsPathEarlyAndEitherStartsAfreshOrLeavesNoSong) {
    WindowState state;
    state.start();
    state.typeText();
    state.history().push(new QUndoCommand(QStringLiteral("Typing")));

    state.beginOpen(QStringLiteral("/music/Broken.mp3"));
    EXPECT_EQ(state.songPath(), QStringLiteral("/music/Broken.mp3"))
        << "the lyrics file is looked for under it";
    state.failOpen();
    EXPECT_TRUE(state.songPath().isEmpty());
    EXPECT_TRUE(state.unsaved()) << "a failed open leaves the lyrics as they were";
    EXPECT_EQ(state.history().count(), 1);

    state.beginOpen(QStringLiteral("/music/Song.mp3"));
    state.finishOpen();
    EXPECT_EQ(state.songPath(), QStringLiteral("/music/Song.mp3"));
    EXPECT_FALSE(state.unsaved()) << "the lyrics as loaded are saved";
    EXPECT_EQ(state.history().count(), 0) << "another song, another history";
    EXPECT_FALSE(state.seeking());
    EXPECT_FALSE(state.barFollowsPlay()) << "not before the song plays";
}

TEST(WindowState, PlayPauseAndStopSayWhetherTheBarFollowsThePlay) {
    WindowState state;
    openSong(state);
    state.play();
    EXPECT_TRUE(state.playing());
    EXPECT_TRUE(state.barFollowsPlay());
    state.pause();
    EXPECT_FALSE(state.playing());
    EXPECT_FALSE(state.barFollowsPlay());
    state.play();
    state.stop();
    EXPECT_FALSE(state.playing());
    EXPECT_FALSE(state.barFollowsPlay());
}

TEST(WindowState, ASeekWhilePlayingEndsWithTheDragAndOneWhilePausedLastsUntilThePlay) {
    WindowState state;
    openSong(state);
    state.play();
    state.beginSeek();
    EXPECT_TRUE(state.seeking());
    EXPECT_FALSE(state.barFollowsPlay()) << "the play does not move a bar being dragged";
    EXPECT_TRUE(state.endSeek()) << "the player goes on";
    EXPECT_FALSE(state.seeking());
    EXPECT_TRUE(state.barFollowsPlay());

    state.pause();
    state.beginSeek();
    EXPECT_FALSE(state.endSeek()) << "a paused song stays where the bar put it";
    EXPECT_TRUE(state.seeking()) << "so further moves of the bar still seek";
    state.play();
    EXPECT_FALSE(state.seeking());
    EXPECT_TRUE(state.barFollowsPlay());
}

TEST(WindowState, TypingMakesTheLyricsUnsavedAndTheLineListStaleAProgramReplaceOnlyTheLatter) {
    WindowState state;
    openSong(state);
    state.replaceText();
    EXPECT_TRUE(state.lineListStale());
    EXPECT_FALSE(state.unsaved()) << "giving the list's lines back, or loading a file, changes nothing";
    state.takeLines();
    EXPECT_FALSE(state.lineListStale());

    state.typeText();
    EXPECT_TRUE(state.lineListStale());
    EXPECT_TRUE(state.unsaved());
    state.save();
    EXPECT_FALSE(state.unsaved());
    EXPECT_TRUE(state.lineListStale()) << "saving does not fill the list";

    state.changeLyrics();
    EXPECT_TRUE(state.unsaved());
}

TEST(WindowState, TextTypedBeforeAnySongIsUnsaved) {
    WindowState state;
    state.start();
    state.typeText();
    EXPECT_TRUE(state.unsaved());
    EXPECT_TRUE(state.songPath().isEmpty());
}
