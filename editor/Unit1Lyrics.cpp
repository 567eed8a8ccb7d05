// The main window's lyrics file: saving it, the save prompt before an open or a close, and loading
// the lyrics of a song that is opened.

#include <QAction>
#include <QFileInfo>
#include <QListWidget>
#include <QPlainTextEdit>

#include "LineTagging.h"
#include "LyricsFile.h"
#include "Unit1.h"
#include "WordTiming.h"
#include "platform/widgets/TextBoxLines.h"
#include "settings/LiveSettings.h"
#include "settings/Utility.h"

QString TForm1::LyricsFilePath() const {
    const LiveSettings& settings = liveSettings();
    return ::LyricsFilePath(State.songPath(), settings.lyricsLocationSwitch(), settings.lyricsDirectory());
}

QStringList TForm1::textBoxLines() const {
    return withoutEmptyLastLine(rowsKeepingTimedParagraphs(widgets::displayedLines(*Memo1),
                                                           widgets::displayedLineParagraphs(*Memo1),
                                                           Memo1->toPlainText().split(QLatin1Char('\n'))));
}

QStringList TForm1::lyricsLines() const {
    if (lineListShown()) return lineListLines();
    return textBoxLines();
}

bool TForm1::SaveBtnClick() {
    QString path;
    if (State.songPath().isEmpty()) {
        // No song yet, so no name to save under: ask for one.
        if (!SaveDialog1.Execute(this)) return false;
        path = SaveDialog1.FileName;
    } else {
        path = LyricsFilePath();
    }
    writeLyricsFile(path, lyricsLines());
    loadButtonImage(*SaveBtn, QStringLiteral("save"));
    SaveBtn->invalidate();
    Savelyricfile1->setEnabled(false);
    State.save();
    return true;
}

int TForm1::AskSaveChanges() {
    return ShowMessageDialog(saveChangesQuestion(State.songPath()), QStringLiteral("Quillon"), mtConfirmation,
                             mbYes | mbNo | mbCancel);
}

TForm1::OpenConsent TForm1::askToSaveBeforeOpening() {
    if (!State.unsaved()) return OpenConsent::keepLyrics;
    switch (AskSaveChanges()) {
        case mrYes:
            // A save that fails throws, and the open does not go on; one cancelled in its file
            // dialog (no song open yet) ends the open too, as nothing was saved.
            return SaveBtnClick() ? OpenConsent::keepLyrics : OpenConsent::cancel;
        case mrNo:
            return OpenConsent::dropLyrics;
        default:
            return OpenConsent::cancel;
    }
}

void TForm1::askToSaveBeforeClosing(bool& CanClose) {
    if (!State.unsaved()) return;
    switch (AskSaveChanges()) {
        case mrYes:
            CanClose = SaveBtnClick();
            break;
        case mrNo:
            break;
        default:
            CanClose = false;
            break;
    }
}

void TForm1::loadLyricsFileForOpenedSong() {
    const QString path = LyricsFilePath();
    if (!QFileInfo::exists(path)) return;
    const QString text = readLyricsFile(path);
    ProgramEdit edit(*this);
    Memo1->setPlainText(text);
}
