// Mending tags in the main window (nudge keys, shift all, replay) and practice speed, with the real
// player on the silent device and keys sent as real key events.

#include <QAction>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QTest>
#include <QTextBlock>
#include <QUndoStack>
#include <chrono>

#include "platform/widgets/MessageBox.h"
#include "platform/widgets/ScrollBar.h"
#include "settings/LiveSettings.h"
#include "settings/RegistryStore.h"
#include "settings/Utility.h"
#include "support/ActiveMainWindow.h"

namespace {

class MendingWindow : public ActiveMainWindow {
protected:
    void cursorToLine(int line) {
        QTextCursor cursor(form->Memo1->document()->findBlockByNumber(line));
        cursor.movePosition(QTextCursor::Right);
        form->Memo1->setTextCursor(cursor);
        form->Memo1->setFocus();
    }
};

}  // namespace

TEST_F(MendingWindow, NudgeKeysMoveTheMarkedTagInTheListThePreviewFollowsAndEachStepUndoes) {
    openWithText(QStringLiteral("One\nTwo\n"));
    playPausedAt(12.3);
    form->AddBtnClick();
    ASSERT_EQ(list(), (QStringList{"[00:12.30]One", "Two"}));
    ASSERT_EQ(form->ListBox1->currentRow(), 1) << "the marker moved on to the untagged line";

    key(form->ListBox1, Qt::Key_Right, Qt::AltModifier);
    EXPECT_EQ(list()[0], QStringLiteral("[00:12.40]One")) << "the tag just made, above the marker";
    EXPECT_EQ(form->PreView->text(), QString()) << "now later than what is heard: not shown yet";
    key(form->ListBox1, Qt::Key_Left, Qt::AltModifier | Qt::ShiftModifier);
    EXPECT_EQ(list()[0], QStringLiteral("[00:12.39]One"));
    for (int i = 0; i < 9; ++i) key(form->ListBox1, Qt::Key_Left, Qt::AltModifier | Qt::ShiftModifier);
    EXPECT_EQ(list()[0], QStringLiteral("[00:12.30]One"));
    EXPECT_EQ(form->PreView->text(), QStringLiteral("One")) << "back at the time heard: shown at once";
    EXPECT_TRUE(form->State.unsaved());

    key(form->ListBox1, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(list()[0], QStringLiteral("[00:12.31]One")) << "one fine step undone";
    for (int i = 0; i < 10; ++i) key(form->ListBox1, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(list()[0], QStringLiteral("[00:12.30]One")) << "the tag as Add Line made it";
    key(form->ListBox1, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(list()[0], QStringLiteral("One"));
}

TEST_F(MendingWindow, InTheTextBoxTheLineUnderTheCursorIsNudgedAndTheCursorStays) {
    openWithText(QStringLiteral("[00:00.05]A\nB\n[00:05.00]C\n"));
    form->State.save();
    cursorToLine(1);
    const int position = form->Memo1->textCursor().position();
    key(form->Memo1, Qt::Key_Left, Qt::AltModifier);
    EXPECT_EQ(form->Memo1->toPlainText(), QStringLiteral("[00:00.00]A\nB\n[00:05.00]C\n"))
        << "clamped at zero";
    EXPECT_EQ(form->Memo1->textCursor().position(), position);
    EXPECT_TRUE(form->State.unsaved());
    cursorToLine(2);
    const int inTheTag = form->Memo1->textCursor().position();
    key(form->Memo1, Qt::Key_Right, Qt::AltModifier);
    EXPECT_EQ(form->Memo1->toPlainText(), QStringLiteral("[00:00.00]A\nB\n[00:05.10]C\n"));
    EXPECT_EQ(form->Memo1->textCursor().position(), inTheTag) << "in the line that changed too";
    key(form->Memo1, Qt::Key_Z, Qt::ControlModifier);
    key(form->Memo1, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(form->Memo1->toPlainText(), QStringLiteral("[00:00.05]A\nB\n[00:05.00]C\n"));
    form->PlayBtnClick();
    EXPECT_EQ(list(), (QStringList{"[00:00.05]A", "B", "[00:05.00]C"}))
        << "the list is made from the mended text";
}

TEST_F(MendingWindow, ShiftAllTagsMovesEveryTagInOneUndoStepAndACancelChangesNothing) {
    openWithText(QStringLiteral("[ti:T]\n[00:01.00]A\n[00:10.00]B\nC\n"));
    form->PlayBtnClick();
    const QStringList before = list();
    const int steps = form->State.history().count();
    form->AskShiftMilliseconds = [] { return std::optional<int>(); };
    form->ShiftAllTags1->trigger();
    EXPECT_EQ(list(), before) << "cancelled";
    EXPECT_EQ(form->State.history().count(), steps) << "and records nothing";

    form->AskShiftMilliseconds = [] { return std::optional<int>(-1500); };
    form->ShiftAllTags1->trigger();
    EXPECT_EQ(list(), (QStringList{"[ti:T]", "[00:00.00]A", "[00:08.50]B", "C"}));
    key(form->ListBox1, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(list(), before) << "one step";

    // In the text box as well.
    form->StopBtnClick();
    form->AskShiftMilliseconds = [] { return std::optional<int>(250); };
    form->ShiftAllTags1->trigger();
    EXPECT_EQ(form->Memo1->toPlainText(), QStringLiteral("[ti:T]\n[00:01.25]A\n[00:10.25]B\nC\n"));
}

TEST_F(MendingWindow, ApplyOffsetBakesTheOffsetLineIntoEveryTagInOneUndoStep) {
    openWithText(QStringLiteral("[ti:T]\n[offset:+500]\n[00:01.00]A\n[00:10.00][00:20.00]B\n"));
    form->PlayBtnClick();
    const QStringList before = list();
    form->ListBox1->setCurrentRow(2);
    form->ApplyOffset1->trigger();
    EXPECT_EQ(list(), (QStringList{"[ti:T]", "[00:00.50]A", "[00:09.50][00:19.50]B"}));
    EXPECT_EQ(form->ListBox1->currentRow(), 1) << "the marker stays on its line";
    EXPECT_TRUE(form->State.unsaved());
    key(form->ListBox1, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(list(), before) << "one step";

    // Without an offset line there is nothing to apply, and nothing is recorded.
    form->StopBtnClick();
    form->Memo1->setPlainText(QStringLiteral("[00:01.00]A\n"));
    const int steps = form->State.history().count();
    form->ApplyOffset1->trigger();
    EXPECT_EQ(form->Memo1->toPlainText(), QStringLiteral("[00:01.00]A\n"));
    EXPECT_EQ(form->State.history().count(), steps);
}

TEST_F(MendingWindow, ReplayPlaysFromTwoSecondsBeforeTheMarkedLinesTag) {
    openWithText(QStringLiteral("[00:01.00]A\n[00:12.34]B\nC\n"));
    // Stopped, in the text box: the line under the cursor, an untagged one, plays from the tag above.
    cursorToLine(2);
    key(form->Memo1, Qt::Key_R, Qt::ControlModifier);
    EXPECT_EQ(form->BassdllPlayer1->Status(), sndPlaying);
    EXPECT_TRUE(form->ListBox1->isVisible());
    EXPECT_EQ(form->ListBox1->currentRow(), 2) << "ready to tag the line replayed";
    EXPECT_NEAR(form->BassdllPlayer1->AudiblePosition(), 10.34, 0.15);
    EXPECT_EQ(form->ScrollBarPos->value(), 10);

    form->ListBox1->setCurrentRow(0);
    key(form->ListBox1, Qt::Key_R, Qt::ControlModifier);
    EXPECT_NEAR(form->BassdllPlayer1->AudiblePosition(), 0.0, 0.15) << "a tag under 2 s: from the start";
    EXPECT_EQ(form->ListBox1->currentRow(), 0);

    // Paused, a double click on a tagged line plays it again.
    form->PauseBtnClick();
    const QRect row = form->ListBox1->visualItemRect(form->ListBox1->item(1));
    // A double click as the system delivers it: a click, then the second press as a double click.
    QTest::mouseClick(form->ListBox1->viewport(), Qt::LeftButton, Qt::NoModifier, row.center());
    QTest::mouseDClick(form->ListBox1->viewport(), Qt::LeftButton, Qt::NoModifier, row.center());
    EXPECT_EQ(form->BassdllPlayer1->Status(), sndPlaying);
    EXPECT_NEAR(form->BassdllPlayer1->AudiblePosition(), 10.34, 0.15);
    waitMs(300);
    EXPECT_GT(form->Clock.latest().value_or(0), 10.3) << "the clock goes on from the replay's start";
}

TEST_F(MendingWindow, PracticeSpeedStepsByKeysShowsInTheWindowIsKeptAndScalesTheOffset) {
    openWithText(QStringLiteral("A\nB\n"));
    form->Memo1->setFocus();
    key(form->Memo1, Qt::Key_Down, Qt::ControlModifier);
    EXPECT_EQ(form->BassdllPlayer1->PracticeSpeed(), 90) << "from the text box too";
    EXPECT_TRUE(form->SpeedEntries[1]->isChecked());
    EXPECT_EQ(form->SpeedNote->caption(), QStringLiteral("Speed 90 %"));
    for (int i = 0; i < 5; ++i) key(form->Memo1, Qt::Key_Down, Qt::ControlModifier);
    EXPECT_EQ(form->BassdllPlayer1->PracticeSpeed(), 50) << "the slowest is the end";
    EXPECT_FLOAT_EQ(bassdll::BASS_ChannelGetTempo(form->BassdllPlayer1->channel()), 50.0f);
    EXPECT_EQ(ReadRegInteger(kSettingsKeyName, QStringLiteral("PracticeSpeed"), 0), 50);

    // A tag at half speed: the reaction offset is half as much song time.
    liveSettings().setOffsetSwitch(true);
    liveSettings().setOffsetIndex(1);  // "-500"
    playPausedAt(10.0);
    form->AddBtnClick();
    EXPECT_EQ(list()[0], QStringLiteral("[00:09.75]A"));

    // The next start plays the next song at the speed kept.
    form->StopBtnClick();
    form->State.save();
    form.reset();
    form = std::make_unique<TForm1>();
    form->show();
    QApplication::processEvents();
    EXPECT_EQ(form->BassdllPlayer1->PracticeSpeed(), 50);
    EXPECT_TRUE(form->SpeedEntries.back()->isChecked());
    EXPECT_EQ(form->SpeedNote->caption(), QStringLiteral("Speed 50 %"));
    open(song(QStringLiteral("Next.wav"), 5.0));
    EXPECT_FLOAT_EQ(bassdll::BASS_ChannelGetTempo(form->BassdllPlayer1->channel()), 50.0f);
    form->Memo1->setFocus();

    form->SpeedEntries.front()->trigger();
    EXPECT_EQ(form->BassdllPlayer1->PracticeSpeed(), 100);
    EXPECT_EQ(form->SpeedNote->caption(), QString()) << "nothing shown at the song's own speed";
    key(form->Memo1, Qt::Key_Up, Qt::ControlModifier);
    EXPECT_EQ(form->BassdllPlayer1->PracticeSpeed(), 100) << "the fastest is the other end";
}

TEST_F(MendingWindow, ShiftClickAndMiddleClickOnThePositionBarJumpThere) {
    openWithText(QString());
    form->PlayBtnClick();
    widgets::ScrollBar* bar = form->ScrollBarPos;
    ASSERT_EQ(bar->maximum(), 30);
    const int y = bar->height() / 2;
    QTest::mouseClick(bar, Qt::LeftButton, Qt::ShiftModifier, QPoint(bar->width() * 3 / 4, y));
    EXPECT_NEAR(bar->value(), 22, 2);
    EXPECT_NEAR(form->BassdllPlayer1->AudiblePosition(), bar->value(), 0.2) << "the song went there";
    QTest::mouseClick(bar, Qt::MiddleButton, Qt::NoModifier, QPoint(bar->width() / 4, y));
    EXPECT_NEAR(bar->value(), 7, 2);
    const int before = bar->value();
    QTest::mouseClick(bar, Qt::LeftButton, Qt::NoModifier, QPoint(bar->width() - 20, y));
    EXPECT_EQ(bar->value(), before + 1) << "a plain click still pages";
}

TEST_F(MendingWindow, ThePlayMenuSitsBeforeHelpAndShowsItsKeys) {
    QStringList titles;
    for (QAction* menu : form->menuBar()->actions()) titles << menu->text();
    EXPECT_EQ(titles, (QStringList{"File", "Edit", "View", "Play", "Help"}));
    QStringList entries;
    for (QAction* entry : form->Play1->actions()) {
        if (!entry->isSeparator()) entries << entry->text();
    }
    EXPECT_EQ(entries,
              (QStringList{"&Play/Pause\tCtrl+P", "&Stop\tCtrl+.", "&Back 5 s\tCtrl+Left",
                           "&Forward 5 s\tCtrl+Right", "&Replay Line\tCtrl+R", "Nudge Tag &Earlier\tAlt+Left",
                           "Nudge Tag &Later\tAlt+Right", "Nudge Tag Earlier (Fine)\tShift+Alt+Left",
                           "Nudge Tag Later (Fine)\tShift+Alt+Right", "Speed &100 %", "Speed &90 %",
                           "Speed &75 %", "Speed &60 %", "Speed &50 %", "Slo&wer\tCtrl+Down",
                           "Fas&ter\tCtrl+Up", "Word t&iming\tCtrl+W"}));
}
