// The main window as users meet it: clicking the position bar's track, files that cannot be played,
// files dropped on the window, and failures inside handlers.

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QTest>
#include <QUrl>

#include "editor/SongState.h"
#include "platform/system/Errors.h"
#include "platform/widgets/Application.h"
#include "platform/widgets/IntervalTimer.h"
#include "platform/widgets/MessageBox.h"
#include "platform/widgets/ScrollBar.h"
#include "platform/windowless/WindowlessHost.h"
#include "settings/LiveSettings.h"
#include "settings/Utility.h"
#include "support/MainWindowFixture.h"
#include "support/MouseDriver.h"

namespace {

class MainWindowUse : public MainWindowWithPlayer {
protected:
    void SetUp() override {
        MainWindowWithPlayer::SetUp();
        answerer = std::make_unique<widgets::ScopedMessageBoxAnswerer>([this](QMessageBox& box) {
            // The default error dialog, or a question.
            if (box.icon() == QMessageBox::Critical) {
                errorsShown << box.text();
                return 0;
            }
            questions << box.text();
            return static_cast<int>(mrNo);
        });
    }
    void TearDown() override {
        answerer.reset();
        MainWindowWithPlayer::TearDown();
    }
    QString file(const QString& name, const QByteArray& bytes) {
        const QString path = folder.path() + QLatin1Char('/') + name;
        QFile out(path);
        EXPECT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(bytes);
        return path;
    }
    // Drags a file over `target` and drops it there; true when the drag was accepted.
    bool drop(QWidget* target, const QString& path) {
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(path)});
        QDragEnterEvent enter(QPoint(20, 20), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(target, &enter);
        if (!enter.isAccepted()) return false;
        QDropEvent dropped(QPointF(20, 20), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(target, &dropped);
        return dropped.isAccepted();
    }
    void clickButton(TOutlookBtn& button) {
        testsupport::MouseDriver mouse(form->PlayerPanel);
        mouse.click(button.left() + 3, button.top() + 3);
    }

    QStringList errorsShown;
    std::unique_ptr<widgets::ScopedMessageBoxAnswerer> answerer;
    QStringList questions;
};

}  // namespace

TEST_F(MainWindowUse, AClickOnTheTrackMovesOneSecondAsAScrollDoes) {
    open(song(QStringLiteral("track.wav"), 60.0));
    form->PlayBtnClick();
    form->PauseBtnClick();
    form->PreView->setText(QStringLiteral("shown"));
    form->ScrollBarPos->triggerAction(QAbstractSlider::SliderPageStepAdd);
    EXPECT_EQ(form->ScrollBarPos->value(), 1);
    EXPECT_EQ(form->BassdllPlayer1->Position(), 1u);
    EXPECT_TRUE(form->State.seeking());
    EXPECT_TRUE(form->PreView->text().isEmpty());
}

TEST_F(MainWindowUse, AFileThatCannotBePlayedIsReportedAndLeavesNoSongLoaded) {
    open(song(QStringLiteral("good.wav"), 5.0));
    form->Memo1->setPlainText(QStringLiteral("my lyrics\n"));
    ASSERT_TRUE(form->SaveBtnClick());
    ASSERT_TRUE(form->PlayBtn->enabled());

    answer = file(QStringLiteral("text.mp3"), "This is no song at all, only some words.\n");
    form->OpenMP3file1->trigger();
    ASSERT_EQ(errorsShown.size(), 1);
    EXPECT_TRUE(
        errorsShown[0].startsWith(QStringLiteral("Datei \"text.mp3\" kann nicht abgespielt werden. ")))
        << errorsShown[0].toStdString();
    EXPECT_FALSE(form->SongLoaded());
    EXPECT_EQ(form->SongName->caption(), kNoSongCaption);
    EXPECT_FALSE(form->PlayBtn->enabled());
    EXPECT_TRUE(looksLike(*form->PlayBtn, "play", false));
    EXPECT_EQ(form->PlayTimeMSTotal->caption(), QStringLiteral("1234567890"));
    EXPECT_EQ(form->Memo1->toPlainText(), QStringLiteral("my lyrics\n")) << "the lyrics stay";
    EXPECT_TRUE(form->State.songPath().isEmpty());

    answer = file(QStringLiteral("empty.ogg"), QByteArray());
    form->OpenMP3file1->trigger();
    EXPECT_EQ(errorsShown.size(), 2);
    EXPECT_FALSE(form->PlayBtn->enabled());
}

TEST_F(MainWindowUse, TrackerModulesHaveTheirOwnEntryInTheOpenDialog) {
    EXPECT_TRUE(
        form->OpenDialog1.Filter.startsWith(QStringLiteral("All supported|*.wav;*.mp1;*.mp2;*.mp3;*.ogg|")));
    EXPECT_TRUE(form->OpenDialog1.Filter.endsWith(
        QStringLiteral("|Tracker modules|*.mo3;*.it;*.xm;*.s3m;*.mtm;*.mod;*.umx|All|*.*")));
}

TEST_F(MainWindowUse, ADroppedFileOpensAfterTheSavePromptAndIsNeverPastedAsText) {
    open(song(QStringLiteral("first.wav"), 5.0));
    form->Memo1->setPlainText(QStringLiteral("typed\n"));
    ASSERT_TRUE(form->State.unsaved());
    ASSERT_TRUE(drop(form->Memo1->viewport(), song(QStringLiteral("second.wav"), 4.0)));
    EXPECT_EQ(questions, QStringList{QStringLiteral("Save changes to \"first.lrc\" ?")});
    EXPECT_EQ(form->SongName->caption(), QStringLiteral(" second"));
    EXPECT_FALSE(form->Memo1->toPlainText().contains(QStringLiteral("file:"))) << "not pasted";

    ASSERT_TRUE(drop(form.get(), song(QStringLiteral("third.wav"), 3.0)));
    EXPECT_EQ(form->SongName->caption(), QStringLiteral(" third"));
    EXPECT_EQ(form->PlayTimeMSTotal->caption(), QStringLiteral("30"));
}

TEST_F(MainWindowUse, AFailureInAClickOrAMenuActionIsShownAndTheWindowGoesOn) {
    open(song(QStringLiteral("Song.wav"), 5.0));
    form->Memo1->setPlainText(QStringLiteral("A\n"));
    liveSettings().setLyricsLocationSwitch(true);
    liveSettings().setLyricsDirectory(folder.path() + QStringLiteral("/missing"));
    clickButton(*form->SaveBtn);
    form->Savelyricfile1->trigger();
    EXPECT_EQ(errorsShown.size(), 2);
    liveSettings().setLyricsLocationSwitch(false);

    // Buttons and the menu work on.
    clickButton(*form->PlayBtn);
    EXPECT_TRUE(form->State.playing());
    clickButton(*form->StopBtn);
    form->Savelyricfile1->trigger();
    EXPECT_EQ(errorsShown.size(), 2);
    EXPECT_TRUE(QFile::exists(folder.path() + QStringLiteral("/Song.lrc")));
}

namespace {
// The columns of the panel where a row band holds the colour.
std::pair<int, int> inkColumns(const gdi::Bitmap& panel, int top, int bottom, gdi::ColorRef colour) {
    int first = panel.width();
    int last = -1;
    for (int y = top; y < bottom; ++y) {
        for (int x = 0; x < panel.width(); ++x) {
            if (panel.pixelColor(x, y) != colour) continue;
            first = std::min(first, x);
            last = std::max(last, x);
        }
    }
    return {first, last};
}
}  // namespace

TEST_F(MainWindowUse, ALongSongNameStartsAtTheLeftAndIsCutAtTheDisplaysEdge) {
    open(song(
        QStringLiteral("An extremely long song name that goes on and on, much wider than the display of the "
                       "player panel.wav"),
        1.0));
    const gdi::Bitmap panel = form->PlayerPanel->renderToBitmap();
    const auto [first, last] = inkColumns(panel, 12, 29, gdi::clCream);
    EXPECT_GE(first, 3);
    EXPECT_LE(first, 10) << "the start is shown";
    EXPECT_LT(last, 452) << "nothing beyond the display";
    EXPECT_GE(last, 440) << "the name runs to the display's edge";
}

TEST_F(MainWindowUse, AThreeDigitMinuteShowsWhole) {
    open(song(QStringLiteral("short.wav"), 2.0));
    form->ScrollBarPos->setEnabled(true);
    form->ScrollBarPos->setMaximum(7000);
    form->ScrollBarPos->setValue(6100);
    form->ScrollBarPos->triggerAction(QAbstractSlider::SliderNoAction);
    ASSERT_EQ(form->PlayTime->caption(), QStringLiteral("101:40.0"));
    const int right = form->PlayTime->left() + form->PlayTime->width();
    EXPECT_LE(right, form->PlayTimeMS->left()) << "the tenths make room";
    const gdi::Bitmap panel = form->PlayerPanel->renderToBitmap();
    const auto [first, last] = inkColumns(panel, 32, 62, gdi::clCream);
    EXPECT_GE(first, form->PlayTime->left()) << "not cut on the left";
    int lastInTime = -1;
    for (int y = 32; y < 62; ++y) {
        for (int x = first; x < right; ++x) {
            if (panel.pixelColor(x, y) == gdi::clCream) lastInTime = std::max(lastInTime, x);
        }
    }
    EXPECT_GE(lastInTime - first, 110) << "all eight characters";
    EXPECT_GE(lastInTime, right - 6) << "the last digit is not cut";
}

TEST_F(MainWindowUse, AltOpensTheMenusAndTabLeavesTheLyricsBox) {
    form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    form->Memo1->setFocus();
    const QString before = form->Memo1->toPlainText();
    QTest::keyClick(form->Memo1, Qt::Key_Tab);
    EXPECT_EQ(form->Memo1->toPlainText(), before) << "no tab character typed";
    EXPECT_FALSE(form->Memo1->hasFocus());
    EXPECT_EQ(QApplication::focusWidget(), form->ScrollBarVol)
        << "on to the next control that takes the focus";

    QTest::keyClick(form.get(), Qt::Key_H, Qt::AltModifier);
    EXPECT_EQ(form->menuBar()->activeAction(), form->Help1->menuAction());
    QTest::keyClick(form->Help1, Qt::Key_Escape);
    QTest::keyClick(form.get(), Qt::Key_F, Qt::AltModifier);
    EXPECT_EQ(form->menuBar()->activeAction(), form->File1->menuAction());
    EXPECT_EQ(form->File1->title(), QStringLiteral("File")) << "the titles stay as they are";
    EXPECT_EQ(form->File1->font(), form->font());
}

TEST_F(MainWindowUse, TheNoSoundNoteStaysWhileTheSoundGoesNowhereAndLeavesWhenItIsBack) {
    // The engine's answer stands in for a machine whose sound output works, stops, and comes back.
    static DWORD device = 1;
    struct RestoreEntry {
        decltype(bassdll::BASS_GetDevice) real = bassdll::BASS_GetDevice;
        ~RestoreEntry() { bassdll::BASS_GetDevice = real; }
    } restore;
    bassdll::BASS_GetDevice = [] { return device; };
    form->PreView->clear();

    form->showOutputState();
    EXPECT_TRUE(form->SilentOutputNote->caption().isEmpty()) << "sound works: nothing to say";
    device = 0;
    ASSERT_TRUE(form->OutputWatch->enabled()) << "the state is watched while idle too";
    QTest::qWait(form->OutputWatch->interval() + 200);
    EXPECT_EQ(form->SilentOutputNote->caption(), QStringLiteral("No sound output"));
    open(song(QStringLiteral("silent.wav"), 5.0));
    form->PlayBtnClick();
    form->Timer1Timer();
    EXPECT_EQ(form->SilentOutputNote->caption(), QStringLiteral("No sound output"))
        << "opening and playing keep it";
    EXPECT_TRUE(form->PreView->text().isEmpty()) << "the preview line is the lyrics'";
    device = 1;
    QTest::qWait(form->OutputWatch->interval() + 200);
    EXPECT_TRUE(form->SilentOutputNote->caption().isEmpty()) << "gone once the sound is back";
}

TEST_F(MainWindowUse, TheMeterTimerRunsOnlyWhilePlaying) {
    EXPECT_TRUE(waitUntil([this]() -> bool { return !form->Timer2->enabled(); }, 1000)) << "idle at start";
    open(song(QStringLiteral("meters.wav"), 5.0));
    form->PlayBtnClick();
    EXPECT_TRUE(form->Timer2->enabled());
    QTest::qWait(200);
    EXPECT_GT(form->ProgressBar1->value(), 0) << "the meters move while playing";
    form->PauseBtnClick();
    EXPECT_TRUE(waitUntil([this]() -> bool { return !form->Timer2->enabled(); }, 1000))
        << "resting while paused";
    EXPECT_EQ(form->ProgressBar1->value(), 0);
}
