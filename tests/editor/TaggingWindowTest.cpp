// The main window's tagging, preview and lyrics file with the real player on the silent device.

#include <sys/stat.h>

#include <QAction>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QTest>
#include <chrono>

#include "editor/TimeTags.h"
#include "platform/system/Errors.h"
#include "platform/widgets/Application.h"
#include "platform/widgets/MessageBox.h"
#include "platform/widgets/ScrollBar.h"
#include "platform/widgets/TextBoxLines.h"
#include "settings/LiveSettings.h"
#include "settings/RegistryStore.h"
#include "settings/Utility.h"
#include "support/MainWindowFixture.h"

namespace {

QByteArray bytesOf(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

class TaggingWindow : public MainWindowWithPlayer {
protected:
    void SetUp() override {
        MainWindowWithPlayer::SetUp();
        liveSettings() = LiveSettings();
        liveSettings().setOffsetSwitch(false);
        answerer = std::make_unique<widgets::ScopedMessageBoxAnswerer>([this](QMessageBox& box) {
            // The default error dialog, or a question.
            if (box.icon() == QMessageBox::Critical) {
                errorsShown << box.text();
                return 0;
            }
            questions << box.text();
            return promptAnswer;
        });
    }
    void TearDown() override {
        answerer.reset();
        liveSettings() = LiveSettings();
        MainWindowWithPlayer::TearDown();
    }

    int marker() const { return form->ListBox1->currentRow(); }

    int promptAnswer = mrCancel;
    QStringList questions;
    QStringList errorsShown;
    std::unique_ptr<widgets::ScopedMessageBoxAnswerer> answerer;
};

}  // namespace

TEST_F(TaggingWindow, PlayShowsTheListInPlaceOfTheBoxAndAddLineTagsAtTheTimeOfThePress) {
    openWithText(QStringLiteral("Hello\nWorld\n"));
    form->PlayBtnClick();
    EXPECT_TRUE(form->ListBox1->isVisible());
    EXPECT_FALSE(form->Memo1->isVisible());
    EXPECT_EQ(form->ListBox1->geometry(), form->Memo1->geometry());
    EXPECT_EQ(list(), (QStringList{"Hello", "World"})) << "the empty last line is not a line";
    EXPECT_EQ(marker(), 0);
    EXPECT_FALSE(form->State.lineListStale());

    form->PauseBtnClick();
    form->State.save();
    pauseAt(12.3);
    form->AddBtnClick();
    EXPECT_EQ(list(), (QStringList{"[00:12.30]Hello", "World"}));
    EXPECT_EQ(marker(), 1);
    EXPECT_EQ(form->PreView->text(), QStringLiteral("Hello")) << "shown at once";
    EXPECT_TRUE(form->State.unsaved());
    EXPECT_TRUE(form->Savelyricfile1->isEnabled());

    pauseAt(15.0);
    form->AddBtnClick();
    form->AddBtnClick();
    EXPECT_EQ(list(), (QStringList{"[00:12.30]Hello", "[00:15.00]World"})) << "the last line is tagged again";
    EXPECT_EQ(marker(), 1);
}

TEST_F(TaggingWindow, TheOffsetComesFromTheLiveSettings) {
    openWithText(QStringLiteral("A\nB\n"));
    liveSettings().setOffsetSwitch(true);
    liveSettings().setOffsetIndex(1);  // "-500"
    playPausedAt(23.4);
    form->AddBtnClick();
    EXPECT_EQ(list()[0], QStringLiteral("[00:22.90]A"));
    liveSettings().setOffsetSwitch(false);
    form->AddBtnClick();
    EXPECT_EQ(list()[1], QStringLiteral("[00:23.40]B"));
}

TEST_F(TaggingWindow, AddBlankLineGoesAboveTheMarkedLineWithoutOffset) {
    openWithText(QStringLiteral("A\nB\n"));
    liveSettings().setOffsetSwitch(true);
    liveSettings().setOffsetIndex(2);
    playPausedAt(12.5);
    form->ListBox1->setCurrentRow(1);
    form->State.save();
    form->OutlookBtn2Click();
    EXPECT_EQ(list(), (QStringList{"A", "[00:12.50] ", "B"}));
    EXPECT_EQ(form->ListBox1->currentItem()->text(), QStringLiteral("B"));
    EXPECT_TRUE(form->State.unsaved());
}

TEST_F(TaggingWindow, AnUntouchedBoxGivesAnEmptyListAndStopLeavesTheBoxEmpty) {
    open(song(QStringLiteral("Song.wav"), 10.0));
    ASSERT_FALSE(form->State.lineListStale());
    form->PlayBtnClick();
    EXPECT_EQ(form->ListBox1->count(), 0);
    form->AddBtnClick();
    form->OutlookBtn2Click();
    EXPECT_EQ(form->ListBox1->count(), 0);
    EXPECT_FALSE(form->State.unsaved());
    form->StopBtnClick();
    EXPECT_TRUE(form->Memo1->toPlainText().isEmpty());
    EXPECT_TRUE(form->Memo1->isVisible());
}

TEST_F(TaggingWindow, StopReturnsTheListKeepsUnsavedAndPlayRebuildsOnlyAfterAStop) {
    openWithText(QStringLiteral("A\n\n\nB\n"));
    playPausedAt(1.0);
    form->AddBtnClick();
    EXPECT_EQ(marker(), 3);
    form->PlayBtnClick();  // after Pause: list and marker stay
    EXPECT_EQ(marker(), 3);
    EXPECT_EQ(list()[0], QStringLiteral("[00:01.00]A"));

    form->State.save();
    form->StopBtnClick();
    EXPECT_FALSE(form->State.unsaved()) << "returning the list is no change of the lyrics";
    EXPECT_TRUE(form->State.lineListStale());
    EXPECT_EQ(form->Memo1->toPlainText(), QStringLiteral("[00:01.00]A\n\n\nB\n"));
    EXPECT_FALSE(form->ListBox1->isVisible());

    form->PlayBtnClick();
    EXPECT_EQ(list(), (QStringList{"[00:01.00]A", "", "", "B"})) << "empty lines survive the round trip";
    EXPECT_EQ(marker(), 0) << "rebuilt, marker on line 1";
}

TEST_F(TaggingWindow, AWrappedParagraphGivesOneListLinePerRowAndATagCanMakeALineWrap) {
    // The longest line of words that still fits on one row of the box.
    open(song(QStringLiteral("Song.wav"), 30.0));
    QString fits;
    for (int words = 1; words < 60; ++words) {
        const QString candidate = QStringLiteral("la ").repeated(words) + QStringLiteral("end");
        form->Memo1->setPlainText(candidate);
        if (widgets::displayedLines(*form->Memo1).size() > 1) break;
        fits = candidate;
    }
    ASSERT_FALSE(fits.isEmpty());
    const QString paragraph = fits + QLatin1Char(' ') + fits;
    form->Memo1->setPlainText(fits + QLatin1Char('\n') + paragraph + QLatin1Char('\n'));
    playPausedAt(2.0);
    ASSERT_EQ(list().size(), 3) << list().join(QLatin1Char('|')).toStdString();
    EXPECT_EQ(list()[0], fits);
    EXPECT_EQ(list()[1] + list()[2], paragraph) << "the rows hold the paragraph's text";
    for (int i = 0; i < 3; ++i) form->AddBtnClick();
    for (const QString& line : list())
        EXPECT_TRUE(line.startsWith(QStringLiteral("[00:02.00]"))) << line.toStdString();

    form->StopBtnClick();
    form->PlayBtnClick();
    const QStringList rebuilt = list();
    ASSERT_GE(rebuilt.size(), 4) << "the tag made the first line wrap";
    EXPECT_TRUE(rebuilt[0].startsWith(QStringLiteral("[00:02.00]")));
    EXPECT_EQ(tagLength(rebuilt[1]), 0) << "its second row is untagged";
}

TEST_F(TaggingWindow, TheMarkerMovesByKeysAndTheMarkedLineStaysInView) {
    QStringList lines;
    for (int i = 1; i <= 60; ++i) lines << QStringLiteral("Line %1").arg(i);
    openWithText(lines.join(QLatin1Char('\n')));
    playPausedAt(3.0);
    form->ListBox1->setFocus();
    QTest::keyClick(form->ListBox1, Qt::Key_Down);
    EXPECT_EQ(marker(), 1);
    for (int i = 0; i < 40; ++i) form->AddBtnClick();
    EXPECT_EQ(marker(), 41);
    const QRect shown = form->ListBox1->visualItemRect(form->ListBox1->currentItem());
    EXPECT_TRUE(form->ListBox1->viewport()->rect().contains(shown)) << "scrolled into view";
}

TEST_F(TaggingWindow, PreviewIndexFollowsPlayAndScrollsButNotTaggingAndIdLinesDoNotStopIt) {
    openWithText(QStringLiteral("[ti:Title]\n[00:12.30]Hello\nWorld\n[00:15.00]Bye\n"));
    form->PlayBtnClick();
    EXPECT_EQ(form->PreviewIndex, QStringLiteral("[~E][1230]Hello[~E][1230]World[~E][1500]Bye[~E]"));
    form->PauseBtnClick();
    form->ListBox1->setCurrentRow(2);
    pauseAt(13.0);
    form->AddBtnClick();
    EXPECT_EQ(form->PreviewIndex, QStringLiteral("[~E][1230]Hello[~E][1230]World[~E][1500]Bye[~E]"))
        << "tags made while playing wait for the next scroll or Play";
    EXPECT_EQ(form->PreView->text(), QStringLiteral("World"));

    form->ScrollBarPos->triggerAction(QAbstractSlider::SliderPageStepAdd);
    EXPECT_TRUE(form->PreView->text().isEmpty()) << "a scroll clears the preview";
    EXPECT_EQ(form->PreviewIndex, QStringLiteral("[~E][1230]Hello[~E][1300]World[~E][1500]Bye[~E]"));
}

TEST_F(TaggingWindow, ThePreviewShowsEachLineWhenItsTimeIsDisplayed) {
    openWithText(QStringLiteral("Intro\n[00:01.00]One\nnever shown\n[00:02.00]Two\n"), 4.0);
    form->PlayBtnClick();
    QStringList seen;
    waitUntil(
        [&] {
            if (seen.isEmpty() || seen.last() != form->PreView->text()) seen << form->PreView->text();
            return !form->State.playing();
        },
        6000);
    EXPECT_EQ(seen, (QStringList{"", "One", "Two"}));
}

TEST_F(TaggingWindow, KeysRunTheButtonsHandlersOnlyWhileTheButtonsAreEnabled) {
    form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    QTest::keyClick(form.get(), Qt::Key_P, Qt::ControlModifier);
    EXPECT_FALSE(form->State.playing()) << "no song: Play is disabled";

    openWithText(QStringLiteral("A\nB\nC\nD\n"), 60.0);
    form->Memo1->setFocus();
    QTest::keyClick(form->Memo1, Qt::Key_Period, Qt::ControlModifier);
    EXPECT_FALSE(form->ListBox1->isVisible()) << "Stop is disabled: nothing happens";
    QTest::keyClick(form->Memo1, Qt::Key_P, Qt::ControlModifier);
    EXPECT_TRUE(form->State.playing()) << "Ctrl+P plays";
    EXPECT_TRUE(form->ListBox1->hasFocus());

    waitMs(300);
    QTest::keyClick(form->ListBox1, Qt::Key_Space);
    EXPECT_TRUE(list()[0].startsWith(QStringLiteral("[00:00."))) << list()[0].toStdString();
    EXPECT_EQ(marker(), 1);
    QTest::keyClick(form->ListBox1, Qt::Key_Space, Qt::ShiftModifier);
    EXPECT_EQ(list().size(), 5);
    EXPECT_EQ(list()[1].size(), 11) << "a blank line above B";
    EXPECT_EQ(form->ListBox1->currentItem()->text(), QStringLiteral("B"));

    QTest::keyClick(form->ListBox1, Qt::Key_Right, Qt::ControlModifier);
    EXPECT_EQ(form->BassdllPlayer1->Position(), 5u) << "five seconds on";
    EXPECT_FALSE(form->State.seeking()) << "the bar follows the player again";
    EXPECT_TRUE(form->PreView->text().isEmpty());
    QTest::keyClick(form->ListBox1, Qt::Key_Left, Qt::ControlModifier);
    QTest::keyClick(form->ListBox1, Qt::Key_Left, Qt::ControlModifier);
    EXPECT_EQ(form->BassdllPlayer1->Position(), 0u) << "clamped to the start";

    QTest::keyClick(form->ListBox1, Qt::Key_P, Qt::ControlModifier);
    EXPECT_FALSE(form->State.playing()) << "Ctrl+P pauses while playing";
    EXPECT_TRUE(form->PlayBtn->enabled());
    QTest::keyClick(form->ListBox1, Qt::Key_Period, Qt::ControlModifier);
    EXPECT_FALSE(form->ListBox1->isVisible()) << "Ctrl+. stops";

    form->Memo1->setFocus();
    const QString before = form->Memo1->toPlainText();
    QTest::keyClick(form->Memo1, Qt::Key_Space);
    EXPECT_EQ(form->Memo1->toPlainText().size(), before.size() + 1) << "stopped, Space types into the box";
}

TEST_F(TaggingWindow, SaveWritesTheListWhilePlayingAndTheBoxAfterStop) {
    openWithText(QStringLiteral("A\n\nB\n"));
    playPausedAt(1.0);
    form->AddBtnClick();
    form->OutlookBtn2Click();
    ASSERT_TRUE(form->SaveBtnClick());
    const QString lyrics = folder.path() + QStringLiteral("/Song.lrc");
    EXPECT_EQ(bytesOf(lyrics), QByteArray("[00:01.00]A\r\n[00:01.00] \r\nB\r\n"));
    EXPECT_FALSE(form->State.unsaved());
    EXPECT_FALSE(form->Savelyricfile1->isEnabled());
    EXPECT_TRUE(looksLike(*form->SaveBtn, "save", true)) << "the button stays enabled";

    form->StopBtnClick();
    QFile::remove(lyrics);
    form->SaveBtnClick();
    EXPECT_EQ(bytesOf(lyrics), QByteArray("[00:01.00]A\r\n[00:01.00] \r\nB\r\n"));
}

TEST_F(TaggingWindow, SaveGoesToTheLyricsFolderWhenTheSettingsSaySo) {
    openWithText(QStringLiteral("[00:01.00]A\n"));
    QDir(folder.path()).mkdir(QStringLiteral("lyrics"));
    liveSettings().setLyricsLocationSwitch(true);
    liveSettings().setLyricsDirectory(folder.path() + QStringLiteral("/lyrics"));
    form->SaveBtnClick();
    EXPECT_EQ(bytesOf(folder.path() + QStringLiteral("/lyrics/Song.lrc")), QByteArray("[00:01.00]A\r\n"));
    EXPECT_FALSE(QFile::exists(folder.path() + QStringLiteral("/Song.lrc")));
}

TEST_F(TaggingWindow, AFailedSaveKeepsEverythingAsItWas) {
    openWithText(QStringLiteral("A\n"));
    liveSettings().setLyricsLocationSwitch(true);
    liveSettings().setLyricsDirectory(folder.path() + QStringLiteral("/no such folder"));
    ASSERT_TRUE(form->State.unsaved());
    EXPECT_THROW(form->SaveBtnClick(), errors::EFCreateError);
    EXPECT_TRUE(form->State.unsaved());
    EXPECT_TRUE(form->Savelyricfile1->isEnabled());
    EXPECT_TRUE(looksLike(*form->SaveBtn, "save_active", true));

    // Through the menu the failure reaches the default error dialog.
    form->Savelyricfile1->trigger();
    ASSERT_EQ(errorsShown.size(), 1);
    EXPECT_TRUE(errorsShown[0].startsWith(
        QStringLiteral("Datei \"%1/no such folder/Song.lrc\" kann nicht erstellt werden. ")
            .arg(folder.path())))
        << errorsShown[0].toStdString();
}

TEST_F(TaggingWindow, SavingBeforeAnySongAsksWhereAndSavesNothingOnCancel) {
    form->Memo1->setPlainText(QStringLiteral("[00:01.00]A\n"));
    EXPECT_EQ(form->SaveDialog1.Filter, QStringLiteral("Lyrics files|*.lrc"));
    answer.reset();
    EXPECT_FALSE(form->SaveBtnClick());
    EXPECT_TRUE(QDir(folder.path()).entryList({QStringLiteral("*.lrc")}).isEmpty());
    EXPECT_TRUE(form->Savelyricfile1->isEnabled());
    answer = folder.path() + QStringLiteral("/chosen.lrc");
    EXPECT_TRUE(form->SaveBtnClick());
    EXPECT_EQ(bytesOf(*answer), QByteArray("[00:01.00]A\r\n"));
    EXPECT_FALSE(form->Savelyricfile1->isEnabled());
}

TEST_F(TaggingWindow, ClosingAsksOnlyWithUnsavedChangesAndCancelKeepsTheWindowOpen) {
    form->close();
    EXPECT_TRUE(questions.isEmpty()) << "nothing to save: no prompt";
    form->show();

    openWithText(QStringLiteral("A\n"));
    promptAnswer = mrCancel;
    form->close();
    EXPECT_EQ(questions, QStringList{QStringLiteral("Save changes to \"Song.lrc\" ?")});
    EXPECT_TRUE(form->isVisible());
    EXPECT_EQ(ReadRegInteger(kSettingsKeyName, QStringLiteral("Volume"), -1), form->ScrollBarVol->value())
        << "the steps after the prompt still run";

    // Yes with a save that fails: the error is shown and the window stays open.
    liveSettings().setLyricsLocationSwitch(true);
    liveSettings().setLyricsDirectory(folder.path() + QStringLiteral("/missing"));
    promptAnswer = mrYes;
    form->close();
    EXPECT_EQ(errorsShown.size(), 1);
    EXPECT_TRUE(form->isVisible());

    liveSettings().setLyricsLocationSwitch(false);
    form->close();
    EXPECT_FALSE(form->isVisible()) << "saved, then closed";
    EXPECT_EQ(bytesOf(folder.path() + QStringLiteral("/Song.lrc")), QByteArray("A\r\n"));
}

TEST_F(TaggingWindow, OpeningLoadsTheSongsLyricsAndThePromptCanStopTheOpen) {
    const QString second = song(QStringLiteral("second.wav"), 10.0);
    QFile lyrics(folder.path() + QStringLiteral("/second.lrc"));
    ASSERT_TRUE(lyrics.open(QIODevice::WriteOnly));
    lyrics.write(
        "[00:01.00]Gr\xFC\xDF"
        "e\r[00:02.00]B\nC\r\n");
    lyrics.close();

    openWithText(QStringLiteral("typed\n"));
    promptAnswer = mrCancel;
    open(second);
    EXPECT_EQ(form->SongName->caption(), QStringLiteral(" Song")) << "Cancel ends the open";
    EXPECT_EQ(form->Memo1->toPlainText(), QStringLiteral("typed\n"));

    promptAnswer = mrNo;
    open(second);
    EXPECT_EQ(form->SongName->caption(), QStringLiteral(" second"));
    EXPECT_EQ(form->Memo1->toPlainText(), QStringLiteral("[00:01.00]Grüße\n[00:02.00]B\nC\n"));
    EXPECT_FALSE(form->State.unsaved());
    EXPECT_TRUE(form->State.lineListStale());
    EXPECT_FALSE(QFile::exists(folder.path() + QStringLiteral("/Song.lrc"))) << "No saves nothing";
}

TEST_F(TaggingWindow, NoInThePromptClearsTheTextAndWithoutLyricsTheNextSongKeepsIt) {
    openWithText(QStringLiteral("typed\n"));
    promptAnswer = mrNo;
    open(song(QStringLiteral("other.wav"), 5.0));
    EXPECT_TRUE(form->Memo1->toPlainText().isEmpty());
    form->Memo1->setPlainText(QStringLiteral("kept\n"));
    promptAnswer = mrYes;
    open(song(QStringLiteral("third.wav"), 5.0));
    EXPECT_EQ(bytesOf(folder.path() + QStringLiteral("/other.lrc")), QByteArray("kept\r\n"))
        << "Yes saved first";
    EXPECT_EQ(form->Memo1->toPlainText(), QStringLiteral("kept\n"));
}

TEST_F(TaggingWindow, NoThenACancelledFileDialogLeavesTheLyricsAsTheyWere) {
    openWithText(QStringLiteral("pasted\n"));
    form->PlayBtnClick();
    promptAnswer = mrNo;
    answer = std::nullopt;  // Escape in the file dialog
    form->OpenBtnClick();
    EXPECT_EQ(questions.size(), 1);
    EXPECT_EQ(list(), QStringList{QStringLiteral("pasted")}) << "the list keeps its lines";
    EXPECT_TRUE(form->State.playing()) << "the song plays on";
    EXPECT_TRUE(form->State.unsaved());
    form->StopBtnClick();
    EXPECT_EQ(form->Memo1->toPlainText(), QStringLiteral("pasted\n"));
    EXPECT_EQ(form->SongName->caption(), QStringLiteral(" Song"));

    // Stopped, with the text box showing the lyrics.
    form->OpenBtnClick();
    EXPECT_EQ(questions.size(), 2);
    EXPECT_EQ(form->Memo1->toPlainText(), QStringLiteral("pasted\n"));
    EXPECT_TRUE(form->State.unsaved());
}

TEST_F(TaggingWindow, NoInTheClosePromptClosesWithoutSaving) {
    openWithText(QStringLiteral("typed\n"));
    promptAnswer = mrNo;
    EXPECT_TRUE(form->close());
    EXPECT_EQ(questions.size(), 1);
    EXPECT_FALSE(QFile::exists(folder.path() + QStringLiteral("/Song.lrc")));
}

TEST_F(TaggingWindow, YesInTheClosePromptWithTheSaveCancelledKeepsTheWindow) {
    form->Memo1->setPlainText(QStringLiteral("no song yet\n"));  // saving asks for a file
    promptAnswer = mrYes;
    answer = std::nullopt;
    EXPECT_FALSE(form->close());
    EXPECT_TRUE(form->isVisible());
    EXPECT_TRUE(form->State.unsaved());
}

TEST_F(TaggingWindow, TextTypedBeforeAnySongIsAskedForOnQuittingAndOpening) {
    form->Memo1->setPlainText(QStringLiteral("typed first\n"));
    promptAnswer = mrCancel;
    EXPECT_FALSE(form->close()) << "Cancel keeps the window";
    EXPECT_EQ(questions.size(), 1);
    const QString path = song(QStringLiteral("Known.wav"), 5.0);
    QFile lyrics(folder.path() + QStringLiteral("/Known.lrc"));
    ASSERT_TRUE(lyrics.open(QIODevice::WriteOnly));
    lyrics.write("[00:01.00]From the file\r\n");
    lyrics.close();
    open(path);
    EXPECT_EQ(questions.size(), 2) << "the song's lyrics file would replace the text";
    EXPECT_EQ(form->Memo1->toPlainText(), QStringLiteral("typed first\n"));
    EXPECT_FALSE(form->SongLoaded()) << "Cancel ends the open";
}

TEST_F(TaggingWindow, AnUnreadableLyricsFileIsReportedAndTheSongIsReadyToPlay) {
    const QString path = song(QStringLiteral("locked.wav"), 5.0);
    QDir(folder.path()).mkdir(QStringLiteral("locked.lrc"));
    form->Memo1->setPlainText(QStringLiteral("kept\n"));
    form->State.save();
    answer = path;
    EXPECT_THROW(form->OpenBtnClick(), errors::EFOpenError);
    EXPECT_EQ(form->SongName->caption(), QStringLiteral(" locked"));
    EXPECT_TRUE(looksLike(*form->PlayBtn, "play_active", true)) << "the open finished";
    EXPECT_EQ(form->PlayTimeMSTotal->caption(), QStringLiteral("50"));
    EXPECT_EQ(form->Memo1->toPlainText(), QStringLiteral("kept\n"));
    form->PlayBtnClick();
    EXPECT_TRUE(form->State.playing()) << "the song plays";
    form->StopBtnClick();

    form->OpenMP3file1->trigger();
    ASSERT_EQ(errorsShown.size(), 1);
    EXPECT_TRUE(errorsShown[0].startsWith(
        QStringLiteral("Datei %1/locked.lrc kann nicht geöffnet werden. ").arg(folder.path())))
        << errorsShown[0].toStdString();
}

TEST_F(TaggingWindow, ALyricsFileNameTakenByAFifoIsReportedWithoutHanging) {
    const QString path = song(QStringLiteral("piped.wav"), 5.0);
    const QByteArray fifo = QFile::encodeName(folder.path() + QStringLiteral("/piped.lrc"));
    ASSERT_EQ(mkfifo(fifo.constData(), 0600), 0);
    answer = path;
    EXPECT_THROW(form->OpenBtnClick(), errors::EFOpenError);
    EXPECT_TRUE(form->PlayBtn->enabled());
}

TEST_F(TaggingWindow, TheWholeTypicalUseEndToEnd) {
    const QString path = song(QStringLiteral("Typical.wav"), 20.0);
    open(path);
    form->Memo1->setPlainText(QStringLiteral("One\nTwo\n\nThree\nFour\nFive\n"));
    form->PlayBtnClick();
    QStringList tags;
    for (int i = 0; i < 5; ++i) {
        waitMs(250);
        form->AddBtnClick();
    }
    form->StopBtnClick();
    form->SaveBtnClick();
    const QByteArray written = bytesOf(folder.path() + QStringLiteral("/Typical.lrc"));
    const QList<QByteArray> lines = written.split('\n');
    ASSERT_EQ(lines.size(), 6) << written.toStdString();
    int previous = -1;
    for (int i = 0; i < 5; ++i) {
        const QString line = QString::fromUtf8(lines[i]);
        ASSERT_TRUE(line.endsWith(QLatin1Char('\r')));
        const std::optional<int> time = tagTime(line);
        ASSERT_TRUE(time.has_value()) << line.toStdString();
        EXPECT_GE(*time, previous) << "tags follow the song";
        EXPECT_LE(*time, 200) << "tagged within the first two seconds";
        previous = *time;
    }

    form->Memo1->setPlainText(QStringLiteral("something else"));
    promptAnswer = mrNo;
    open(path);
    EXPECT_EQ(form->Memo1->toPlainText(), QString::fromUtf8(written).remove(QLatin1Char('\r')));
    EXPECT_FALSE(form->State.unsaved());
}

TEST_F(TaggingWindow, UndoAndRedoWalkTheTaggingAndTheTypingByKeys) {
    openWithText(QStringLiteral("One\nTwo\nThree\n"));
    form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    form->PlayBtnClick();
    for (int i = 0; i < 3; ++i) {
        waitMs(120);
        QTest::keyClick(form->ListBox1, Qt::Key_Space);
    }
    QTest::keyClick(form->ListBox1, Qt::Key_Space, Qt::ShiftModifier);
    const QStringList tagged = list();
    ASSERT_EQ(tagged.size(), 4);
    for (int i = 0; i < 4; ++i) QTest::keyClick(form->ListBox1, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(list(), (QStringList{"One", "Two", "Three"})) << "the untagged text";
    EXPECT_EQ(marker(), 0) << "the marker is back where the first tag was made";
    for (int i = 0; i < 4; ++i)
        QTest::keyClick(form->ListBox1, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(list(), tagged) << "redo gives it all again";

    // The history outlives Stop and Play.
    form->StopBtnClick();
    form->Memo1->setFocus();
    QTest::keyClick(form->Memo1, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(form->Memo1->toPlainText(), tagged.mid(0, 3).join(QLatin1Char('\n')) + QLatin1Char('\n'))
        << "the blank line is undone in the text box";
    QTest::keyClicks(form->Memo1, QStringLiteral("abc"));
    EXPECT_TRUE(form->Memo1->toPlainText().contains(QStringLiteral("abc")));
    QTest::keyClick(form->Memo1, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_FALSE(form->Memo1->toPlainText().contains(QStringLiteral("abc"))) << "typing is one step";
    form->PlayBtnClick();
    QTest::keyClick(form->ListBox1, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(list()[2], QStringLiteral("Three")) << "undone while the list shows the lyrics again";

    // A new song starts a new history.
    form->StopBtnClick();
    promptAnswer = mrNo;
    open(song(QStringLiteral("Next.wav"), 5.0));
    ASSERT_TRUE(form->SongLoaded());
    EXPECT_FALSE(form->Undo1->isEnabled());
}
