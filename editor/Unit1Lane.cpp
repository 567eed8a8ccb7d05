// The main window's waveform lane: the View menu that shows it, the room it takes from the lyrics
// box, the peaks worked out for the open song, and the seeks and retimings made on it.

#include <QAction>
#include <QGroupBox>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QShortcut>
#include <QTextBlock>
#include <QTextCursor>
#include <algorithm>
#include <cmath>

#include "Unit1.h"
#include "WaveformLane.h"
#include "audio/PeakCache.h"
#include "audio/PeakScan.h"
#include "platform/widgets/Application.h"
#include "platform/widgets/ScrollBar.h"
#include "settings/SettingsCatalogue.h"

namespace {

// The gap between the lyrics box, the lane and the preview's frame, as the design spaces them.
constexpr int kGap = 4;

}  // namespace

void TForm1::createLane() {
    Lane = new WaveformLane(ClientArea);
    Lane->setObjectName(QStringLiteral("WaveformLane"));
    Lane->hide();
    peakCache_ = std::make_shared<PeakCache>(PeakCache::defaultFolder());
}

void TForm1::createViewMenu() {
    View1 = menuBar()->addMenu(QStringLiteral("View"));
    Waveform1 = View1->addAction(QStringLiteral("&Waveform"));
    Waveform1->setCheckable(true);
    Waveform1->setShortcut(QKeySequence(QStringLiteral("Ctrl+Shift+W")));
    Waveform1->setShortcutContext(Qt::WindowShortcut);
    addAction(Waveform1);
}

void TForm1::bindLaneHandlers() {
    using widgets::reportingFailures;
    connect(Waveform1, &QAction::triggered, this,
            reportingFailures(std::function<void()>([this] { SetWaveformShown(Waveform1->isChecked()); })));
    Lane->PlayPosition = [this] { return observePlayTime(); };
    Lane->ShownLines = [this] {
        return lineListShown() ? lineListLines() : Memo1->toPlainText().split(QLatin1Char('\n'));
    };
    Lane->MarkedRow = [this] {
        return lineListShown() ? ListBox1->currentRow() : Memo1->textCursor().blockNumber();
    };
    Lane->OnSeek = [this](double seconds) { widgets::runReportingFailures([&] { LaneSeek(seconds); }); };
    Lane->OnRetime = [this](const LaneMarker& marker, int hundredths) {
        widgets::runReportingFailures([&] { LaneRetime(marker, hundredths); });
    };
    // The marked line's marker follows the cursor and the list's marker.
    connect(Memo1, &QPlainTextEdit::cursorPositionChanged, Lane, qOverload<>(&QWidget::update));
    connect(ListBox1, &QListWidget::currentRowChanged, Lane, qOverload<>(&QWidget::update));
    connect(Memo1, &QPlainTextEdit::textChanged, Lane, qOverload<>(&QWidget::update));
}

void TForm1::loadWaveformShown() {
    SetWaveformShown(settings::read(settings::kShowWaveform));
}

bool TForm1::WaveformShown() const {
    return Waveform1->isChecked();
}

void TForm1::SetWaveformShown(bool shown) {
    Waveform1->setChecked(shown);
    Lane->setVisible(shown);
    layoutLyricsArea();
    if (shown) {
        startPeakScanIfShown();
    } else {
        stopPeakScan();
    }
    settings::write(settings::kShowWaveform, shown);
}

void TForm1::layoutLyricsArea() {
    if (Lane == nullptr) return;
    const int bottom = GroupBox2->y() - kGap;
    int lyricsBottom = bottom;
    if (Lane->isVisibleTo(this)) {
        Lane->setGeometry(Memo1->x(), bottom - WaveformLane::kHeight, Memo1->width(), WaveformLane::kHeight);
        lyricsBottom = Lane->y() - kGap;
    }
    Memo1->resize(Memo1->width(), std::max(lyricsBottom - Memo1->y(), 0));
    ListBox1->resize(Memo1->width(), Memo1->height());
}

// ---------------------------------------------------------------- the peaks

void TForm1::startPeakScanIfShown() {
    if (!WaveformShown() || !SongLoaded() || State.songPath().isEmpty()) return;
    if (peakScan_ && peakScanPath_ == State.songPath()) return;
    stopPeakScan();
    peakScanPath_ = State.songPath();
    // The lane is drawn again when the peaks grow, through the window's event queue; the scan ends
    // before the lane goes, and news still queued for a lane that went is dropped with it.
    WaveformLane* lane = Lane;
    peakScan_ = std::make_unique<PeakScan>(peakScanPath_, peakCache_, [lane] {
        QMetaObject::invokeMethod(lane, qOverload<>(&QWidget::update), Qt::QueuedConnection);
    });
    Lane->setPeaks(peakScan_.get(), BassdllPlayer1->ExactSongLength());
}

void TForm1::stopPeakScan() {
    Lane->setPeaks(nullptr, 0.0);
    // Waits for the work's current block at most.
    peakScan_.reset();
    peakScanPath_.clear();
}

// ---------------------------------------------------------------- seeking and retiming

void TForm1::showLanePlaying(bool playing) {
    Lane->setPlaying(playing);
    if (!playing) Lane->showPosition(BassdllPlayer1->AudiblePosition());
}

void TForm1::LaneSeek(double seconds) {
    if (!SongLoaded()) return;
    const TPlayerStatus status = BassdllPlayer1->Status();
    if (status != sndPlaying && status != sndPaused && status != sndStalled) return;
    rebuildPreviewIndex();
    showPreview(QString());
    BassdllPlayer1->SeekTo(seconds);
    const double heard = BassdllPlayer1->AudiblePosition();
    restartClock(heard);
    ScrollBarPos->setValue(static_cast<int>(heard));
    showHeardTime(heard);
    Lane->showPosition(heard);
}

void TForm1::LaneRetime(const LaneMarker& marker, int hundredths) {
    const LyricsState before = shownLyrics();
    QStringList lines = Lane->ShownLines();
    if (!retimeTag(lines, marker.row, marker.tagIndex, hundredths)) return;
    writeShownLine(marker.row, lines[marker.row]);
    MarkLyricsChanged();
    recordLyricsChange(QStringLiteral("Move Tag"), LyricsChange::Kind::tagging, before);
    showPreviewAfterTagEdit();
    Lane->update();
}

void TForm1::writeShownLine(int row, const QString& text) {
    if (lineListShown()) {
        if (row >= 0 && row < ListBox1->count()) ListBox1->item(row)->setText(text);
        return;
    }
    QTextCursor cursor = Memo1->textCursor();
    const int position = cursor.position();
    {
        ProgramEdit edit(*this);
        QTextCursor line(Memo1->document()->findBlockByNumber(row));
        line.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
        line.insertText(text);
    }
    // The cursor stays where it was, not at the start of the line that changed.
    cursor.setPosition(std::min(position, Memo1->document()->characterCount() - 1));
    Memo1->setTextCursor(cursor);
}
