// The main window's line list while the song plays: filling it from the text box, tagging, returning
// it on Stop, the lyrics preview, and the keys for timing with both hands on the keyboard.

#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShortcut>
#include <QUndoStack>
#include <algorithm>
#include <cmath>

#include "LineTagging.h"
#include "PreviewIndex.h"
#include "TimeTags.h"
#include "Unit1.h"
#include "platform/widgets/Application.h"
#include "platform/widgets/ScrollBar.h"
#include "platform/widgets/TextBoxLines.h"
#include "settings/LiveSettings.h"

namespace {
constexpr int kKeyboardSeekSeconds = 5;
}  // namespace

QStringList TForm1::lineListLines() const {
    QStringList lines;
    lines.reserve(ListBox1->count());
    for (int i = 0; i < ListBox1->count(); ++i) lines << ListBox1->item(i)->text();
    return lines;
}

bool TForm1::lineListShown() const {
    return !ListBox1->isHidden();
}

void TForm1::markLine(int row) {
    ListBox1->setCurrentRow(row);
    if (QListWidgetItem* item = ListBox1->item(row)) ListBox1->scrollToItem(item);
}

TForm1::ProgramEdit::ProgramEdit(TForm1& form) : form_(form), was_(form.programEdit_) {
    form.programEdit_ = true;
}

TForm1::ProgramEdit::~ProgramEdit() {
    form_.programEdit_ = was_;
    form_.memoText_ = form_.Memo1->toPlainText();
}

void TForm1::Memo1Change() {
    if (programEdit_) {
        // Whoever replaced the text says whether the lyrics changed; Save lights up either way.
        State.replaceText();
        lightSaveButton();
        return;
    }
    State.typeText();
    lightSaveButton();
    const QString text = Memo1->toPlainText();
    if (text == memoText_) return;
    const LyricsState before{memoText_, -1};
    memoText_ = text;
    recordLyricsChange(QStringLiteral("Typing"), LyricsChange::Kind::typing, before);
}

LyricsState TForm1::shownLyrics() const {
    if (!lineListShown()) return {Memo1->toPlainText(), -1};
    const QStringList lines = lineListLines();
    return {lines.isEmpty() ? QString() : lines.join(QLatin1Char('\n')) + QLatin1Char('\n'),
            ListBox1->currentRow()};
}

void TForm1::showLyrics(const LyricsState& state) {
    ProgramEdit edit(*this);
    if (lineListShown()) {
        ListBox1->clear();
        ListBox1->addItems(withoutEmptyLastLine(state.text.split(QLatin1Char('\n'))));
        // The list holds the lyrics now; the text box takes them back at Stop.
        State.takeLines();
        if (ListBox1->count() > 0) markLine(std::clamp(state.marker, 0, ListBox1->count() - 1));
    } else {
        Memo1->setPlainText(state.text);
    }
    MarkLyricsChanged();
}

void TForm1::recordLyricsChange(const QString& name, LyricsChange::Kind kind, const LyricsState& before) {
    LyricsState after = shownLyrics();
    if (after.text == before.text) return;
    State.history().push(new LyricsChange(name, kind, before, std::move(after),
                                          [this](const LyricsState& state) { showLyrics(state); }));
}

void TForm1::fillLineList() {
    ListBox1->clear();
    Memo1->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    ListBox1->addItems(textBoxLines());
    State.takeLines();
    if (ListBox1->count() > 0) markLine(firstMarkedLine(lineListLines()));
}

void TForm1::showLineList() {
    ListBox1->setGeometry(Memo1->geometry());
    const bool memoHadFocus = Memo1->hasFocus();
    ListBox1->show();
    Memo1->hide();
    if (memoHadFocus || focusWidget() == nullptr || !focusWidget()->isVisible()) ListBox1->setFocus();
    updateTaggingKeys();
}

void TForm1::returnLineList() {
    ProgramEdit edit(*this);
    const QStringList lines = lineListLines();
    // One line each, as lines appended to the box: the text ends with a line break, so an empty
    // last list line survives the next fill.
    Memo1->setPlainText(lines.isEmpty() ? QString() : lines.join(QLatin1Char('\n')) + QLatin1Char('\n'));
    const bool listHadFocus = ListBox1->hasFocus();
    ListBox1->hide();
    Memo1->show();
    if (listHadFocus) Memo1->setFocus();
    if (ListBox1->count() > 0) markLine(0);
    updateTaggingKeys();
}

void TForm1::AddBtnClick() {
    LineList list{lineListLines(), ListBox1->currentRow()};
    if (list.lines.isEmpty()) return;
    const LyricsState before = shownLyrics();
    const LiveSettings& settings = liveSettings();
    const QString tag = addLineTag(playTimeOfPress(), settings.offsetSwitch(), settings.offsetEntryText(),
                                   BassdllPlayer1->PracticeSpeed() / 100.0);
    const AddLineOutcome outcome = addLine(list, tag);
    if (outcome.tagged < 0) return;
    showPreview(outcome.preview);
    ListBox1->item(outcome.tagged)->setText(list.lines[outcome.tagged]);
    markLine(list.marker);
    if (outcome.recordChange) MarkLyricsChanged();
    recordLyricsChange(QStringLiteral("Add Line"), LyricsChange::Kind::tagging, before);
}

void TForm1::OutlookBtn2Click() {
    const LyricsState before = shownLyrics();
    LineList list{lineListLines(), ListBox1->currentRow()};
    const int row = insertBlankLine(list, blankLineText(playTimeOfPress()));
    if (row < 0) return;
    ListBox1->insertItem(row, list.lines[row]);
    markLine(list.marker);
    MarkLyricsChanged();
    recordLyricsChange(QStringLiteral("Add Blank Line"), LyricsChange::Kind::tagging, before);
}

void TForm1::rebuildPreviewIndex() {
    DoLyricsText->click();
}

void TForm1::DoLyricsTextClick() {
    const QStringList lines = lineListLines();
    PreviewIndex = buildPreviewIndex(lines);
    previewOffset_ = static_cast<int>(std::lround(fileOffsetMilliseconds(lines).value_or(0) / 10.0));
}

void TForm1::previewLookup() {
    const int heard = static_cast<int>(std::floor(Clock.latest().value_or(0.0) * 100.0 + 1e-6));
    if (heard < previewFrom_) return;
    if (const std::optional<QString> text = lookUpPreview(PreviewIndex, previewFrom_, heard))
        showPreview(*text);
    showSungWord();
    previewFrom_ = heard + 1;
}

void TForm1::createKeyboardShortcuts() {
    const auto shortcut = [this](const QKeySequence& keys, std::function<void()> action, bool autoRepeat) {
        auto* keysShortcut = new QShortcut(keys, this);
        keysShortcut->setContext(Qt::WindowShortcut);
        keysShortcut->setAutoRepeat(autoRepeat);
        connect(keysShortcut, &QShortcut::activated, this, widgets::reportingFailures(std::move(action)));
        return keysShortcut;
    };
    shortcut(
        QKeySequence(Qt::CTRL | Qt::Key_P), [this] { PlayOrPauseByKey(); }, false);
    shortcut(
        QKeySequence(Qt::CTRL | Qt::Key_Period),
        [this] {
            if (StopBtn->enabled()) StopBtnClick();
        },
        false);
    // Tapping along: holding a key down must not tag a run of lines.
    AddLineKey = shortcut(
        QKeySequence(Qt::Key_Space),
        [this] {
            if (!AddBtn->enabled()) return;
            if (wordTiming_) {
                WordStampClick();
            } else {
                AddBtnClick();
            }
        },
        false);
    AddBlankLineKey = shortcut(
        QKeySequence(Qt::SHIFT | Qt::Key_Space),
        [this] {
            if (!AddBlankBtn->enabled()) return;
            if (wordTiming_) {
                WordEndClick();
            } else {
                OutlookBtn2Click();
            }
        },
        false);
    SeekBackKey = shortcut(
        QKeySequence(Qt::CTRL | Qt::Key_Left), [this] { seekByKey(-kKeyboardSeekSeconds); }, true);
    SeekForwardKey = shortcut(
        QKeySequence(Qt::CTRL | Qt::Key_Right), [this] { seekByKey(kKeyboardSeekSeconds); }, true);
    updateTaggingKeys();
}

void TForm1::updateTaggingKeys() {
    // Only while the list is shown: otherwise Space and Ctrl+arrows belong to the text box.
    for (QShortcut* key : {AddLineKey, AddBlankLineKey, SeekBackKey, SeekForwardKey}) {
        if (key != nullptr) key->setEnabled(lineListShown());
    }
    if (RemoveWordStampKey != nullptr) RemoveWordStampKey->setEnabled(lineListShown() && wordTiming_);
}

void TForm1::PlayOrPauseByKey() {
    if (PlayBtn->enabled()) {
        PlayBtnClick();
    } else if (PauseBtn->enabled()) {
        PauseBtnClick();
    }
}

void TForm1::seekByKey(int seconds) {
    if (!lineListShown() || !AddBtn->enabled() || !ScrollBarPos->isEnabled()) return;
    const int target =
        std::clamp(ScrollBarPos->value() + seconds, ScrollBarPos->minimum(), ScrollBarPos->maximum());
    // As a scroll of the position bar: the notification before the bar moves, then the move, which
    // takes the player along; while playing, the bar follows the player again at once, as it does
    // when the pointer leaves it.
    ScrollBarPosScroll();
    ScrollBarPos->setValue(target);
    ScrollBarPosMouseLeave();
}
