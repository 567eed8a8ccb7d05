// The main window's transport: open, play, pause, stop, the play-time tick, the position bar,
// the volume bar and the level meters.

#include <QFileInfo>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QUndoStack>
#include <chrono>
#include <cmath>
#include <exception>

#include "OpenFailure.h"
#include "SongState.h"
#include "TimeTags.h"
#include "Transport.h"
#include "TransportState.h"
#include "Unit1.h"
#include "WaveformLane.h"
#include "platform/system/Errors.h"
#include "platform/widgets/IntervalTimer.h"
#include "platform/widgets/PressMoments.h"
#include "platform/widgets/ScrollBar.h"
#include "platform/windowless/WindowlessHost.h"

namespace {
constexpr int kPlayTimeTickMs = 85;
constexpr int kPlayTimeDesignWidth = 105;
constexpr int kTenthsDesignLeft = 182;
// The displays' design widths, shown again when no song is loaded.
constexpr int kSongNameDesignWidth = 230;
constexpr int kTenthsDesignWidth = 50;
}  // namespace

void TForm1::applyButtons(const TransportButtons& looks) {
    const std::pair<TOutlookBtn*, const std::optional<ButtonLook>*> buttons[] = {
        {PlayBtn.get(), &looks.play},
        {PauseBtn.get(), &looks.pause},
        {StopBtn.get(), &looks.stop},
        {AddBtn.get(), &looks.add},
        {AddBlankBtn.get(), &looks.addBlank}};
    for (const auto& [button, look] : buttons) {
        if (*look) setButtonState(*button, (*look)->enabled, QString::fromLatin1((*look)->image));
    }
}

void TForm1::setButtonState(TOutlookBtn& button, bool enabled, const QString& image) {
    button.setEnabled(enabled);
    loadButtonImage(button, image);
    const gdi::Rect r = button.boundsRect();
    PlayerPanel->repaint(r.left, r.top, r.width(), r.height());
}

int TForm1::measuredWidth(QLabel* measuringLabel, const gdi::FontSpec& font, const QString& text) {
    // The hidden label holds what was measured last. It is sized only when shown: laying it out
    // at every tick of the play-time display was a fifth of the window's work while playing.
    const QFont qfont = font.toQFont();
    if (measuringLabel->font() != qfont) measuringLabel->setFont(qfont);
    measuringLabel->setText(text);
    if (measuringLabel->isVisible()) measuringLabel->adjustSize();
    // The width the raster layer draws the text in, which places glyphs by the font's own advances.
    gdi::DeviceContext measure;
    measure.setFont(font);
    return measure.textExtent(text).cx;
}

void TForm1::showTenths(TOutlookBtn& display, const QString& tenths) {
    display.setCaption(tenths);
    display.setWidth(measuredWidth(GetLength2, display.font(), tenths));
}

void TForm1::showSongName(const QString& name) {
    // As wide as the name: a long one starts at the left and is cut at the display's right edge.
    const QString caption = QLatin1Char(' ') + name;
    SongName->setCaption(caption);
    SongName->setWidth(measuredWidth(GetLength1, SongName->font(), caption) + 3);
}

void TForm1::showPlayTime(const QString& time) {
    // From 100 minutes on the time is wider than its display, which then grows to the right.
    PlayTime->setCaption(time);
    PlayTime->setWidth(std::max(kPlayTimeDesignWidth, measuredWidth(GetLength2, PlayTime->font(), time)));
    // The tenths displays make room for it.
    const int tenthsLeft = std::max(kTenthsDesignLeft, PlayTime->left() + PlayTime->width() + 9);
    PlayTimeMS->setLeft(tenthsLeft);
    PlayTimeMSTotal->setLeft(tenthsLeft);
}

void TForm1::OpenBtnClick() {
    const OpenConsent consent = askToSaveBeforeOpening();
    if (consent == OpenConsent::cancel) return;
    if (!OpenDialog1.Execute(this)) return;
    openAudioFile(OpenDialog1.FileName, consent);
}

void TForm1::openDroppedFile(const QString& path) {
    const OpenConsent consent = askToSaveBeforeOpening();
    if (consent == OpenConsent::cancel) return;
    openAudioFile(path, consent);
}

void TForm1::openAudioFile(const QString& path, OpenConsent consent) {
    if (StopBtn->enabled()) StopBtnClick();
    // "No" in the save prompt drops the lyrics, now that the open goes on.
    if (consent == OpenConsent::dropLyrics) {
        ProgramEdit edit(*this);
        Memo1->clear();
        ListBox1->clear();
    }
    showPlayTime(QStringLiteral("00:00.0"));
    PlayTimeMS->setWidth(6);
    PlayTimeMS->setCaption(QStringLiteral("0"));
    showPreview(QString());
    State.beginOpen(path);
    showSongName(QFileInfo(path).completeBaseName());
    // The old song's peaks are of no use now; their work ends before the library opens the new one.
    stopPeakScan();
    if (BassdllPlayer1->LoadFromFile(path) == 0) {
        // Nothing to play: say so, and leave the window as with no song, the lyrics untouched.
        const int error = BassdllPlayer1->LoadError();
        State.failOpen();
        showNoSong();
        throw errors::QuillonError(songLoadFailureText(QFileInfo(path).fileName(), error));
    }
    ScrollBarPos->setMaximum(std::max(0, BassdllPlayer1->SongLength()));
    // A lyrics file that cannot be read is reported once the song is ready to play, with the
    // lyrics box keeping its text.
    std::exception_ptr lyricsFailure;
    try {
        loadLyricsFileForOpenedSong();
    } catch (...) {
        lyricsFailure = std::current_exception();
    }
    showTenths(*PlayTimeMSTotal, QString::number(ScrollBarPos->maximum() * 10));
    applyButtons(buttonsAfter(TransportAction::fileOpened));
    ScrollBarVol->setEnabled(true);
    restartClock(0.0);
    memoText_ = Memo1->toPlainText();
    State.finishOpen();
    startPeakScanIfShown();
    showLanePlaying(false);
    if (lyricsFailure) std::rethrow_exception(lyricsFailure);
}

void TForm1::showNoSong() {
    SongName->setCaption(kNoSongCaption);
    SongName->setWidth(kSongNameDesignWidth);
    PlayTimeMS->setCaption(QStringLiteral("1234567890"));
    PlayTimeMS->setWidth(kTenthsDesignWidth);
    PlayTimeMSTotal->setCaption(QStringLiteral("1234567890"));
    PlayTimeMSTotal->setWidth(kTenthsDesignWidth);
    applyButtons(buttonsAfter(TransportAction::noSong));
    ScrollBarPos->setMaximum(0);
}

void TForm1::PlayBtnClick() {
    Timer1->setInterval(kPlayTimeTickMs);
    Timer2->setInterval(kMeterTickMs);
    const bool fromStop = BassdllPlayer1->Status() == sndStopped;
    BassdllPlayer1->Play();
    // After a pause the pass goes on (the clock holds the paused time until the sound catches up);
    // after a stop it starts again where the player starts.
    if (fromStop) restartClock(BassdllPlayer1->AudiblePosition());
    applyButtons(buttonsAfter(TransportAction::play));
    showOutputState();
    ScrollBarPos->setEnabled(true);
    if (State.lineListStale()) fillLineList();
    rebuildPreviewIndex();
    showLineList();
    State.play();
    showLanePlaying(true);
}

void TForm1::PauseBtnClick() {
    Timer1->setInterval(0);
    BassdllPlayer1->Pause();
    // Tags made while paused take the time the sound stopped at.
    observePlayTime();
    applyButtons(buttonsAfter(TransportAction::pause));
    State.pause();
    showLanePlaying(false);
}

void TForm1::StopBtnClick() {
    Timer1->setInterval(0);
    BassdllPlayer1->Stop();
    applyButtons(buttonsAfter(TransportAction::stop));
    returnLineList();
    State.stop();
    showLanePlaying(false);
}

void TForm1::Timer1Timer() {
    const double heard = observePlayTime();
    showHeardTime(heard);
    if (State.barFollowsPlay()) ScrollBarPos->setValue(static_cast<int>(BassdllPlayer1->Position()));
    // The song ends when its sound has ended: the channel stops itself once its last sample was
    // played, and the displays then show the whole length (the song's own, not rounded).
    if (State.playing() && BassdllPlayer1->Status() == sndStopped) {
        showHeardTime(BassdllPlayer1->ExactSongLength());
        ScrollBarPos->setValue(ScrollBarPos->maximum());
        previewLookup();
        StopBtnClick();
        return;
    }
    previewLookup();
}

double TForm1::observePlayTime() {
    Clock.observe(std::chrono::steady_clock::now(), BassdllPlayer1->AudiblePosition());
    return Clock.latest().value_or(0.0);
}

double TForm1::playTimeOfPress() {
    observePlayTime();
    const auto pressed = pressMoments_->pressMoment();
    return Clock.positionAt(pressed).value_or(0.0);
}

void TForm1::showHeardTime(double seconds) {
    const int tenths = shownTenths(seconds);
    showPlayTime(TenthsToTime(tenths));
    showTenths(*PlayTimeMS, QString::number(tenths));
}

void TForm1::restartClock(double seconds) {
    Clock.restart(std::chrono::steady_clock::now(), seconds);
    previewFrom_ = static_cast<int>(std::lround(seconds * 100.0));
}

void TForm1::showOutputState() {
    // The engine moves to its silent device when the sound output is lost, and back when it
    // returns; the note follows it.
    const QString note = BassdllPlayer1->PlaysSilently() ? QStringLiteral("No sound output") : QString();
    if (SilentOutputNote->caption() != note) SilentOutputNote->setCaption(note);
}

void TForm1::Timer2Timer() {
    if (BassdllPlayer1->Status() == sndPlaying) {
        ProgressBar1->setValue(meterPosition(BassdllPlayer1->LeftPeak(), ScrollBarVol->value()));
        ProgressBar2->setValue(meterPosition(BassdllPlayer1->RightPeak(), ScrollBarVol->value()));
        return;
    }
    // The meters fall to zero, and the timer rests until the next play: idle means idle.
    ProgressBar1->setValue(0);
    ProgressBar2->setValue(0);
    Timer2->setInterval(0);
}

void TForm1::ScrollBarPosScroll() {
    rebuildPreviewIndex();
    showPreview(QString());
    State.beginSeek();
    // The bar has not taken its new position yet.
    showPlayTime(seekDisplay(ScrollBarPos->value()));
    showTenths(*PlayTimeMS, QString::number(ScrollBarPos->value() * 10));
}

void TForm1::ScrollBarPosChange() {
    if (!State.seeking()) return;
    BassdllPlayer1->SetPosition(static_cast<std::uint32_t>(ScrollBarPos->value()));
    // The new place shows at once, and the preview looks for tags from there on.
    restartClock(ScrollBarPos->value());
    Lane->showPosition(ScrollBarPos->value());
}

void TForm1::ScrollBarPosMouseLeave() {
    if (State.endSeek()) BassdllPlayer1->Play();
}

void TForm1::ScrollBarVolChange() {
    BassdllPlayer1->SetVolume(static_cast<std::uint8_t>(ScrollBarVol->value()));
}

void TForm1::FormPaint() {
    const QColor grey(128, 128, 128);
    for (QProgressBar* meter : {ProgressBar1, ProgressBar2}) {
        if (meter->palette().color(QPalette::Highlight) == grey) continue;
        QPalette palette = meter->palette();
        palette.setColor(QPalette::Highlight, grey);
        meter->setPalette(palette);
    }
}
