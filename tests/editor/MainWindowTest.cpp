#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QElapsedTimer>
#include <QTimer>

#include "audio/Bass_Dynamic.h"
#include "editor/SongState.h"
#include "editor/Unit1.h"
#include "platform/resources/ResourceTable.h"
#include "platform/system/Errors.h"
#include "platform/widgets/Application.h"
#include "platform/widgets/IntervalTimer.h"
#include "platform/widgets/ScrollBar.h"
#include "platform/windowless/WindowlessHost.h"

namespace {

QRect geometryOf(const TOutlookBtn& button) {
    return {button.left(), button.top(), button.width(), button.height()};
}

bool libraryLoaded() {
    if (bassdll::BassLibraryLoaded()) return true;
    QString problem;
    return bassdll::LoadBassLibrary(bassdll::systemLibraryLoader(QStringLiteral(QUILLON_AUDIO_LIBRARY)), problem);
}

// A main window as created, before it shows (and loads the stored settings).
struct CreatedWindow {
    bool loaded = libraryLoaded();
    TForm1 form;
};

struct ShownWindow {
    bool loaded = libraryLoaded();
    TForm1 form;
    ShownWindow() {
        form.show();
        QApplication::processEvents();
    }
};

}  // namespace

TEST(MainWindowDesign, WindowAndTextControls) {
    CreatedWindow w;
    TForm1& f = w.form;
    EXPECT_EQ(f.windowTitle(), QStringLiteral("Quillon"));
    EXPECT_EQ(f.ClientArea->size(), QSize(469, 346));
    EXPECT_EQ(f.minimumWidth(), 469);
    EXPECT_EQ(f.maximumWidth(), 469);
    EXPECT_EQ(f.font().family(), QStringLiteral("Tahoma"));
    EXPECT_EQ(f.font().pixelSize(), 11);
    EXPECT_EQ(f.palette().color(QPalette::Window), QColor(192, 192, 192));
    EXPECT_FALSE(f.windowIcon().isNull());

    EXPECT_EQ(f.Memo1->geometry(), QRect(8, 4, 453, 139));
    EXPECT_EQ(f.Memo1->lineWrapMode(), QPlainTextEdit::WidgetWidth);
    EXPECT_EQ(f.Memo1->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    EXPECT_EQ(f.Memo1->toPlainText().count(QStringLiteral("-  ")), 9) << "nine steps, the keys among them";
    for (const QString& line : f.Memo1->toPlainText().split(QLatin1Char('\n'))) {
        EXPECT_TRUE(line.startsWith(QStringLiteral("-  ")) || line.startsWith(QStringLiteral("   "))) << line.toStdString();
    }
    EXPECT_FALSE(f.ListBox1->isVisible());
    EXPECT_EQ(f.ListBox1->selectionMode(), QAbstractItemView::SingleSelection);
    f.ListBox1->addItem(QStringLiteral("line"));
    EXPECT_EQ(f.ListBox1->sizeHintForRow(0), 13);

    EXPECT_EQ(f.GroupBox1->geometry(), QRect(8, 184, 454, 156));
    EXPECT_EQ(f.GroupBox2->geometry(), QRect(8, 147, 454, 41));
    EXPECT_EQ(f.GroupBox2->title(), QStringLiteral(" Lyrics "));
    EXPECT_EQ(f.PreView->size(), QSize(438, 14));
    EXPECT_TRUE(f.PreView->text().isEmpty());
    EXPECT_FALSE(f.DoLyricsText->isVisible());
    EXPECT_EQ(f.Timer1->interval(), 0);
    EXPECT_EQ(f.Timer2->interval(), 50);
    EXPECT_TRUE(f.OpenDialog1.Filter.startsWith(QStringLiteral("All supported|*.wav;*.mp1;*.mp2;*.mp3;*.ogg|")));

    f.show();
    QApplication::processEvents();
    EXPECT_EQ(f.minimumHeight() - (f.height() - f.ClientArea->height()), 346) << "the design minimum";
}

TEST(MainWindowDesign, PlayerPanelControls) {
    CreatedWindow w;
    TForm1& f = w.form;
    EXPECT_EQ(f.SongName->caption(), QString(45, QLatin1Char('-')));
    EXPECT_EQ(f.SongName->style(), bsNone);
    EXPECT_EQ(geometryOf(*f.SongName), QRect(3, 12, 230, 17));
    EXPECT_TRUE(f.SongName->font().bold && f.SongName->font().italic);
    EXPECT_EQ(f.SongName->font().pixelHeight, 12);
    EXPECT_EQ(f.PlayTime->caption(), QStringLiteral("00:00.0"));
    EXPECT_EQ(f.PlayTime->font().pixelHeight, 27);
    EXPECT_EQ(geometryOf(*f.PlayTime), QRect(68, 32, 105, 30));
    EXPECT_EQ(geometryOf(*f.PlayTimeMSTotal), QRect(182, 46, 50, 14));
    EXPECT_EQ(f.LabelPlayTime->caption(), QStringLiteral("Play Time:"));

    EXPECT_EQ(geometryOf(*f.StopBtn), QRect(6, 70, 25, 25));
    EXPECT_EQ(geometryOf(*f.PauseBtn), QRect(35, 70, 25, 25));
    EXPECT_EQ(geometryOf(*f.PlayBtn), QRect(64, 70, 25, 25));
    EXPECT_EQ(geometryOf(*f.AddBtn), QRect(93, 70, 217, 25));
    EXPECT_EQ(geometryOf(*f.AddBlankBtn), QRect(315, 70, 132, 25));
    EXPECT_EQ(geometryOf(*f.OpenBtn), QRect(111, 120, 30, 30));
    for (TOutlookBtn* button : {f.StopBtn.get(), f.PauseBtn.get(), f.PlayBtn.get(), f.AddBtn.get(),
                                f.AddBlankBtn.get(), f.ExitBtn.get(), f.WebBtn.get(), f.SaveBtn.get(), f.OpenBtn.get()}) {
        EXPECT_EQ(button->style(), bsMSOffice);
        EXPECT_FALSE(button->accessibleName().isEmpty());
    }
    EXPECT_EQ(f.SaveBtn->hint(), QStringLiteral("Save lyrics file  [*.lrc]"));
    EXPECT_EQ(f.OpenBtn->hint(), QStringLiteral("Open mp3 file"));
    EXPECT_TRUE(f.ExitBtn->showHint());

    EXPECT_EQ(f.ScrollBarPos->geometry(), QRect(7, 100, 439, 12));
    EXPECT_EQ(f.ScrollBarPos->pageStep(), 0);
    EXPECT_EQ(f.ScrollBarVol->value(), 100);
    EXPECT_EQ(f.ScrollBarVol->maximum(), 100);
    EXPECT_EQ(f.ProgressBar2->geometry(), QRect(304, 136, 147, 9));
    EXPECT_EQ(f.ProgressBar1->geometry(), QRect(304, 145, 147, 9));
}

TEST(MainWindowShow, DisablesTheSixButtonsWithTheirDimImagesAndSetsTheMeters) {
    ShownWindow w;
    TForm1& f = w.form;
    const std::pair<TOutlookBtn*, const char*> buttons[] = {
        {f.SaveBtn.get(), "save"}, {f.StopBtn.get(), "stop"}, {f.PauseBtn.get(), "pause"},
        {f.PlayBtn.get(), "play"}, {f.AddBtn.get(), "add"},   {f.AddBlankBtn.get(), "addblank"}};
    for (const auto& [button, image] : buttons) {
        EXPECT_FALSE(button->enabled()) << image;
        EXPECT_EQ(button->bitmap(), resources::loadBitmapResource(QString::fromLatin1(image))) << image;
    }
    EXPECT_TRUE(f.OpenBtn->enabled());
    EXPECT_EQ(f.ProgressBar1->maximum(), 32768);
    EXPECT_EQ(f.ProgressBar2->maximum(), 32768);
    EXPECT_TRUE(f.Seeking);
    EXPECT_TRUE(f.NotPlaying);
    EXPECT_FALSE(f.Unsaved);
    EXPECT_FALSE(f.Savelyricfile1->isEnabled());
    EXPECT_FALSE(f.ScrollBarPos->isEnabled());
}

TEST(MainWindowResize, MemoGrowsWithTheHeightAndTheListFollowsWhileTheWidthStays) {
    ShownWindow w;
    TForm1& f = w.form;
    f.ListBox1->show();
    const int before = f.Memo1->height();
    const int groupTop = f.GroupBox1->y();
    f.resize(f.width() + 50, f.height() + 100);
    QApplication::processEvents();
    EXPECT_EQ(f.width(), 469);
    EXPECT_EQ(f.Memo1->height(), before + 100);
    EXPECT_EQ(f.ListBox1->size(), f.Memo1->size());
    EXPECT_EQ(f.GroupBox1->y(), groupTop + 100) << "the panel stays at the bottom";
    EXPECT_EQ(f.GroupBox2->y() + f.GroupBox2->height(), f.GroupBox1->y() + 4);
}

TEST(MainWindowLyricsChange, WithoutASongOnlyTheMenuEntryLightsUp) {
    ShownWindow w;
    TForm1& f = w.form;
    EXPECT_FALSE(f.SongLoaded());
    f.Memo1->setPlainText(QStringLiteral("typed"));
    EXPECT_TRUE(f.MemoEdited);
    EXPECT_FALSE(f.Unsaved);
    EXPECT_FALSE(f.SaveBtn->enabled());
    EXPECT_TRUE(f.Savelyricfile1->isEnabled());
}

TEST(MainWindowLyricsChange, WithASongTheLyricsBecomeUnsavedAndSaveLightsUp) {
    ShownWindow w;
    TForm1& f = w.form;
    f.SongName->setCaption(QStringLiteral(" My Song"));
    ASSERT_TRUE(f.SongLoaded());
    f.MarkLyricsChanged();
    EXPECT_TRUE(f.Unsaved);
    EXPECT_TRUE(f.SaveBtn->enabled());
    EXPECT_EQ(f.SaveBtn->bitmap(), resources::loadBitmapResource(QStringLiteral("save_active")));
    EXPECT_TRUE(f.Savelyricfile1->isEnabled());
}

TEST(SongState, TenDashesMeanNoSong) {
    EXPECT_FALSE(songIsLoaded(kNoSongCaption));
    EXPECT_FALSE(songIsLoaded(QStringLiteral(" a ---------- b")));
    EXPECT_TRUE(songIsLoaded(QStringLiteral(" Song --------- nine dashes")));
    EXPECT_TRUE(songIsLoaded(QString()));
}

TEST(MainWindowClose, ExitClosesTheWindowThroughTheCloseRequest) {
    ShownWindow w;
    TForm1& f = w.form;
    ASSERT_TRUE(f.isVisible());
    f.ExitBtnClick();
    EXPECT_FALSE(f.isVisible());
}

TEST(DefaultErrorDialog, AppendsAFullStopOnlyAfterCharactersAboveIt) {
    EXPECT_EQ(errors::errorDialogText(QStringLiteral("Kaputt")), QStringLiteral("Kaputt."));
    EXPECT_EQ(errors::errorDialogText(QStringLiteral("Done.")), QStringLiteral("Done."));
    EXPECT_EQ(errors::errorDialogText(QStringLiteral("Why?")), QStringLiteral("Why?.")) << "'?' lies above '.' in code";
    EXPECT_EQ(errors::errorDialogText(QStringLiteral("Oops!")), QStringLiteral("Oops!"));
    EXPECT_EQ(errors::errorDialogText(QStringLiteral("a-")), QStringLiteral("a-"));
    EXPECT_EQ(errors::errorDialogText(QString()), QString());
    EXPECT_EQ(errors::EConvertError(QStringLiteral("x1")).message(), QStringLiteral("'x1' ist kein gültiger Integerwert"));
    EXPECT_EQ(errors::EFOpenError(QStringLiteral("/a/b.lrc"), QStringLiteral("No such file")).message(),
              QStringLiteral("Datei /a/b.lrc kann nicht geöffnet werden. No such file"));
}

TEST(DefaultErrorDialog, AFailureInAHandlerIsShownAndTheProgramGoesOn) {
    QStringList shown;
    widgets::Application::setErrorReporter([&shown](const QString& text) { shown << text; });
    bool after = false;
    QTimer::singleShot(0, [] { throw errors::EConvertError(QStringLiteral("abc")); });
    QTimer::singleShot(5, [&after] { after = true; });
    QElapsedTimer clock;
    clock.start();
    while (!after && clock.elapsed() < 2000) QApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 50);
    widgets::Application::setErrorReporter({});
    EXPECT_EQ(shown, (QStringList{"'abc' ist kein gültiger Integerwert."}));
    EXPECT_TRUE(after);
}
