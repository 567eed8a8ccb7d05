// The main window's word timing (the Play menu's switch, the keys that stamp words and take stamps
// back, the sung word in the preview) and the song's own tags as ID lines.

#include <QAction>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QShortcut>
#include <cmath>

#include "LineTagging.h"
#include "TagEditing.h"
#include "TimeTags.h"
#include "Unit1.h"
#include "WordTiming.h"
#include "platform/widgets/Application.h"
#include "settings/LiveSettings.h"

void TForm1::bindWordHandlers() {
    WordTiming1->setCheckable(true);
    connect(WordTiming1, &QAction::toggled, this, [this](bool on) { SetWordTiming(on); });
    auto* toggle = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_W), this);
    toggle->setContext(Qt::WindowShortcut);
    connect(toggle, &QShortcut::activated, WordTiming1, &QAction::toggle);
    connect(InsertSongTags1, &QAction::triggered, this,
            widgets::reportingFailures(std::function<void()>([this] { InsertSongTagsClick(); })));
    connect(File1, &QMenu::aboutToShow, this, [this] { InsertSongTags1->setEnabled(SongLoaded()); });
    // Backspace belongs to the text box; while tapping words in the list it takes a stamp back.
    RemoveWordStampKey = new QShortcut(QKeySequence(Qt::Key_Backspace), this);
    RemoveWordStampKey->setContext(Qt::WindowShortcut);
    RemoveWordStampKey->setAutoRepeat(false);
    connect(RemoveWordStampKey, &QShortcut::activated, this,
            widgets::reportingFailures(std::function<void()>([this] { RemoveWordStampClick(); })));
    updateTaggingKeys();
}

void TForm1::SetWordTiming(bool on) {
    wordTiming_ = on;
    if (WordTiming1->isChecked() != on) WordTiming1->setChecked(on);
    updateTaggingKeys();
}

QString TForm1::tagOfPress() {
    // A word's stamp is the time "Add Line" would give its line: the same press, the same offset.
    const LiveSettings& settings = liveSettings();
    return addLineTag(playTimeOfPress(), settings.offsetSwitch(), settings.offsetEntryText(),
                      BassdllPlayer1->PracticeSpeed() / 100.0);
}

void TForm1::WordStampClick() {
    LineList list{lineListLines(), ListBox1->currentRow()};
    if (list.lines.isEmpty()) return;
    const LyricsState before = shownLyrics();
    const QString tag = tagOfPress();
    const int stamped = stampWord(list, *tagTime(tag), tag);
    if (stamped >= 0) {
        ListBox1->item(stamped)->setText(list.lines[stamped]);
        showPreview(lineText(list.lines[stamped]));
        MarkLyricsChanged();
    }
    markLine(list.marker);
    recordLyricsChange(QStringLiteral("Word Stamp"), LyricsChange::Kind::tagging, before);
}

void TForm1::WordEndClick() {
    QStringList lines = lineListLines();
    int row = ListBox1->currentRow();
    if (row < 0 || row >= lines.size()) return;
    // Right after the last word the marker has moved on: the end belongs to the line above it.
    if (!hasWordStamps(lines[row])) {
        do {
            --row;
        } while (row >= 0 && (lines[row].trimmed().isEmpty() || isIdLine(lines[row])));
        if (row < 0 || !hasWordStamps(lines[row])) return;
    }
    const LyricsState before = shownLyrics();
    if (!closeLastWord(lines[row], *tagTime(tagOfPress()))) return;
    ListBox1->item(row)->setText(lines[row]);
    MarkLyricsChanged();
    recordLyricsChange(QStringLiteral("Word End"), LyricsChange::Kind::tagging, before);
}

void TForm1::RemoveWordStampClick() {
    QStringList lines = lineListLines();
    const int row = ListBox1->currentRow();
    if (row < 0 || row >= lines.size()) return;
    const LyricsState before = shownLyrics();
    if (!removeLastStamp(lines[row])) return;
    ListBox1->item(row)->setText(lines[row]);
    MarkLyricsChanged();
    recordLyricsChange(QStringLiteral("Remove Stamp"), LyricsChange::Kind::tagging, before);
}

void TForm1::InsertSongTagsClick() {
    if (!SongLoaded()) return;
    const SongTags tags = BassdllPlayer1->Tags();
    const std::vector<IdTag> lines = {
        {QStringLiteral("ar"), tags.artist},
        {QStringLiteral("ti"), tags.title},
        {QStringLiteral("al"), tags.album},
        {QStringLiteral("length"), lengthText(BassdllPlayer1->ExactSongLength())}};
    editEveryLine(QStringLiteral("Insert Song Tags"),
                  [&lines](QStringList& lyrics) { return insertIdLines(lyrics, lines) > 0; });
}

void TForm1::showPreview(const QString& text) {
    previewText_ = text;
    previewHasWords_ = hasWordStamps(text);
    // A line is shown as the text it is; only a timed line is rich text, made here.
    PreView->setTextFormat(previewHasWords_ ? Qt::RichText : Qt::PlainText);
    if (!previewHasWords_) {
        PreView->setText(text);
        return;
    }
    showSungWord();
}

void TForm1::showSungWord() {
    if (!previewHasWords_) return;
    // Stamps are the file's times; the file's offset shows them earlier, as it does the lines.
    const int heard =
        static_cast<int>(std::floor(Clock.latest().value_or(0.0) * 100.0 + 1e-6)) + previewOffset_;
    const QString html = previewWithSungWord(previewText_, heard);
    if (PreView->text() != html) PreView->setText(html);
}
