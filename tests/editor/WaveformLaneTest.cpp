// The waveform lane: its arithmetic (pixels and times, markers, drag limits) and the lane in the
// main window with the real player on the silent device: shown and hidden, seeking by a click,
// retiming a line by dragging its marker, and the peaks of the open song.

#include <QAction>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <QUndoStack>

#include "audio/PeakCache.h"
#include "audio/PeakScan.h"
#include "editor/LaneGeometry.h"
#include "editor/WaveformLane.h"
#include "platform/widgets/ScrollBar.h"
#include "settings/SettingsCatalogue.h"
#include "support/ActiveMainWindow.h"

namespace {

TEST(LaneGeometry, PixelsAndTimesMapBothWaysAtEveryZoomWithTheCursorAtAThird) {
    for (const double span : {2.0, 10.0, 37.5, 60.0}) {
        for (const int width : {453, 1000}) {
            const LaneView view{width, span, 42.0};
            EXPECT_NEAR(view.xOf(42.0), width / 3.0, 1e-9) << span;
            EXPECT_NEAR(view.timeAt(0), 42.0 - span / 3.0, 1e-9) << span;
            EXPECT_NEAR(view.timeAt(width), 42.0 + 2.0 * span / 3.0, 1e-9) << span;
            for (const double x : {0.0, 17.5, 300.0}) EXPECT_NEAR(view.xOf(view.timeAt(x)), x, 1e-9);
        }
    }
    // Ten steps in and out come back; the span never leaves 2 s to 60 s.
    EXPECT_NEAR(zoomedSpan(zoomedSpan(10.0, 3), -3), 10.0, 1e-9);
    EXPECT_LT(zoomedSpan(10.0, 1), 10.0);
    EXPECT_DOUBLE_EQ(zoomedSpan(10.0, 40), 2.0);
    EXPECT_DOUBLE_EQ(zoomedSpan(10.0, -40), 60.0);
}

TEST(LaneGeometry, MarkersAreTheTagsInTimeOrderWithTheirLinesFirstWords) {
    const QStringList lines{
        QStringLiteral("[ti:Song]"), QStringLiteral("[00:30.00][00:05.50]Chorus sung twice over and over"),
        QStringLiteral("Untagged line"), QStringLiteral("[00:10.00]<00:10.00>Word <00:10.50>timed"),
        QStringLiteral("[00:10.00]Same time, later line")};
    const std::vector<LaneMarker> markers = laneMarkers(lines);
    ASSERT_EQ(markers.size(), 4u);
    EXPECT_EQ(markers[0].row, 1);
    EXPECT_EQ(markers[0].tagIndex, 1);
    EXPECT_EQ(markers[0].hundredths, 550);
    EXPECT_EQ(markers[0].label, QStringLiteral("Chorus sung twice over"));
    EXPECT_EQ(markers[1].row, 3);
    EXPECT_EQ(markers[1].label, QStringLiteral("Word timed"));
    EXPECT_EQ(markers[2].row, 4);
    EXPECT_EQ(markers[3].row, 1);
    EXPECT_EQ(markers[3].tagIndex, 0);
}

TEST(LaneGeometry, ADraggedMarkerStopsAtItsNeighboursUnlessShiftIsHeldAndStaysInTheSong) {
    const std::vector<LaneMarker> markers = laneMarkers(
        {QStringLiteral("[00:01.00]A"), QStringLiteral("[00:02.00]B"), QStringLiteral("[00:03.00]C")});
    EXPECT_EQ(draggedTime(markers, 1, 250, 1000, false), 250);
    EXPECT_EQ(draggedTime(markers, 1, 350, 1000, false), 300);
    EXPECT_EQ(draggedTime(markers, 1, 50, 1000, false), 100);
    EXPECT_EQ(draggedTime(markers, 1, 350, 1000, true), 350);
    EXPECT_EQ(draggedTime(markers, 1, -20, 1000, true), 0);
    EXPECT_EQ(draggedTime(markers, 2, 2000, 1000, false), 1000);
    EXPECT_EQ(draggedTime(markers, 2, 2000, 0, false), 2000) << "an unknown length limits nothing";
    EXPECT_EQ(draggedTime(markers, 0, -5, 1000, false), 0);
}

TEST(LaneGeometry, RetimingWritesOnlyTheChosenTagAsTheProgramWritesTags) {
    QStringList lines{QStringLiteral("[00:12][01:40.50]Chorus"), QStringLiteral("Plain")};
    EXPECT_TRUE(retimeTag(lines, 0, 1, 10100));
    EXPECT_EQ(lines[0], QStringLiteral("[00:12][01:41.00]Chorus"));
    EXPECT_TRUE(retimeTag(lines, 0, 0, 1234));
    EXPECT_EQ(lines[0], QStringLiteral("[00:12.34][01:41.00]Chorus"));
    EXPECT_FALSE(retimeTag(lines, 0, 0, 1234)) << "the same time is no change";
    EXPECT_FALSE(retimeTag(lines, 0, 2, 100));
    EXPECT_FALSE(retimeTag(lines, 1, 0, 100));
    EXPECT_FALSE(retimeTag(lines, 5, 0, 100));
}

// ---------------------------------------------------------------- in the window

class LaneWindow : public ActiveMainWindow {
protected:
    WaveformLane* lane() const { return form->Lane; }
    void mouse(QEvent::Type type, double x, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        const QPointF at(x, WaveformLane::kHeight / 2.0);
        const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton;
        QMouseEvent event(type, at, lane()->mapToGlobal(at),
                          type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton, held, modifiers);
        QApplication::sendEvent(lane(), &event);
    }
    void drag(double fromX, double toX, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        mouse(QEvent::MouseButtonPress, fromX, modifiers);
        for (int step = 1; step <= 4; ++step) {
            mouse(QEvent::MouseMove, fromX + (toX - fromX) * step / 4.0, modifiers);
        }
        mouse(QEvent::MouseButtonRelease, toX, modifiers);
    }
    double xOf(double seconds) const { return lane()->view().xOf(seconds); }
};

TEST_F(LaneWindow, ShownItTakesItsRoomFromTheLyricsHiddenTheWindowIsItsDesignAndTheChoiceIsKept) {
    ASSERT_TRUE(form->WaveformShown()) << "shown by default";
    ASSERT_TRUE(lane()->isVisible());
    const int preview = form->GroupBox2->y();
    const int windowHeight = form->height();
    EXPECT_EQ(lane()->geometry(), QRect(8, preview - 4 - WaveformLane::kHeight, 453, WaveformLane::kHeight));
    EXPECT_EQ(form->Memo1->geometry(), QRect(8, 4, 453, lane()->y() - 4 - 4));

    form->Waveform1->trigger();
    EXPECT_FALSE(lane()->isVisible());
    EXPECT_EQ(form->Memo1->geometry(), QRect(8, 4, 453, preview - 4 - 4)) << "the design's lyrics box";
    EXPECT_EQ(form->height(), windowHeight) << "the window keeps its size";
    EXPECT_EQ(settings::read(settings::kShowWaveform), false);

    // The next window starts without it, and at its design size the lyrics box is the design's.
    form.reset();
    form = std::make_unique<TForm1>();
    form->show();
    QApplication::processEvents();
    EXPECT_FALSE(form->WaveformShown());
    EXPECT_FALSE(form->Lane->isVisible());
    EXPECT_EQ(form->Memo1->geometry(), QRect(8, 4, 453, form->GroupBox2->y() - 8));
    form->resize(form->width(), form->minimumHeight());
    QApplication::processEvents();
    EXPECT_EQ(form->ClientArea->height(), TForm1::kDesignClientHeight);
    EXPECT_EQ(form->Memo1->geometry(), QRect(8, 4, 453, 139));
    // The key brings it back, the lyrics box and the list over it making room.
    QTest::keyClick(form.get(), Qt::Key_W, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_TRUE(form->Lane->isVisible());
    EXPECT_EQ(form->Memo1->height(), 139 - WaveformLane::kHeight - 4);
    EXPECT_EQ(form->ListBox1->size(), form->Memo1->size());
    EXPECT_EQ(settings::read(settings::kShowWaveform), true);
}

TEST_F(LaneWindow, DraggingAMarkerRetimesItsLineInOneUndoStepAndStopsAtItsNeighbour) {
    openWithText(QStringLiteral("[00:04.00]One\n[00:05.00]Two two\n[00:08.00]Three\n"));
    playPausedAt(4.5);
    form->Lane->showPosition(4.5);
    ASSERT_EQ(list().size(), 3);
    const int steps = form->State.history().count();

    // "Two" goes to 6.00 s: the marker is taken 1 pixel right of its line and the time follows the
    // pointer to the hundredth.
    drag(xOf(5.0) + 1, xOf(6.0) + 1);
    EXPECT_EQ(list()[1], QStringLiteral("[00:06.00]Two two"));
    EXPECT_EQ(form->State.history().count(), steps + 1) << "one step of undo";
    EXPECT_TRUE(form->SaveBtn->enabled());

    // Past "Three" it stops at Three's time; with Shift it passes.
    drag(xOf(6.0), xOf(9.0));
    EXPECT_EQ(list()[1], QStringLiteral("[00:08.00]Two two"));
    drag(xOf(8.0) - 1, xOf(9.5) - 1, Qt::ShiftModifier);
    const std::vector<LaneMarker>& markers = form->Lane->markers();
    ASSERT_EQ(markers.size(), 3u);
    EXPECT_TRUE(list()[1].startsWith(QStringLiteral("[00:09.5"))) << list()[1].toStdString();

    form->State.history().undo();
    form->State.history().undo();
    form->State.history().undo();
    EXPECT_EQ(list()[1], QStringLiteral("[00:05.00]Two two"));
    form->State.history().redo();
    EXPECT_EQ(list()[1], QStringLiteral("[00:06.00]Two two"));

    // Escape during a drag puts the marker back.
    mouse(QEvent::MouseButtonPress, xOf(4.0));
    mouse(QEvent::MouseMove, xOf(4.3));
    ASSERT_TRUE(form->Lane->dragging());
    QTest::keyClick(form->Lane, Qt::Key_Escape);
    EXPECT_FALSE(form->Lane->dragging());
    mouse(QEvent::MouseButtonRelease, xOf(4.3));
    EXPECT_EQ(list()[0], QStringLiteral("[00:04.00]One"));

    // A press and release on a marker without a move changes nothing.
    const int count = form->State.history().count();
    mouse(QEvent::MouseButtonPress, xOf(4.0));
    mouse(QEvent::MouseButtonRelease, xOf(4.0));
    EXPECT_EQ(form->State.history().count(), count);
    EXPECT_EQ(list()[0], QStringLiteral("[00:04.00]One"));
}

TEST_F(LaneWindow, InTheTextBoxTheDraggedLineIsRetimedAndTheCursorStays) {
    openWithText(QStringLiteral("[00:01.00]One\n[00:02.00]Two\n"));
    QTextCursor cursor = form->Memo1->textCursor();
    cursor.setPosition(3);
    form->Memo1->setTextCursor(cursor);
    form->Lane->showPosition(1.5);
    drag(xOf(2.0), xOf(2.5));
    EXPECT_EQ(form->Memo1->toPlainText(), QStringLiteral("[00:01.00]One\n[00:02.50]Two\n"));
    EXPECT_EQ(form->Memo1->textCursor().position(), 3);
    form->State.history().undo();
    EXPECT_EQ(form->Memo1->toPlainText(), QStringLiteral("[00:01.00]One\n[00:02.00]Two\n"));
}

TEST_F(LaneWindow, AClickSeeksAsThePositionBarDoesAndTheWheelScrollsOnlyAtRest) {
    openWithText(QStringLiteral("[00:02.00]One\n[00:12.00]Two\n"), 30.0);
    playPausedAt(10.5);
    form->Lane->showPosition(10.5);
    form->AddBtnClick();  // the preview shows something the seek must clear
    mouse(QEvent::MouseButtonPress, xOf(14.25));
    mouse(QEvent::MouseButtonRelease, xOf(14.25));
    EXPECT_NEAR(form->BassdllPlayer1->AudiblePosition(), 14.25, 0.03);
    EXPECT_NEAR(form->Lane->view().cursorSeconds, 14.25, 0.03);
    EXPECT_EQ(form->ScrollBarPos->value(), 14);
    EXPECT_TRUE(form->PreView->text().isEmpty());

    // At rest the wheel moves the view, not the song; Ctrl+wheel zooms.
    QWheelEvent down(QPointF(10, 10), form->Lane->mapToGlobal(QPointF(10, 10)), QPoint(), QPoint(0, -120),
                     Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(form->Lane, &down);
    EXPECT_NEAR(form->Lane->view().cursorSeconds, 15.25, 0.03);
    EXPECT_NEAR(form->BassdllPlayer1->AudiblePosition(), 14.25, 0.03);
    QWheelEvent zoom(QPointF(10, 10), form->Lane->mapToGlobal(QPointF(10, 10)), QPoint(), QPoint(0, 240),
                     Qt::NoButton, Qt::ControlModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(form->Lane, &zoom);
    EXPECT_NEAR(form->Lane->view().spanSeconds, 6.4, 1e-9);

    // Playing, the lane follows the song and the wheel leaves it there.
    form->PlayBtnClick();
    ASSERT_TRUE(waitUntil([&] { return form->Lane->view().cursorSeconds > 14.3; }, 2000));
    const double following = form->Lane->view().cursorSeconds;
    QApplication::sendEvent(form->Lane, &down);
    EXPECT_GE(form->Lane->view().cursorSeconds, following);
    EXPECT_LT(form->Lane->view().cursorSeconds, following + 0.5);

    // Stopped, a click does not move the song (Play starts from the beginning).
    form->StopBtnClick();
    mouse(QEvent::MouseButtonPress, xOf(5.0));
    mouse(QEvent::MouseButtonRelease, xOf(5.0));
    EXPECT_EQ(form->BassdllPlayer1->Status(), sndStopped);
}

TEST_F(LaneWindow, TheOpenSongsPeaksFillTheLaneAndAnotherSongCancelsTheirWork) {
    // Ten minutes at 44.1 kHz take the decoder far longer than the next open.
    const QString longSong = folder.path() + QStringLiteral("/Long.wav");
    ASSERT_TRUE(fixtures::writeSine(longSong.toStdString(), fixtures::Format::wav, 600.0, 440.0, 0.5, 44100));
    open(longSong);
    ASSERT_NE(form->peakScan(), nullptr);
    const QString shortSong = song(QStringLiteral("Short.wav"), 3.0, 0.25);
    open(shortSong);
    ASSERT_NE(form->peakScan(), nullptr);
    ASSERT_TRUE(waitUntil([&] { return form->peakScan()->finished(); }, 5000));
    EXPECT_EQ(form->peakScan()->outcome(), PeakScan::Outcome::decoded);
    std::size_t slices = 0;
    int high = 0;
    form->peakScan()->read([&](const PeakTable& peaks) {
        slices = peaks.fine.size();
        high = peaks.fine.at(100).high;
    });
    EXPECT_EQ(slices, 300u);
    EXPECT_NEAR(high, 8192, 300);

    const PeakCache cache(PeakCache::defaultFolder());
    EXPECT_TRUE(QFile::exists(cache.fileFor(songFileKey(shortSong)->path)));
    EXPECT_FALSE(QFile::exists(cache.fileFor(songFileKey(longSong)->path)))
        << "the long song's work was cancelled";

    // Hidden, the lane has no work; shown again, the cache gives the peaks at once.
    form->SetWaveformShown(false);
    EXPECT_EQ(form->peakScan(), nullptr);
    form->SetWaveformShown(true);
    ASSERT_TRUE(waitUntil([&] { return form->peakScan()->finished(); }, 2000));
    EXPECT_EQ(form->peakScan()->outcome(), PeakScan::Outcome::fromCache);
}

TEST_F(LaneWindow, TheLaneDrawsTheSongAroundTheCursorAndTheMarkedLinesMarker) {
    // Silence with a full burst from 3.0 s to 3.5 s.
    const QString path = folder.path() + QStringLiteral("/Burst.wav");
    std::vector<float> samples(2 * 8000 * 8, 0.0f);
    for (std::size_t i = 2 * 8000 * 3; i < 2 * 8000 * 35 / 10; ++i) samples[i] = (i / 2) % 2 ? 0.9f : -0.9f;
    ASSERT_TRUE(fixtures::writeWav(path.toStdString(), 8000, 2, samples));
    open(path);
    form->Memo1->setPlainText(QStringLiteral("[00:01.00]One\n[00:03.00]Two\n"));
    ASSERT_TRUE(waitUntil([&] { return form->peakScan()->finished(); }, 5000));
    form->Lane->showPosition(3.0);
    QTextCursor cursor(form->Memo1->document()->findBlockByNumber(1));
    form->Memo1->setTextCursor(cursor);
    const QImage image = form->Lane->grab().toImage();
    const auto columnHasWave = [&](double seconds) {
        const int x = static_cast<int>(xOf(seconds));
        int teal = 0;
        for (int y = 14; y < image.height() - 1; ++y) teal += image.pixelColor(x, y) == QColor(0, 128, 128);
        return teal;
    };
    EXPECT_GT(columnHasWave(3.25), 40) << "the burst fills the lane's height";
    EXPECT_LE(columnHasWave(2.5), 2) << "silence is a line";
    EXPECT_EQ(image.pixelColor(static_cast<int>(xOf(-0.2)), 40), QColor(192, 192, 192)) << "before the song";
    // The marked line's label is drawn white on the markers' blue, the other's blue on white.
    const int twoX = static_cast<int>(std::lround(xOf(3.0)));
    const int oneX = static_cast<int>(std::lround(xOf(1.0)));
    EXPECT_EQ(image.pixelColor(twoX + 3, 1), QColor(0, 0, 255));
    EXPECT_EQ(image.pixelColor(oneX + 3, 1), QColor(255, 255, 255));
    EXPECT_EQ(image.pixelColor(oneX, 40), QColor(0, 0, 255)) << "a marker's line";
}

}  // namespace
