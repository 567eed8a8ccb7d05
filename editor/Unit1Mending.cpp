// The main window's ways of mending tags without timing the song again (nudging a tag, shifting all
// tags, replaying a line's lead-in) and of slowing the song down to tap fast lines (practice speed),
// with the Play menu that shows the keys for all of them.

#include <QAction>
#include <QActionGroup>
#include <QInputDialog>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QShortcut>
#include <QTextBlock>
#include <QTextCursor>
#include <algorithm>
#include <cmath>

#include "PreviewIndex.h"
#include "TagEditing.h"
#include "Unit1.h"
#include "platform/widgets/Application.h"
#include "platform/widgets/ScrollBar.h"
#include "platform/widgets/TextBoxLines.h"
#include "settings/SettingsCatalogue.h"

namespace {

// A menu entry that shows its key beside it; the key itself is a window shortcut of its own (so it
// works with the menu closed, and only where the window allows it).
QAction* entry(QMenu* menu, const QString& text, const QString& keys) {
    return menu->addAction(keys.isEmpty() ? text : text + QLatin1Char('\t') + keys);
}

bool isPracticeSpeed(int percent) {
    return std::find(std::begin(TForm1::kPracticeSpeeds), std::end(TForm1::kPracticeSpeeds), percent) !=
           std::end(TForm1::kPracticeSpeeds);
}

}  // namespace

void TForm1::createPlayMenu() {
    Play1 = menuBar()->addMenu(QStringLiteral("Play"));
    PlayPause1 = entry(Play1, QStringLiteral("&Play/Pause"), QStringLiteral("Ctrl+P"));
    Stop1 = entry(Play1, QStringLiteral("&Stop"), QStringLiteral("Ctrl+."));
    Back1 = entry(Play1, QStringLiteral("&Back 5 s"), QStringLiteral("Ctrl+Left"));
    Forward1 = entry(Play1, QStringLiteral("&Forward 5 s"), QStringLiteral("Ctrl+Right"));
    Play1->addSeparator();
    Replay1 = entry(Play1, QStringLiteral("&Replay Line"), QStringLiteral("Ctrl+R"));
    NudgeEarlier1 = entry(Play1, QStringLiteral("Nudge Tag &Earlier"), QStringLiteral("Alt+Left"));
    NudgeLater1 = entry(Play1, QStringLiteral("Nudge Tag &Later"), QStringLiteral("Alt+Right"));
    NudgeEarlierFine1 =
        entry(Play1, QStringLiteral("Nudge Tag Earlier (Fine)"), QStringLiteral("Shift+Alt+Left"));
    NudgeLaterFine1 =
        entry(Play1, QStringLiteral("Nudge Tag Later (Fine)"), QStringLiteral("Shift+Alt+Right"));
    Play1->addSeparator();
    auto* speeds = new QActionGroup(this);
    speeds->setExclusive(true);
    for (const int percent : kPracticeSpeeds) {
        QAction* speed = Play1->addAction(QStringLiteral("Speed &%1 %").arg(percent));
        speed->setCheckable(true);
        speed->setChecked(percent == 100);
        speed->setData(percent);
        speeds->addAction(speed);
        SpeedEntries.push_back(speed);
    }
    Slower1 = entry(Play1, QStringLiteral("Slo&wer"), QStringLiteral("Ctrl+Down"));
    Faster1 = entry(Play1, QStringLiteral("Fas&ter"), QStringLiteral("Ctrl+Up"));
    Play1->addSeparator();
    WordTiming1 = entry(Play1, QStringLiteral("Word t&iming"), QStringLiteral("Ctrl+W"));
}

void TForm1::bindMendingHandlers() {
    using widgets::reportingFailures;
    const auto onTriggered = [this](QAction* action, std::function<void()> handler) {
        connect(action, &QAction::triggered, this, reportingFailures(std::move(handler)));
    };
    const auto key = [this](const QKeySequence& keys, std::function<void()> action) {
        auto* shortcut = new QShortcut(keys, this);
        shortcut->setContext(Qt::WindowShortcut);
        connect(shortcut, &QShortcut::activated, this, widgets::reportingFailures(std::move(action)));
    };
    const auto nudge = [this](int hundredths) { return [this, hundredths] { NudgeTagClick(hundredths); }; };

    // The transport entries do what their keys do.
    onTriggered(PlayPause1, [this] { PlayOrPauseByKey(); });
    onTriggered(Stop1, [this] {
        if (StopBtn->enabled()) StopBtnClick();
    });
    onTriggered(Back1, [this] { seekByKey(-5); });
    onTriggered(Forward1, [this] { seekByKey(5); });
    connect(Play1, &QMenu::aboutToShow, this, [this] {
        PlayPause1->setEnabled(PlayBtn->enabled() || PauseBtn->enabled());
        Stop1->setEnabled(StopBtn->enabled());
        const bool seekable = lineListShown() && AddBtn->enabled() && ScrollBarPos->isEnabled();
        Back1->setEnabled(seekable);
        Forward1->setEnabled(seekable);
        Replay1->setEnabled(SongLoaded());
    });

    for (auto [action, keys, handler] :
         {std::tuple{Replay1, QKeySequence(Qt::CTRL | Qt::Key_R),
                     std::function<void()>([this] { ReplayClick(); })},
          std::tuple{NudgeEarlier1, QKeySequence(Qt::ALT | Qt::Key_Left),
                     std::function<void()>(nudge(-kNudgeStep))},
          std::tuple{NudgeLater1, QKeySequence(Qt::ALT | Qt::Key_Right),
                     std::function<void()>(nudge(kNudgeStep))},
          std::tuple{NudgeEarlierFine1, QKeySequence(Qt::SHIFT | Qt::ALT | Qt::Key_Left),
                     std::function<void()>(nudge(-kFineNudgeStep))},
          std::tuple{NudgeLaterFine1, QKeySequence(Qt::SHIFT | Qt::ALT | Qt::Key_Right),
                     std::function<void()>(nudge(kFineNudgeStep))},
          std::tuple{Slower1, QKeySequence(Qt::CTRL | Qt::Key_Down),
                     std::function<void()>([this] { StepPracticeSpeed(-1); })},
          std::tuple{Faster1, QKeySequence(Qt::CTRL | Qt::Key_Up),
                     std::function<void()>([this] { StepPracticeSpeed(1); })}}) {
        onTriggered(action, handler);
        key(keys, handler);
    }
    for (QAction* speed : SpeedEntries) {
        onTriggered(speed, [this, speed] { SetPracticeSpeed(speed->data().toInt()); });
    }
    onTriggered(ShiftAllTags1, [this] { ShiftAllTagsClick(); });
    onTriggered(ApplyOffset1, [this] { ApplyOffsetClick(); });
    connect(ListBox1, &QListWidget::itemDoubleClicked, this,
            reportingFailures(std::function<void()>([this] { replayRow(ListBox1->currentRow()); })));
}

// ---------------------------------------------------------------- nudging and shifting

void TForm1::NudgeTagClick(int hundredths) {
    const LyricsState before = shownLyrics();
    if (lineListShown()) {
        QStringList lines = lineListLines();
        const std::optional<int> changed = nudgeTag(lines, ListBox1->currentRow(), hundredths);
        if (!changed) return;
        writeShownLine(*changed, lines[*changed]);
    } else {
        QStringList lines = Memo1->toPlainText().split(QLatin1Char('\n'));
        QTextCursor cursor = Memo1->textCursor();
        const std::optional<int> changed = nudgeTag(lines, cursor.blockNumber(), hundredths);
        if (!changed) return;
        writeShownLine(*changed, lines[*changed]);
    }
    MarkLyricsChanged();
    recordLyricsChange(QStringLiteral("Nudge Tag"), LyricsChange::Kind::tagging, before);
    showPreviewAfterTagEdit();
}

void TForm1::ShiftAllTagsClick() {
    std::optional<int> milliseconds;
    if (AskShiftMilliseconds) {
        milliseconds = AskShiftMilliseconds();
    } else {
        bool ok = false;
        const int value = QInputDialog::getInt(
            this, QStringLiteral("Shift All Tags"),
            QStringLiteral("Move every tag by this many milliseconds\n(negative moves them earlier):"), 0,
            -3'600'000, 3'600'000, 10, &ok);
        if (ok) milliseconds = value;
    }
    if (milliseconds && *milliseconds != 0) shiftAllTagsBy(*milliseconds);
}

void TForm1::shiftAllTagsBy(int milliseconds) {
    editEveryLine(QStringLiteral("Shift All Tags"),
                  [milliseconds](QStringList& lines) { return shiftAllTags(lines, milliseconds) > 0; });
}

void TForm1::ApplyOffsetClick() {
    editEveryLine(QStringLiteral("Apply Offset"), applyFileOffset);
}

void TForm1::editEveryLine(const QString& name, const std::function<bool(QStringList&)>& change) {
    const LyricsState before = shownLyrics();
    if (lineListShown()) {
        QStringList lines = lineListLines();
        if (!change(lines)) return;
        if (lines.size() == ListBox1->count()) {
            for (int i = 0; i < lines.size(); ++i) {
                if (ListBox1->item(i)->text() != lines[i]) ListBox1->item(i)->setText(lines[i]);
            }
        } else {
            // Lines go from the head of the lyrics (an offset line): the marker stays on its line.
            const int row = ListBox1->currentRow() - (ListBox1->count() - static_cast<int>(lines.size()));
            ListBox1->clear();
            ListBox1->addItems(lines);
            if (!lines.isEmpty()) markLine(std::clamp(row, 0, static_cast<int>(lines.size()) - 1));
        }
    } else {
        QStringList lines = Memo1->toPlainText().split(QLatin1Char('\n'));
        if (!change(lines)) return;
        const int position = Memo1->textCursor().position();
        {
            ProgramEdit edit(*this);
            Memo1->setPlainText(lines.join(QLatin1Char('\n')));
        }
        QTextCursor cursor = Memo1->textCursor();
        cursor.setPosition(std::min(position, Memo1->document()->characterCount() - 1));
        Memo1->setTextCursor(cursor);
    }
    MarkLyricsChanged();
    recordLyricsChange(name, LyricsChange::Kind::tagging, before);
    showPreviewAfterTagEdit();
}

void TForm1::showPreviewAfterTagEdit() {
    if (!lineListShown()) return;
    rebuildPreviewIndex();
    const int heard = static_cast<int>(std::floor(Clock.latest().value_or(0.0) * 100.0 + 1e-6));
    const std::optional<QString> text = lookUpPreview(PreviewIndex, 0, heard);
    showPreview(text.value_or(QString()));
    previewFrom_ = heard + 1;
}

// ---------------------------------------------------------------- replay

void TForm1::ReplayClick() {
    if (!SongLoaded()) return;
    if (lineListShown()) {
        replayRow(ListBox1->currentRow());
        return;
    }
    // In the text box, the line under the cursor; the list it turns into marks the same line.
    const int paragraph = Memo1->textCursor().blockNumber();
    const double start = replayStart(Memo1->toPlainText().split(QLatin1Char('\n')), paragraph);
    replayFrom(start, -1);
    // The list holds the box's displayed lines, so a wrapped paragraph above counts its rows.
    const int row = widgets::firstDisplayedLineOf(*Memo1, paragraph);
    if (row >= 0 && row < ListBox1->count()) markLine(row);
}

void TForm1::replayRow(int row) {
    if (!SongLoaded() || row < 0) return;
    replayFrom(replayStart(lineListLines(), row), row);
}

void TForm1::replayFrom(double seconds, int markRow) {
    // The song starts (or goes on) where the replay starts, never from its beginning first.
    BassdllPlayer1->PlayFrom(seconds);
    if (!lineListShown() || !State.playing()) PlayBtnClick();
    restartClock(BassdllPlayer1->AudiblePosition());
    rebuildPreviewIndex();
    showPreview(QString());
    State.play();
    ScrollBarPos->setValue(static_cast<int>(seconds));
    showHeardTime(seconds);
    if (markRow >= 0 && markRow < ListBox1->count()) markLine(markRow);
}

// ---------------------------------------------------------------- practice speed

void TForm1::SetPracticeSpeed(int percent) {
    applyPracticeSpeed(percent);
    // Kept at once: the speed is a choice of its own, not part of what closing stores.
    settings::write(settings::kPracticeSpeed, BassdllPlayer1->PracticeSpeed());
}

void TForm1::applyPracticeSpeed(int percent) {
    // A stored value from elsewhere that is no speed of the menu plays at the song's own.
    if (!isPracticeSpeed(percent)) percent = 100;
    BassdllPlayer1->SetPracticeSpeed(percent);
    for (QAction* speed : SpeedEntries) speed->setChecked(speed->data().toInt() == percent);
    showPracticeSpeed();
}

void TForm1::StepPracticeSpeed(int steps) {
    // The list runs from fastest to slowest: a step slower is a step along it.
    const auto* begin = std::begin(kPracticeSpeeds);
    const auto* end = std::end(kPracticeSpeeds);
    const auto* now = std::find(begin, end, BassdllPlayer1->PracticeSpeed());
    const long index = now == end ? 0 : now - begin;
    const long next = std::clamp<long>(index - steps, 0, static_cast<long>(end - begin) - 1);
    if (next != index || now == end) SetPracticeSpeed(kPracticeSpeeds[next]);
}

void TForm1::loadPracticeSpeed() {
    applyPracticeSpeed(settings::read(settings::kPracticeSpeed));
}

void TForm1::showPracticeSpeed() {
    const int percent = BassdllPlayer1->PracticeSpeed();
    const QString note = percent == 100 ? QString() : QStringLiteral("Speed %1 %").arg(percent);
    if (SpeedNote->caption() != note) SpeedNote->setCaption(note);
}
