#include <gtest/gtest.h>

#include <QApplication>
#include <QGuiApplication>
#include <QScreen>
#include <QStringList>
#include <QTemporaryDir>

#include "audio/Bass_Dynamic.h"
#include "editor/Unit1.h"
#include "platform/registry/Registry.h"
#include "platform/widgets/ScrollBar.h"
#include "settings/LiveSettings.h"
#include "settings/RegistryStore.h"

namespace {

struct HookFixture {
    QTemporaryDir folder;
    QStringList events;
    HookFixture() {
        if (!bassdll::BassLibraryLoaded()) {
            QString problem;
            bassdll::LoadBassLibrary(bassdll::systemLibraryLoader(QStringLiteral(QUILLON_AUDIO_LIBRARY)),
                                     problem);
        }
    }
    void observe(registry::AccessEvent::Kind kind) {
        observer =
            std::make_unique<registry::ScopedAccessObserver>([this, kind](const registry::AccessEvent& e) {
                if (e.kind == kind) events << e.value;
            });
    }
    // Declared after the folder and the events, so they go first and last.
    registry::ScopedHiveFile hive{folder.path() + QStringLiteral("/hive.reg")};
    std::unique_ptr<registry::ScopedAccessObserver> observer;
};

}  // namespace

TEST(SettingsHooks, ShowingReadsTheEightValuesInOrderAndAppliesThem) {
    HookFixture fixture;
    WriteRegBool(kSettingsKeyName, QStringLiteral("RecordTimeOffset"), false);
    WriteRegInteger(kSettingsKeyName, QStringLiteral("RecordTimeOffsetValue"), 2);
    WriteRegBool(kSettingsKeyName, QStringLiteral("LyricsLocation"), true);
    WriteRegString(kSettingsKeyName, QStringLiteral("LyricsLocationValue"), QStringLiteral("/lyrics"));
    WriteRegInteger(kSettingsKeyName, QStringLiteral("Volume"), 40);
    WriteRegInteger(kSettingsKeyName, QStringLiteral("Top"), 120);
    WriteRegInteger(kSettingsKeyName, QStringLiteral("Left"), 90);
    WriteRegInteger(kSettingsKeyName, QStringLiteral("Height"), 500);
    fixture.observe(registry::AccessEvent::queryValue);
    TForm1 form;
    form.show();
    QApplication::processEvents();
    // The eight in their order, then the practice speed and the waveform lane's choice.
    EXPECT_EQ(fixture.events, (QStringList{"RecordTimeOffset", "RecordTimeOffsetValue", "LyricsLocation",
                                           "LyricsLocationValue", "Volume", "Top", "Left", "Height",
                                           "PracticeSpeed", "ShowWaveform"}));
    EXPECT_FALSE(liveSettings().offsetSwitch());
    EXPECT_EQ(liveSettings().offsetEntryText(), QStringLiteral("-700"));
    EXPECT_TRUE(liveSettings().lyricsLocationSwitch());
    EXPECT_EQ(liveSettings().lyricsDirectory(), QStringLiteral("/lyrics"));
    EXPECT_EQ(form.ScrollBarVol->value(), 40);
    EXPECT_EQ(form.BassdllPlayer1->Volume(), 40) << "the bar's change sets the player's volume";
    EXPECT_EQ(form.geometry().topLeft(), QPoint(90, 120)) << "the client area's corner";
    EXPECT_EQ(form.height() + TForm1::kCaptionAndFrameHeight, 500);
}

TEST(SettingsHooks, FirstRunPlacesTheWindowAtItsDefaults) {
    HookFixture fixture;
    TForm1 form;
    form.show();
    QApplication::processEvents();
    EXPECT_EQ(form.ScrollBarVol->value(), 75);
    EXPECT_EQ(form.geometry().topLeft(), QPoint(200, 200));
    EXPECT_EQ(form.height() + TForm1::kCaptionAndFrameHeight, 625);
    EXPECT_TRUE(liveSettings().offsetSwitch());
    EXPECT_EQ(liveSettings().offsetEntryText(), QStringLiteral("-500"));
}

TEST(SettingsHooks, AStoredPlaceOffTheScreenBringsTheTitleBarBackOntoIt) {
    for (const QPoint stored : {QPoint(3000, 3000), QPoint(-20, -20), QPoint(-900, 100)}) {
        HookFixture fixture;
        WriteRegInteger(kSettingsKeyName, QStringLiteral("Left"), stored.x());
        WriteRegInteger(kSettingsKeyName, QStringLiteral("Top"), stored.y());
        TForm1 form;
        form.show();
        QApplication::processEvents();
        const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
        const QRect placed = form.geometry();
        EXPECT_GE(placed.top() - TForm1::kCaptionAndFrameHeight, screen.top())
            << stored.x() << "," << stored.y();
        EXPECT_GE(placed.left(), screen.left());
        EXPECT_LE(placed.right(), screen.right());
        EXPECT_LT(placed.top(), screen.bottom());
    }
}

TEST(SettingsHooks, StoredValuesOutsideTheLimitsAreBounded) {
    HookFixture fixture;
    WriteRegInteger(kSettingsKeyName, QStringLiteral("Volume"), 250);
    WriteRegInteger(kSettingsKeyName, QStringLiteral("Height"), 50);
    TForm1 form;
    form.show();
    QApplication::processEvents();
    EXPECT_EQ(form.ScrollBarVol->value(), 100);
    EXPECT_EQ(form.height(), form.minimumHeight());
}

TEST(SettingsHooks, EveryCloseRequestWritesPlacementAndVolumeEvenWhenRefused) {
    HookFixture fixture;
    TForm1 form;
    form.show();
    QApplication::processEvents();
    form.setGeometry(QRect(QPoint(33, 44), form.size()));
    form.ScrollBarVol->setValue(61);
    fixture.observe(registry::AccessEvent::setValue);
    bool CanClose = false;  // as if the save prompt had refused
    form.FormCloseQuery(CanClose);
    EXPECT_EQ(fixture.events, (QStringList{"Top", "Left", "Height", "Volume"}));
    EXPECT_EQ(ReadRegInteger(kSettingsKeyName, QStringLiteral("Top"), 0), 44);
    EXPECT_EQ(ReadRegInteger(kSettingsKeyName, QStringLiteral("Left"), 0), 33);
    EXPECT_EQ(ReadRegInteger(kSettingsKeyName, QStringLiteral("Height"), 0),
              form.height() + TForm1::kCaptionAndFrameHeight);
    EXPECT_EQ(ReadRegInteger(kSettingsKeyName, QStringLiteral("Volume"), 0), 61);

    fixture.events.clear();
    form.close();
    EXPECT_EQ(fixture.events, (QStringList{"Top", "Left", "Height", "Volume"})) << "closing asks too";
}
