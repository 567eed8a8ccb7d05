#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>
#include <QTemporaryDir>
#include <QTimer>
#include <filesystem>

#include "audio/Bass_Dynamic.h"
#include "editor/Unit1.h"
#include "platform/registry/Registry.h"
#include "platform/resources/ResourceTable.h"
#include "platform/widgets/IntervalTimer.h"
#include "platform/widgets/ScrollBar.h"
#include "support/MainWindowFixture.h"

namespace {
class TransportTest : public MainWindowWithPlayer {};
}  // namespace

TEST_F(TransportTest, OpeningSetsNameLengthAndPlay) {
    open(song(QStringLiteral("Two Hundred.wav"), 200.0));
    EXPECT_EQ(form->SongName->caption(), QStringLiteral(" Two Hundred"));
    EXPECT_TRUE(form->SongLoaded());
    EXPECT_EQ(form->PlayTimeMSTotal->caption(), QStringLiteral("2000"));
    EXPECT_EQ(form->ScrollBarPos->maximum(), 200);
    EXPECT_EQ(form->PlayTime->caption(), QStringLiteral("00:00.0"));
    EXPECT_EQ(form->PlayTimeMS->caption(), QStringLiteral("0"));
    EXPECT_TRUE(looksLike(*form->PlayBtn, "play_active", true));
    EXPECT_TRUE(form->ScrollBarVol->isEnabled());
    EXPECT_FALSE(form->State.unsaved());
    EXPECT_FALSE(form->State.seeking());
    EXPECT_GT(form->SongName->width(), 10);
    EXPECT_LE(form->SongName->left() + form->SongName->width(), 450);
}

TEST_F(TransportTest, CancellingTheDialogChangesNothing) {
    answer.reset();
    form->OpenBtnClick();
    EXPECT_FALSE(form->SongLoaded());
    EXPECT_FALSE(form->PlayBtn->enabled());
}

TEST_F(TransportTest, LongSongNamesStayWithinThePanel) {
    open(song(QStringLiteral("A very long song name that goes on and on and on and on and on.wav"), 1.0));
    EXPECT_LE(form->SongName->left() + form->SongName->width(), 450);
}

TEST_F(TransportTest, PlayPauseAndStopSetTheButtonsAndTheTimeMoves) {
    open(song(QStringLiteral("song.wav"), 20.0));
    form->PlayBtnClick();
    EXPECT_TRUE(looksLike(*form->PlayBtn, "play", false));
    EXPECT_TRUE(looksLike(*form->PauseBtn, "pause_active", true));
    EXPECT_TRUE(looksLike(*form->StopBtn, "Stop_active", true));
    EXPECT_TRUE(looksLike(*form->AddBtn, "add_active", true));
    EXPECT_TRUE(looksLike(*form->AddBlankBtn, "addblank_active", true));
    EXPECT_TRUE(form->ScrollBarPos->isEnabled());
    EXPECT_EQ(form->Timer1->interval(), 85);
    EXPECT_TRUE(form->State.playing());

    // The tick digit runs within a second.
    QStringList digits;
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < 1300) {
        QApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 5);
        const QString shown = form->PlayTime->caption();
        if (digits.isEmpty() || digits.last() != shown) digits << shown;
    }
    EXPECT_GE(digits.size(), 8);
    EXPECT_TRUE(digits.contains(QStringLiteral("00:01.0")) || digits.contains(QStringLiteral("00:01.1")));
    EXPECT_GE(form->ScrollBarPos->value(), 1);

    form->PauseBtnClick();
    EXPECT_TRUE(looksLike(*form->PlayBtn, "play_active", true));
    EXPECT_TRUE(looksLike(*form->PauseBtn, "pause", false));
    EXPECT_TRUE(looksLike(*form->StopBtn, "Stop_active", true)) << "Stop stays";
    EXPECT_TRUE(looksLike(*form->AddBtn, "add_active", true));
    EXPECT_EQ(form->Timer1->interval(), 0);
    const QString held = form->PlayTime->caption();
    const std::uint32_t pausedAt = form->BassdllPlayer1->Position();
    waitMs(400);
    EXPECT_EQ(form->PlayTime->caption(), held) << "paused: the display holds";
    EXPECT_EQ(form->ProgressBar1->value(), 0) << "meters show nothing while paused";

    form->PlayBtnClick();
    waitMs(1200);
    EXPECT_GT(form->BassdllPlayer1->Position(), pausedAt) << "play continues from the pause";

    form->StopBtnClick();
    const QString lastTime = form->PlayTime->caption();
    const QString lastTenths = form->PlayTimeMS->caption();
    EXPECT_TRUE(looksLike(*form->StopBtn, "stop", false));
    EXPECT_TRUE(looksLike(*form->AddBtn, "add", false));
    EXPECT_TRUE(looksLike(*form->AddBlankBtn, "addblank", false));
    EXPECT_TRUE(looksLike(*form->PlayBtn, "play_active", true));
    waitMs(200);
    EXPECT_EQ(form->PlayTime->caption(), lastTime) << "Stop keeps the last displays";
    EXPECT_EQ(form->PlayTimeMS->caption(), lastTenths);
    EXPECT_FALSE(form->State.playing());
}

TEST_F(TransportTest, AShortSongStopsByItselfAtTheTickThatReadsItsLength) {
    open(song(QStringLiteral("three.wav"), 3.0));
    form->PlayBtnClick();
    ASSERT_TRUE(waitUntil([this] { return !form->StopBtn->enabled(); }, 6000));
    EXPECT_EQ(form->PlayTimeMS->caption(), QStringLiteral("30"));
    EXPECT_EQ(form->PlayTime->caption(), QStringLiteral("00:03.0"));
    EXPECT_EQ(form->Timer1->interval(), 0);
    EXPECT_TRUE(form->PlayBtn->enabled());
}

TEST_F(TransportTest, DraggingTheBarSeeksAtOnceAndTheTickLeavesTheBarAloneUntilThePointerLeaves) {
    open(song(QStringLiteral("seek.wav"), 60.0));
    form->PlayBtnClick();
    waitMs(100);
    // A drag: the bar notifies before it moves, then changes.
    form->ScrollBarPos->triggerAction(QAbstractSlider::SliderPageStepAdd);  // notifies before it moves
    EXPECT_TRUE(form->State.seeking());
    form->ScrollBarPos->setValue(30);
    EXPECT_EQ(form->BassdllPlayer1->Position(), 30u) << "playback jumps at once";
    EXPECT_TRUE(form->PreView->text().isEmpty());
    waitMs(1300);
    EXPECT_EQ(form->ScrollBarPos->value(), 30) << "the tick does not move the bar while seeking";
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(form->ScrollBarPos, &leave);
    EXPECT_FALSE(form->State.seeking());
    waitMs(1300);
    EXPECT_GE(form->ScrollBarPos->value(), 31) << "the bar follows the player again";
}

TEST_F(TransportTest, MetersShowThePeakScaledByTheVolume) {
    open(song(QStringLiteral("loud.wav"), 5.0, 20000.0 / 32768.0));
    form->ScrollBarVol->setValue(50);
    form->PlayBtnClick();
    waitMs(300);
    // A peak of 20000 at volume 50 shows 10000.
    EXPECT_NEAR(form->ProgressBar1->value(), 10000, 150);
    EXPECT_EQ(form->ProgressBar1->maximum(), 32768);
}

TEST_F(TransportTest, OpeningASecondSongWhileOneIsPlayingStopsItFirst) {
    open(song(QStringLiteral("first.wav"), 20.0));
    form->PlayBtnClick();
    waitMs(200);
    open(song(QStringLiteral("second.wav"), 10.0));
    EXPECT_FALSE(form->StopBtn->enabled());
    EXPECT_FALSE(form->State.playing());
    EXPECT_EQ(form->Timer1->interval(), 0);
    EXPECT_EQ(form->SongName->caption(), QStringLiteral(" second"));
    EXPECT_EQ(form->PlayTimeMSTotal->caption(), QStringLiteral("100"));
    EXPECT_EQ(form->BassdllPlayer1->Status(), sndStopped);
}

TEST_F(TransportTest, TicksAndTheEndOfTheSongGoOnWhileAModalDialogIsOpen) {
    open(song(QStringLiteral("modal.wav"), 2.0));
    form->PlayBtnClick();
    bool stoppedWhileOpen = false;
    QTimer::singleShot(0, [this, &stoppedWhileOpen] {
        QMessageBox box(QMessageBox::Information, QStringLiteral("Quillon"), QStringLiteral("waiting"),
                        QMessageBox::Ok, form.get());
        QTimer::singleShot(3500, &box, [this, &box, &stoppedWhileOpen] {
            stoppedWhileOpen = !form->StopBtn->enabled();
            box.accept();
        });
        box.exec();
    });
    waitMs(4000);
    EXPECT_TRUE(stoppedWhileOpen);
}

TEST_F(TransportTest, VolumeBarSetsThePlayersVolume) {
    form->ScrollBarVol->setValue(33);
    EXPECT_EQ(form->BassdllPlayer1->Volume(), 33);
}
