#pragma once
// TForm1: the main window. The lyrics text box and the line list that replaces it while playing,
// the player panel (display picture, song name and time displays, transport and tagging buttons,
// position and volume bars, level meters), the waveform lane, the preview label and the main menu.
//
// Behaviour sits in the handlers, named after their control and event; later features plug into
// the hook points named in FormShow and FormCloseQuery.

#include <QMainWindow>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "LaneGeometry.h"
#include "LyricsHistory.h"
#include "PlayClock.h"
#include "WindowState.h"
#include "audio/BassDLLPlayer.h"
#include "controls/OutlookBtn.h"
#include "platform/widgets/FileDialogs.h"

class QAction;
class QGroupBox;
class QLabel;
class QListWidget;
class QMenu;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QShortcut;
class PeakCache;
class PeakScan;
class WaveformLane;

namespace widgets {
class Anchors;
class PressMoments;
class IntervalTimer;
class ScrollBar;
}  // namespace widgets
namespace windowless {
class PictureControl;
class WindowlessHost;
}  // namespace windowless

class TForm1 : public QMainWindow {
    Q_OBJECT
public:
    explicit TForm1(QWidget* parent = nullptr);
    ~TForm1() override;

    // Outer size of the window as the design states it: client area plus frame and title bar.
    static constexpr int kDesignClientWidth = 469;
    static constexpr int kDesignClientHeight = 346;
    static constexpr int kOuterWidth = 485;
    static constexpr int kMinimumOuterHeight = 400;
    // What the frame and title bar add to the client area (the menu bar belongs to the window).
    static constexpr int kFrameWidth = kOuterWidth - kDesignClientWidth;
    static constexpr int kCaptionAndFrameHeight = 34;
    // The design's menu bar is 20 pixels high, so its minimum outer height leaves the client area at
    // least its design height; with other menu heights the client area is what stays fixed.
    static constexpr int kDesignMenuHeight = 20;
    static constexpr int kMinimumClientHeight =
        kMinimumOuterHeight - kCaptionAndFrameHeight - kDesignMenuHeight;

    // The player, created first: when the audio library cannot start, the program ends before the
    // window shows.
    TBassdllPlayer* BassdllPlayer1 = nullptr;

    // Controls, as the form designer lays them out.
    QWidget* ClientArea = nullptr;
    QPlainTextEdit* Memo1 = nullptr;
    QListWidget* ListBox1 = nullptr;
    QGroupBox* GroupBox1 = nullptr;
    windowless::WindowlessHost* PlayerPanel = nullptr;  // hosts GroupBox1's windowless controls
    std::unique_ptr<windowless::PictureControl> Image1;
    std::unique_ptr<TOutlookBtn> SongName;
    std::unique_ptr<TOutlookBtn> LabelPlayTime;
    std::unique_ptr<TOutlookBtn> SilentOutputNote;
    std::unique_ptr<TOutlookBtn> SpeedNote;  // the practice speed, when it is not 100 %
    std::unique_ptr<TOutlookBtn> PlayTime;
    std::unique_ptr<TOutlookBtn> PlayTimeMS;
    std::unique_ptr<TOutlookBtn> PlayTimeMSTotal;
    QLabel* GetLength1 = nullptr;
    QLabel* GetLength2 = nullptr;
    std::unique_ptr<TOutlookBtn> StopBtn;
    std::unique_ptr<TOutlookBtn> PauseBtn;
    std::unique_ptr<TOutlookBtn> PlayBtn;
    std::unique_ptr<TOutlookBtn> AddBtn;
    std::unique_ptr<TOutlookBtn> AddBlankBtn;
    widgets::ScrollBar* ScrollBarPos = nullptr;
    std::unique_ptr<TOutlookBtn> ExitBtn;
    std::unique_ptr<TOutlookBtn> WebBtn;
    std::unique_ptr<TOutlookBtn> SaveBtn;
    std::unique_ptr<TOutlookBtn> OpenBtn;
    widgets::ScrollBar* ScrollBarVol = nullptr;
    QProgressBar* ProgressBar2 = nullptr;
    QProgressBar* ProgressBar1 = nullptr;
    QPushButton* DoLyricsText = nullptr;
    QGroupBox* GroupBox2 = nullptr;
    QLabel* PreView = nullptr;
    WaveformLane* Lane = nullptr;  // between the lyrics and the preview, when View > Waveform is on
    widgets::FileDialog OpenDialog1{widgets::FileDialog::Kind::open};
    widgets::FileDialog SaveDialog1{widgets::FileDialog::Kind::save};
    widgets::IntervalTimer* Timer1 = nullptr;
    static constexpr int kMeterTickMs = 50;
    widgets::IntervalTimer* Timer2 = nullptr;       // the level meters, while playing
    widgets::IntervalTimer* OutputWatch = nullptr;  // the sound output's state
    QMenu* File1 = nullptr;
    QAction* OpenMP3file1 = nullptr;
    QAction* Savelyricfile1 = nullptr;
    QAction* Settings1 = nullptr;
    QAction* Exit1 = nullptr;
    QMenu* Edit1 = nullptr;
    QAction* Undo1 = nullptr;
    QAction* Redo1 = nullptr;
    QAction* ShiftAllTags1 = nullptr;
    QAction* ApplyOffset1 = nullptr;
    QAction* InsertSongTags1 = nullptr;
    QAction* WordTiming1 = nullptr;
    QMenu* View1 = nullptr;
    QAction* Waveform1 = nullptr;
    QMenu* Play1 = nullptr;
    QAction* PlayPause1 = nullptr;
    QAction* Stop1 = nullptr;
    QAction* Back1 = nullptr;
    QAction* Forward1 = nullptr;
    QAction* Replay1 = nullptr;
    QAction* NudgeEarlier1 = nullptr;
    QAction* NudgeLater1 = nullptr;
    QAction* NudgeEarlierFine1 = nullptr;
    QAction* NudgeLaterFine1 = nullptr;
    QAction* Slower1 = nullptr;
    QAction* Faster1 = nullptr;
    std::vector<QAction*> SpeedEntries;  // one per practice speed, fastest first
    QMenu* Help1 = nullptr;
    QAction* About1 = nullptr;

    // The song's and the lyrics' state, with its undo history; the handlers move it and draw it.
    WindowState State;
    QString PreviewIndex;
    // The play time as heard, fed by the play-time tick and read by the displays, the tags and the
    // preview.
    PlayClock Clock;

    // A song is loaded: the song-name display no longer shows its dashes.
    bool SongLoaded() const;
    // Records a change of the lyrics: they become unsaved (with or without a song) and Save lights up.
    void MarkLyricsChanged();
    // Save lights up: the lyrics changed, or the program replaced the text box's text.
    void lightSaveButton();

    // Handlers, named after their control and event as the window was first designed; where the name
    // does not say what the handler does, the comment beside it does.
    void FormCreate();
    void FormShow();                      // the settings read, the buttons' first state
    void FormResize();                    // the line list follows the text box's size
    void FormPaint();                     // the level meters' grey
    void FormCloseQuery(bool& CanClose);  // the save prompt, the settings stored, the donation offer
    void ExitBtnClick();                  // closes the window (through FormCloseQuery)
    void WebBtnClick();                   // opens the settings dialog
    void About1Click();
    void OpenBtnClick();  // the save prompt, then the open dialog and the song
    void PlayBtnClick();
    void PauseBtnClick();
    void StopBtnClick();
    void ScrollBarPosScroll();      // a seek begins: the display shows the bar's time
    void ScrollBarPosChange();      // the song moves to the bar's second while seeking
    void ScrollBarPosMouseLeave();  // the seek ends: playing goes on
    void ScrollBarVolChange();
    void Timer1Timer();  // the play-time tick: displays, bar, preview, the song's end
    void Timer2Timer();  // the level meters, while playing
    void showOutputState();
    void AddBtnClick();        // "Add Line": tags the marked line
    void OutlookBtn2Click();   // "Add Blank Line": a tagged blank line above the marked one
    void Memo1Change();        // typing in the text box: unsaved, one step of undo
    void DoLyricsTextClick();  // builds the preview index from the line list
    // False when nothing was saved because the user cancelled the file dialog (no song is open, so
    // there is no name to save under); a failed write throws.
    bool SaveBtnClick();

    // Mending tags: the marked line's tag (in the list; in the text box the line under the cursor,
    // or the nearest tagged line above either) moves by `hundredths`; every tag moves by
    // milliseconds the user is asked for; the song plays from 2 s before the marked line's tag.
    void NudgeTagClick(int hundredths);
    void ShiftAllTagsClick();
    void shiftAllTagsBy(int milliseconds);
    // Bakes the lyrics' "[offset:±ms]" line into every tag and removes it (Edit > Apply Offset).
    void ApplyOffsetClick();
    void ReplayClick();
    void replayRow(int row);
    // Practice speed in percent, one of kPracticeSpeeds; kept in the settings.
    static constexpr int kPracticeSpeeds[] = {100, 90, 75, 60, 50};
    void SetPracticeSpeed(int percent);
    // One step slower (negative) or faster (positive), stopping at either end.
    void StepPracticeSpeed(int steps);
    // How Shift All Tags asks for its milliseconds: a dialog; tests set their own answer.
    std::function<std::optional<int>()> AskShiftMilliseconds;

    // Word timing (Play > Word timing, Ctrl+W): while it is on, Space stamps the marked line's next
    // word, Shift+Space the end of its last word, and Backspace takes the line's last stamp back.
    void SetWordTiming(bool on);
    bool WordTiming() const { return wordTiming_; }
    void WordStampClick();
    void WordEndClick();
    void RemoveWordStampClick();
    // View > Waveform (Ctrl+Shift+W): the lane shows or hides, taking its height from the lyrics box
    // (the window keeps its size); the choice is kept in the settings.
    void SetWaveformShown(bool shown);
    bool WaveformShown() const;
    // A click on the lane: the song moves there as a scroll of the position bar moves it (playing or
    // paused; a stopped song starts from its beginning anyway).
    void LaneSeek(double seconds);
    // A marker dragged on the lane: its tag takes the new time, as one step of undo.
    void LaneRetime(const LaneMarker& marker, int hundredths);
    // The song's peaks, while a song is open and the lane is shown.
    const PeakScan* peakScan() const { return peakScan_.get(); }

    // File > Insert song tags: the song's artist, title, album and length as ID lines at the top.
    void InsertSongTagsClick();

    // Opens a file dropped on the window or named on the command line, as Open would after its
    // dialog: the save prompt first.
    void openDroppedFile(const QString& path);

    // Where the lyrics of the opened song are saved and looked for.
    QString LyricsFilePath() const;
    // The save prompt: Yes (mrYes), No (mrNo) or Cancel (mrCancel).
    int AskSaveChanges();
    // The lines that Save writes: the line list's while it is shown, else the text box's.
    QStringList lyricsLines() const;
    // The text box's displayed lines, a word-timed paragraph kept whole.
    QStringList textBoxLines() const;
    QStringList lineListLines() const;
    bool lineListShown() const;

    // Loads a bitmap resource into a flat button and repaints it.
    static void loadButtonImage(TOutlookBtn& button, const QString& resourceName);

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void createControls();
    void createPlayerPanel();
    void createMenu();
    void bindHandlers();
    void createKeyboardShortcuts();
    void createPlayMenu();
    void createViewMenu();
    void createLane();
    void bindLaneHandlers();
    void loadWaveformShown();
    // The lyrics box (and the line list over it) and the lane share the room above the preview.
    void layoutLyricsArea();
    // The peaks of the open song are worked out when the lane is shown and none are.
    void startPeakScanIfShown();
    void stopPeakScan();
    // Tells the lane whether the song plays, and where it is when it does not.
    void showLanePlaying(bool playing);
    // Writes one line of the shown lyrics (a row of the list, or a paragraph of the text box,
    // keeping the text cursor where it was).
    void writeShownLine(int row, const QString& text);
    std::unique_ptr<PeakScan> peakScan_;
    QString peakScanPath_;
    std::shared_ptr<const PeakCache> peakCache_;
    void bindMendingHandlers();
    void bindWordHandlers();
    void loadPracticeSpeed();
    void applyPracticeSpeed(int percent);
    void showPracticeSpeed();
    // Plays from `seconds` whatever the state, with the list's marker on `markRow` (when >= 0).
    void replayFrom(double seconds, int markRow);
    // After a tag moved: the preview index is built again and the preview shows the line heard now.
    void showPreviewAfterTagEdit();
    // Applies `change` to every line of the shown lyrics (the list or the text box); when it
    // changed them, they show it, are unsaved and the change is one undo step named `name`.
    void editEveryLine(const QString& name, const std::function<bool(QStringList&)>& change);
    void updateTaggingKeys();
    void PlayOrPauseByKey();
    // Moves the song by whole seconds as a scroll of the position bar would.
    void seekByKey(int seconds);
    // Marks a line of the list and keeps it in view.
    void markLine(int row);

    // Hook points for features built on this window, in the order they run.
    void loadLiveSettings();
    void loadVolumeAndPlacement();
    void askToSaveBeforeClosing(bool& CanClose);
    void storeVolumeAndPlacement();
    void offerDonation();
    // The save prompt before an open: go on keeping the lyrics (nothing unsaved, or saved), go on
    // dropping them (No: they are cleared only once the open really goes on), or stop.
    enum class OpenConsent { keepLyrics, dropLyrics, cancel };
    OpenConsent askToSaveBeforeOpening();
    void loadLyricsFileForOpenedSong();  // an existing lyrics file replaces the text
    void fillLineList();                 // on Play, when the text changed
    void showLineList();
    void returnLineList();  // on Stop
    void rebuildPreviewIndex();
    void previewLookup();  // every play-time tick
    // The preview shows a line's text: as it stands, or with word stamps its words with the one
    // sung now highlighted (again at every tick).
    void showPreview(const QString& text);
    void showSungWord();
    // The tag "Add Line" makes of the press being handled (its time less the reaction offset).
    QString tagOfPress();
    QString previewText_;
    bool previewHasWords_ = false;
    int previewOffset_ = 0;  // the lyrics' "[offset:]" in hundredths
    bool wordTiming_ = false;
    // The preview shows tags from this time on (hundredths): the play time at the last rebuild or
    // seek, then just after the previous tick's.
    int previewFrom_ = 0;

    // The play time now, read from the player into the clock.
    double observePlayTime();
    // The play time at the moment the key or button being handled was pressed.
    double playTimeOfPress();
    // The play time as the displays show it: truncated to tenths, never ahead of what is heard.
    void showHeardTime(double seconds);
    // Restarts the clock at the player's position after a jump (open, seek, play after stop).
    void restartClock(double seconds);
    widgets::PressMoments* pressMoments_ = nullptr;

    // The lyrics as shown now, and showing a state again (an undo or redo), in whichever of the text
    // box and the line list is shown.
    LyricsState shownLyrics() const;
    void showLyrics(const LyricsState& state);
    // Records a change the user made, from the state before it to the one shown now.
    void recordLyricsChange(const QString& name, LyricsChange::Kind kind, const LyricsState& before);
    // The text box's text as last recorded, the state before the next typed change.
    QString memoText_;
    // Set while the program itself changes the text box (returning the list, loading a file, an
    // undo): such changes are no steps of the history.
    bool programEdit_ = false;
    class ProgramEdit {
    public:
        explicit ProgramEdit(TForm1& form);
        ~ProgramEdit();
        ProgramEdit(const ProgramEdit&) = delete;
        ProgramEdit& operator=(const ProgramEdit&) = delete;

    private:
        TForm1& form_;
        bool was_;
    };

    // Opening: the dialog's or a dropped file's path, after the save prompt.
    void openAudioFile(const QString& path, OpenConsent consent);
    // The displays and Play as they are with no song loaded.
    void showNoSong();

    // Transport helpers.
    void applyButtons(const struct TransportButtons& looks);
    void setButtonState(TOutlookBtn& button, bool enabled, const QString& image);
    static int measuredWidth(QLabel* measuringLabel, const gdi::FontSpec& font, const QString& text);
    void showTenths(TOutlookBtn& display, const QString& tenths);
    void showSongName(const QString& name);
    void showPlayTime(const QString& time);
    // Says once, in the preview line (empty until a song plays), that no sound can be heard
    // because the engine plays on its silent device; the next open or preview clears it.

    // What the frame and caption add to the window's height.
    int outerHeightExtra() const;

    // Keys that only work while the line list is shown.
    QShortcut* AddLineKey = nullptr;
    QShortcut* AddBlankLineKey = nullptr;
    QShortcut* SeekBackKey = nullptr;
    QShortcut* SeekForwardKey = nullptr;
    QShortcut* RemoveWordStampKey = nullptr;

    // A dropped file's drag, seen by the window or by the text box and list over it.
    bool acceptFileDrag(QDropEvent* event);
    bool takeFileDrop(QDropEvent* event);

    widgets::Anchors* anchors_ = nullptr;
    bool shown_ = false;
};
