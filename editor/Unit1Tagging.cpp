// The main window's line list while the song plays: filling it from the text box, tagging, returning
// it on Stop, the lyrics preview, and the keys for timing with both hands on the keyboard.

#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShortcut>
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

void TForm1::Memo1Change() {
    MemoEdited = true;
    MarkLyricsChanged();
}

void TForm1::fillLineList() {
    ListBox1->clear();
    Memo1->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    ListBox1->addItems(withoutEmptyLastLine(widgets::displayedLines(*Memo1)));
    MemoEdited = false;
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
    const bool wasUnsaved = Unsaved;
    const QStringList lines = lineListLines();
    // One line each, as lines appended to the box: the text ends with a line break, so an empty
    // last list line survives the next fill.
    Memo1->setPlainText(lines.isEmpty() ? QString() : lines.join(QLatin1Char('\n')) + QLatin1Char('\n'));
    Unsaved = wasUnsaved;
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
    const LiveSettings& settings = liveSettings();
    const QString tag = addLineTag(playTimeOfPress(), settings.offsetSwitch(), settings.offsetEntryText());
    const AddLineOutcome outcome = addLine(list, tag);
    if (outcome.tagged < 0) return;
    PreView->setText(outcome.preview);
    ListBox1->item(outcome.tagged)->setText(list.lines[outcome.tagged]);
    markLine(list.marker);
    if (outcome.recordChange) {
        Unsaved = true;
        MarkLyricsChanged();
    }
}

void TForm1::OutlookBtn2Click() {
    LineList list{lineListLines(), ListBox1->currentRow()};
    const int row = insertBlankLine(list, blankLineText(playTimeOfPress()));
    if (row < 0) return;
    ListBox1->insertItem(row, list.lines[row]);
    markLine(list.marker);
    Unsaved = true;
    MarkLyricsChanged();
}

void TForm1::rebuildPreviewIndex() {
    DoLyricsText->click();
}

void TForm1::DoLyricsTextClick() {
    PreviewIndex = buildPreviewIndex(lineListLines());
}

void TForm1::previewLookup() {
    const int heard = static_cast<int>(std::floor(Clock.latest().value_or(0.0) * 100.0 + 1e-6));
    if (heard < previewFrom_) return;
    if (const std::optional<QString> text = lookUpPreview(PreviewIndex, previewFrom_, heard)) PreView->setText(*text);
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
            if (AddBtn->enabled()) AddBtnClick();
        },
        false);
    AddBlankLineKey = shortcut(
        QKeySequence(Qt::SHIFT | Qt::Key_Space),
        [this] {
            if (AddBlankBtn->enabled()) OutlookBtn2Click();
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
