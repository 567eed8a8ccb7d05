#pragma once
// A main window with the real player on the silent device, settings in a folder of the test's own,
// the open dialog answered by the test, and songs generated into the same folder.

#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <chrono>
#include <functional>
#include <memory>
#include <optional>

#include "audio/Bass_Dynamic.h"
#include "editor/Unit1.h"
#include "platform/registry/Registry.h"
#include "platform/resources/ResourceTable.h"
#include "support/AudioFixtures.h"
#include "support/QtPrinters.h"

inline void waitMs(int milliseconds) {
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < milliseconds) {
        QApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 5);
    }
}

inline bool waitUntil(const std::function<bool()>& condition, int milliseconds) {
    QElapsedTimer clock;
    clock.start();
    while (!condition() && clock.elapsed() < milliseconds) {
        QApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 5);
    }
    return condition();
}

class MainWindowWithPlayer : public ::testing::Test {
protected:
    void SetUp() override {
        if (!bassdll::BassLibraryLoaded()) {
            QString problem;
            ASSERT_TRUE(bassdll::LoadBassLibrary(
                bassdll::systemLibraryLoader(QStringLiteral(QUILLON_AUDIO_LIBRARY)), problem));
        }
        hive = std::make_unique<registry::ScopedHiveFile>(folder.path() + QStringLiteral("/hive.reg"));
        form = std::make_unique<TForm1>();
        form->show();
        QApplication::processEvents();
        fileDialogs = std::make_unique<widgets::ScopedFileDialogAnswerer>(
            [this](const widgets::FileDialog&) { return answer; });
    }
    void TearDown() override {
        form.reset();
        fileDialogs.reset();
        hive.reset();
    }

    QString song(const QString& name, double seconds, double amplitude = 0.5) {
        const QString path = folder.path() + QLatin1Char('/') + name;
        EXPECT_TRUE(
            fixtures::writeSine(path.toStdString(), fixtures::Format::wav, seconds, 441.0, amplitude, 8000));
        return path;
    }
    void open(const QString& path) {
        answer = path;
        form->OpenBtnClick();
    }
    // A song opened and the text pasted into the box.
    void openWithText(const QString& text, double seconds = 30.0) {
        open(song(QStringLiteral("Song.wav"), seconds));
        form->Memo1->setPlainText(text);
    }
    QStringList list() const { return form->lineListLines(); }
    // While paused: the song is moved to an exact time, as a seek would, so tags and the preview
    // take that time.
    void pauseAt(double seconds) {
        const DWORD channel = form->BassdllPlayer1->channel();
        bassdll::BASS_ChannelSetPosition(
            channel, bassdll::BASS_ChannelSeconds2Bytes(channel, static_cast<float>(seconds)));
        form->Clock.restart(std::chrono::steady_clock::now(), seconds);
    }
    // Play, then Pause at an exact time.
    void playPausedAt(double seconds) {
        form->PlayBtnClick();
        form->PauseBtnClick();
        pauseAt(seconds);
    }
    bool looksLike(TOutlookBtn& button, const char* image, bool enabled) {
        return button.enabled() == enabled &&
               button.bitmap() == resources::loadBitmapResource(QString::fromLatin1(image));
    }

    QTemporaryDir folder;
    std::unique_ptr<registry::ScopedHiveFile> hive;
    std::unique_ptr<widgets::ScopedFileDialogAnswerer> fileDialogs;
    std::unique_ptr<TForm1> form;
    std::optional<QString> answer;
};
