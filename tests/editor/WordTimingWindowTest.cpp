// Word timing in the main window, driven by its keys with the song paused at exact times (so each
// stamp's time is known), and the song's own tags put in as ID lines.

#include <QAction>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QUndoStack>

#include "editor/WordTiming.h"
#include "platform/widgets/TextBoxLines.h"
#include "support/ActiveMainWindow.h"

namespace {

class WordTimingWindow : public ActiveMainWindow {
protected:
    // A word stamped with Space while paused at `seconds`.
    void stampAt(double seconds) {
        pauseAt(seconds);
        key(form->ListBox1, Qt::Key_Space);
    }
};

}  // namespace

TEST_F(WordTimingWindow, SpaceStampsWordByWordShiftSpaceEndsTheLineAndBackspaceAndUndoTakeStampsBack) {
    openWithText(QStringLiteral("[ti:Song]\nWhen the truth is\n\nNext line\n"));
    EXPECT_FALSE(form->WordTiming1->isChecked()) << "off by default";
    key(form->Memo1, Qt::Key_W, Qt::ControlModifier);
    ASSERT_TRUE(form->WordTiming1->isChecked());
    playPausedAt(12.0);
    ASSERT_EQ(form->ListBox1->currentRow(), 1);

    key(form->ListBox1, Qt::Key_Space);
    EXPECT_EQ(list()[1], QStringLiteral("[00:12.00]<00:12.00>When the truth is"));
    EXPECT_EQ(form->ListBox1->currentRow(), 1) << "the marker stays until the last word";
    EXPECT_EQ(form->PreView->textFormat(), Qt::RichText);
    EXPECT_TRUE(form->PreView->text().startsWith(QStringLiteral("<span"))) << "the word sung is highlighted";
    stampAt(12.5);
    stampAt(13.1);
    stampAt(13.9);
    EXPECT_EQ(list()[1],
              QStringLiteral("[00:12.00]<00:12.00>When <00:12.50>the <00:13.10>truth <00:13.90>is"));
    EXPECT_EQ(form->ListBox1->currentRow(), 3) << "on past the empty line";

    pauseAt(14.6);
    key(form->ListBox1, Qt::Key_Space, Qt::ShiftModifier);
    EXPECT_EQ(
        list()[1],
        QStringLiteral("[00:12.00]<00:12.00>When <00:12.50>the <00:13.10>truth <00:13.90>is <00:14.60>"))
        << "the end goes to the line just timed";
    EXPECT_EQ(list().size(), 4) << "no blank line in word mode";

    key(form->ListBox1, Qt::Key_Backspace);
    EXPECT_EQ(list()[3], QStringLiteral("Next line")) << "the marked line has no stamp to take back";
    form->ListBox1->setCurrentRow(1);
    key(form->ListBox1, Qt::Key_Backspace);
    key(form->ListBox1, Qt::Key_Backspace);
    EXPECT_EQ(list()[1], QStringLiteral("[00:12.00]<00:12.00>When <00:12.50>the <00:13.10>truth is"));

    key(form->ListBox1, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(list()[1],
              QStringLiteral("[00:12.00]<00:12.00>When <00:12.50>the <00:13.10>truth <00:13.90>is"))
        << "each stamp is one step";
    for (int step = 0; step < 6; ++step) key(form->ListBox1, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(list()[1], QStringLiteral("When the truth is"));

    // Off again, Space is "Add Line".
    key(form->ListBox1, Qt::Key_W, Qt::ControlModifier);
    form->ListBox1->setCurrentRow(3);
    stampAt(20.0);
    EXPECT_EQ(list()[3], QStringLiteral("[00:20.00]Next line"));
}

TEST_F(WordTimingWindow, ThePreviewFollowsTheSungWordAsTheSongPlays) {
    openWithText(QStringLiteral("[00:01.00]<00:01.00>One <00:01.40>two <00:01.80>three <00:02.20>\n"));
    form->PlayBtnClick();
    QString seen;
    ASSERT_TRUE(waitUntil(
        [&] {
            const QString text = form->PreView->text();
            if (text.contains(QStringLiteral(">two<")) && !seen.contains(QStringLiteral("two")))
                seen += "two ";
            if (text.contains(QStringLiteral(">three<")) && !seen.contains(QStringLiteral("three")))
                seen += "three ";
            return form->Clock.latest().value_or(0.0) > 2.4;
        },
        6000));
    EXPECT_EQ(seen, QStringLiteral("two three "));
    EXPECT_EQ(form->PreView->text(), QStringLiteral("One two three")) << "after the closing stamp, none";
}

TEST_F(WordTimingWindow, SongTagsGoInAsIdLinesOnceAndUndoInOneStep) {
    const QString path = folder.path() + QStringLiteral("/Tagged.ogg");
    ASSERT_TRUE(fixtures::writeSineWithTags(path.toStdString(), fixtures::Format::ogg, 3.0,
                                            {"Grüße", "Someone", "An Album"}));
    open(path);
    form->Memo1->setPlainText(QStringLiteral("[ar:Kept]\nFirst line\n"));
    form->InsertSongTags1->trigger();
    EXPECT_EQ(form->Memo1->toPlainText(),
              QStringLiteral("[ti:Grüße]\n[al:An Album]\n[length:00:03]\n[ar:Kept]\nFirst line\n"));
    form->InsertSongTags1->trigger();
    EXPECT_EQ(form->Memo1->toPlainText().count(QStringLiteral("[ti:")), 1) << "not twice";
    form->Undo1->trigger();
    EXPECT_EQ(form->Memo1->toPlainText(), QStringLiteral("[ar:Kept]\nFirst line\n"));
}

TEST_F(WordTimingWindow, AWordTimedLineWiderThanTheTextBoxIsSavedAsOneLine) {
    const QStringList words =
        QStringLiteral("these thirteen words will not fit into the narrow text box once they are timed")
            .split(QLatin1Char(' '));
    openWithText(words.join(QLatin1Char(' ')) + QLatin1Char('\n'));
    form->SetWordTiming(true);
    playPausedAt(1.0);
    for (int i = 0; i < words.size(); ++i) stampAt(1.0 + 0.25 * i);
    form->StopBtnClick();
    ASSERT_GT(widgets::displayedLines(*form->Memo1).size(), 2) << "the timed line wraps in the box";
    ASSERT_TRUE(form->SaveBtnClick());
    QFile saved(form->LyricsFilePath());
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = saved.readAll().split('\n');
    ASSERT_EQ(lines.size(), 2) << "one line and the end of the file";
    EXPECT_TRUE(lines[0].startsWith("[00:01.00]<00:01.00>these <00:01.25>thirteen"));
    const QString last =
        wordStamp(static_cast<int>(100 + 25 * (words.size() - 1))) + QStringLiteral("timed\r");
    EXPECT_TRUE(lines[0].endsWith(last.toLatin1())) << lines[0].toStdString();
    // Played again, the list takes it as one line as well.
    form->PlayBtnClick();
    EXPECT_EQ(list().size(), 1);
}
