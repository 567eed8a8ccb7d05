#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>

#include "audio/Bass_Dynamic.h"
#include "editor/SongState.h"
#include "editor/Unit1.h"
#include "platform/resources/ResourceTable.h"
#include "platform/system/Errors.h"
#include "platform/widgets/Application.h"
#include "platform/widgets/IntervalTimer.h"
#include "platform/widgets/MessageBox.h"
#include "platform/widgets/ScrollBar.h"
#include "platform/windowless/PictureControl.h"
#include "platform/windowless/WindowlessHost.h"

namespace {

QRect geometryOf(const TOutlookBtn& button) {
    return {button.left(), button.top(), button.width(), button.height()};
}

bool libraryLoaded() {
    if (bassdll::BassLibraryLoaded()) return true;
    QString problem;
    return bassdll::LoadBassLibrary(bassdll::systemLibraryLoader(QStringLiteral(QUILLON_AUDIO_LIBRARY)),
                                    problem);
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

TEST(MainWindowLayout, TheWindowAndItsTextBox) {
    CreatedWindow w;
    TForm1& f = w.form;
    EXPECT_EQ(f.windowTitle(), QStringLiteral("Quillon"));
    EXPECT_EQ(f.ClientArea->size(), QSize(469, 346));
    EXPECT_EQ(f.maximumWidth(), 469) << "the width is fixed";
    EXPECT_FALSE(f.windowIcon().isNull());
    EXPECT_EQ(f.Memo1->lineWrapMode(), QPlainTextEdit::WidgetWidth);
    EXPECT_EQ(f.Memo1->toPlainText().count(QStringLiteral("-  ")), 9) << "nine steps, the keys among them";
    for (const QString& line : f.Memo1->toPlainText().split(QLatin1Char('\n'))) {
        EXPECT_TRUE(line.startsWith(QStringLiteral("-  ")) || line.startsWith(QStringLiteral("   ")))
            << line.toStdString();
    }
    f.ListBox1->addItem(QStringLiteral("line"));
    EXPECT_EQ(f.ListBox1->sizeHintForRow(0), 13);
    f.show();
    QApplication::processEvents();
    EXPECT_EQ(f.minimumHeight() - (f.height() - f.ClientArea->height()), 346) << "the design minimum";
}

TEST(MainWindowLayout, EveryControlLiesWithinItsParentAndNoneCoversAnother) {
    ShownWindow w;
    TForm1& f = w.form;
    // The windowed children of the client area and of the player panel.
    for (QWidget* parent : {f.ClientArea, static_cast<QWidget*>(f.PlayerPanel)}) {
        QList<QWidget*> shown;
        for (QWidget* child : parent->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
            if (child->isHidden()) continue;
            EXPECT_TRUE(parent->rect().contains(child->geometry())) << child->objectName().toStdString();
            shown << child;
        }
        for (int i = 0; i < shown.size(); ++i) {
            for (int j = i + 1; j < shown.size(); ++j) {
                // As designed, the level meters share one pixel row and the lyrics frame's bottom
                // edge lies 4 pixels over the player panel's top, where both frames are empty.
                const QRect overlap = shown[i]->geometry().intersected(shown[j]->geometry());
                const bool frames = qobject_cast<QGroupBox*>(shown[i]) && qobject_cast<QGroupBox*>(shown[j]);
                EXPECT_LE(overlap.height(), frames ? 4 : 1)
                    << shown[i]->objectName().toStdString() << " / " << shown[j]->objectName().toStdString();
            }
        }
    }
    // The flat buttons of the panel: inside it, apart from each other.
    const TOutlookBtn* buttons[] = {f.StopBtn.get(), f.PauseBtn.get(),    f.PlayBtn.get(),
                                    f.AddBtn.get(),  f.AddBlankBtn.get(), f.ExitBtn.get(),
                                    f.WebBtn.get(),  f.SaveBtn.get(),     f.OpenBtn.get()};
    const QRect panel = f.PlayerPanel->rect();
    for (int i = 0; i < 9; ++i) {
        EXPECT_TRUE(panel.contains(geometryOf(*buttons[i])));
        EXPECT_FALSE(geometryOf(*buttons[i]).intersects(f.ScrollBarPos->geometry()));
        for (int j = i + 1; j < 9; ++j)
            EXPECT_FALSE(geometryOf(*buttons[i]).intersects(geometryOf(*buttons[j])));
    }
    EXPECT_FALSE(f.DoLyricsText->isVisible());
    EXPECT_FALSE(f.ListBox1->isVisible());
}

TEST(MainWindowLayout, ThePanelShowsTheDisplayWithTheSongNameAndTheTimeInCream) {
    ShownWindow w;
    TForm1& f = w.form;
    const gdi::Bitmap panel = f.PlayerPanel->renderToBitmap();
    const gdi::Rect display = f.Image1->boundsRect();
    const auto creamIn = [&panel](const QRect& area) {
        int count = 0;
        for (int y = area.top(); y <= area.bottom(); ++y) {
            for (int x = area.left(); x <= area.right(); ++x) count += panel.pixelColor(x, y) == gdi::clCream;
        }
        return count;
    };
    EXPECT_GT(creamIn(geometryOf(*f.SongName)), 40) << "the dashes";
    EXPECT_GT(creamIn(geometryOf(*f.PlayTime)), 150) << "00:00.0";
    // The display is dark where nothing is written on it.
    const gdi::ColorRef background = panel.pixelColor(display.left + 300, display.top + 50);
    EXPECT_LT(gdi::redOf(background) + gdi::greenOf(background) + gdi::blueOf(background), 150);
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
    EXPECT_TRUE(f.State.seeking());
    EXPECT_FALSE(f.State.playing());
    EXPECT_FALSE(f.State.unsaved());
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

TEST(MainWindowLyricsChange, WithoutASongTheTypedLyricsAreUnsavedToo) {
    ShownWindow w;
    TForm1& f = w.form;
    EXPECT_FALSE(f.SongLoaded());
    f.Memo1->setPlainText(QStringLiteral("typed"));
    EXPECT_TRUE(f.State.lineListStale());
    EXPECT_TRUE(f.State.unsaved()) << "so quitting or opening a song asks first";
    EXPECT_TRUE(f.SaveBtn->enabled());
    EXPECT_TRUE(f.Savelyricfile1->isEnabled());
}

TEST(MainWindowLyricsChange, WithASongTheLyricsBecomeUnsavedAndSaveLightsUp) {
    ShownWindow w;
    TForm1& f = w.form;
    f.SongName->setCaption(QStringLiteral(" My Song"));
    ASSERT_TRUE(f.SongLoaded());
    f.MarkLyricsChanged();
    EXPECT_TRUE(f.State.unsaved());
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
    EXPECT_EQ(errors::errorDialogText(QStringLiteral("Why?")), QStringLiteral("Why?."))
        << "'?' lies above '.' in code";
    EXPECT_EQ(errors::errorDialogText(QStringLiteral("Oops!")), QStringLiteral("Oops!"));
    EXPECT_EQ(errors::errorDialogText(QStringLiteral("a-")), QStringLiteral("a-"));
    EXPECT_EQ(errors::errorDialogText(QString()), QString());
    EXPECT_EQ(errors::EConvertError(QStringLiteral("x1")).message(),
              QStringLiteral("'x1' ist kein gültiger Integerwert"));
    EXPECT_EQ(errors::EFOpenError(QStringLiteral("/a/b.lrc"), QStringLiteral("No such file")).message(),
              QStringLiteral("Datei /a/b.lrc kann nicht geöffnet werden. No such file"));
}

TEST(DefaultErrorDialog, AFailureInAHandlerIsShownAndTheProgramGoesOn) {
    QStringList shown;
    widgets::ScopedMessageBoxAnswerer answerer([&shown](QMessageBox& box) {
        shown << box.text();
        return 0;
    });
    bool after = false;
    QTimer::singleShot(0, [] { throw errors::EConvertError(QStringLiteral("abc")); });
    QTimer::singleShot(5, [&after] { after = true; });
    QElapsedTimer clock;
    clock.start();
    while (!after && clock.elapsed() < 2000)
        QApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 50);
    EXPECT_EQ(shown, (QStringList{"'abc' ist kein gültiger Integerwert."}));
    EXPECT_TRUE(after);
}
