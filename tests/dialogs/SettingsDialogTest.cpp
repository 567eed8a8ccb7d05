#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>

#include "controls/ButtonWithColor.h"
#include "dialogs/Settings.h"
#include "platform/registry/Registry.h"
#include "platform/widgets/CheckBox.h"
#include "settings/LiveSettings.h"
#include "settings/RegistryStore.h"
#include "support/QtPrinters.h"

namespace {

// The settings dialog as the program has it: created at start-up, then the live settings loaded
// from a store of the test's own.
class SettingsDialog : public ::testing::Test {
protected:
    void SetUp() override {
        hive = std::make_unique<registry::ScopedHiveFile>(folder.path() + QStringLiteral("/hive.reg"));
        liveSettings() = LiveSettings();
    }
    void TearDown() override {
        form.reset();
        liveSettings() = LiveSettings();
        hive.reset();
    }
    void startUp() {
        form = std::make_unique<TFormSettings>();
        liveSettings().load();
    }
    void showForm() {
        form->show();
        form->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    }
    QString offsetText() const { return form->RecordTimeOffsetValue->currentText(); }

    QTemporaryDir folder;
    std::unique_ptr<registry::ScopedHiveFile> hive;
    std::unique_ptr<TFormSettings> form;
};

}  // namespace

TEST_F(SettingsDialog, FirstRun) {
    startUp();
    EXPECT_EQ(form->windowTitle(), QStringLiteral("Settings"));
    EXPECT_EQ(form->size(), QSize(412, 144));
    EXPECT_TRUE(form->RecordTimeOffset->isChecked());
    EXPECT_EQ(offsetText(), QStringLiteral("-500")) << "the start-up load selects entry 1";
    EXPECT_FALSE(form->LyricsLocation->isChecked());
    EXPECT_FALSE(form->EditLyricsLocation->isEnabled());
    EXPECT_FALSE(form->GetDirBtn->isEnabled());
    EXPECT_EQ(liveSettings().offsetEntryText(), QStringLiteral("-500"));
}

TEST_F(SettingsDialog, AStoredIndexOutOfRangeLeavesNoEntryUntilTheDialogShows) {
    WriteRegInteger(kSettingsKeyName, QStringLiteral("RecordTimeOffsetValue"), 7);
    startUp();
    EXPECT_EQ(form->RecordTimeOffsetValue->currentIndex(), -1);
    EXPECT_TRUE(liveSettings().offsetEntryText().isEmpty());
    showForm();
    EXPECT_EQ(offsetText(), QStringLiteral("-500"));
    EXPECT_EQ(liveSettings().offsetEntryText(), QStringLiteral("-500")) << "in effect at once";
    form->OKBtn->click();
    EXPECT_FALSE(form->isVisible());
    EXPECT_EQ(ReadRegInteger(kSettingsKeyName, QStringLiteral("RecordTimeOffsetValue"), -1), 1);
}

TEST_F(SettingsDialog, EnabledStatesFollowTheSwitchesFromStartUpOn) {
    WriteRegBool(kSettingsKeyName, QStringLiteral("LyricsLocation"), true);
    WriteRegString(kSettingsKeyName, QStringLiteral("LyricsLocationValue"), QStringLiteral("/lyrics"));
    startUp();
    EXPECT_TRUE(form->EditLyricsLocation->isEnabled()) << "before the dialog is ever shown";
    EXPECT_TRUE(form->GetDirBtn->isEnabled());
    EXPECT_EQ(form->EditLyricsLocation->text(), QStringLiteral("/lyrics"));

    showForm();
    QTest::mouseClick(form->RecordTimeOffset, Qt::LeftButton, {}, QPoint(6, 8));
    EXPECT_FALSE(form->RecordTimeOffset->isChecked());
    EXPECT_FALSE(form->RecordTimeOffsetValue->isEnabled()) << "at once";
    EXPECT_EQ(offsetText(), QStringLiteral("-500")) << "the selection stays";
    EXPECT_FALSE(liveSettings().offsetSwitch());
    EXPECT_EQ(liveSettings().offsetEntryText(), QStringLiteral("-500"));
}

TEST_F(SettingsDialog, CancelRestoresTheStoredValuesAndTheCloseBoxKeepsTheChangesUnstored) {
    startUp();
    showForm();
    form->RecordTimeOffsetValue->setCurrentIndex(2);
    form->LyricsLocation->setChecked(true);
    EXPECT_TRUE(form->EditLyricsLocation->isEnabled());
    form->CancelBtn->click();
    EXPECT_FALSE(form->isVisible());
    EXPECT_EQ(offsetText(), QStringLiteral("-500")) << "nothing stored: the default";
    EXPECT_FALSE(form->LyricsLocation->isChecked());
    EXPECT_FALSE(form->EditLyricsLocation->isEnabled()) << "the click rule ran for the restored state";

    WriteRegInteger(kSettingsKeyName, QStringLiteral("RecordTimeOffsetValue"), 0);
    showForm();
    form->RecordTimeOffsetValue->setCurrentIndex(2);
    form->CancelBtn->click();
    EXPECT_EQ(offsetText(), QStringLiteral("-300")) << "the stored index";

    showForm();
    form->RecordTimeOffsetValue->setCurrentIndex(2);
    form->close();
    EXPECT_EQ(liveSettings().offsetEntryText(), QStringLiteral("-700")) << "new tags use -700";
    EXPECT_EQ(ReadRegInteger(kSettingsKeyName, QStringLiteral("RecordTimeOffsetValue"), -1), 0)
        << "not stored";
}

TEST_F(SettingsDialog, OkStoresTheFourValuesExactlyAsEntered) {
    startUp();
    showForm();
    form->RecordTimeOffset->setChecked(false);
    form->RecordTimeOffsetValue->setCurrentIndex(0);
    form->LyricsLocation->setChecked(true);
    form->EditLyricsLocation->setText(QStringLiteral(" /no such/folder/ "));
    form->OKBtn->click();
    EXPECT_FALSE(ReadRegBool(kSettingsKeyName, QStringLiteral("RecordTimeOffset"), true));
    EXPECT_EQ(ReadRegInteger(kSettingsKeyName, QStringLiteral("RecordTimeOffsetValue"), -1), 0);
    EXPECT_TRUE(ReadRegBool(kSettingsKeyName, QStringLiteral("LyricsLocation"), false));
    EXPECT_EQ(ReadRegString(kSettingsKeyName, QStringLiteral("LyricsLocationValue"), {}),
              QStringLiteral(" /no such/folder/ "));
    EXPECT_EQ(liveSettings().lyricsDirectory(), QStringLiteral(" /no such/folder/ "));
}

TEST_F(SettingsDialog, APickedFolderReplacesTheTextAndACancelledPickKeepsIt) {
    startUp();
    form->LyricsLocation->setChecked(true);
    showForm();
    const QString first = folder.path();
    {
        shell::ScopedFolderBrowserDriver driver([&](shell::FolderBrowserDialog& dialog) {
            dialog.clickItem(shell::ItemIdList::fromPath(first));
            dialog.pressOk();
        });
        form->GetDirBtn->click();
    }
    EXPECT_EQ(form->EditLyricsLocation->text(), first);
    EXPECT_EQ(liveSettings().lyricsDirectory(), first);
    {
        shell::ScopedFolderBrowserDriver driver([](shell::FolderBrowserDialog& dialog) {
            dialog.clickItem(shell::ItemIdList::fromPath(QStringLiteral("/")));
            dialog.pressCancel();
        });
        form->GetDirBtn->click();
    }
    EXPECT_EQ(form->EditLyricsLocation->text(), first);
}

TEST_F(SettingsDialog, SettingABoxToItsOwnStateDoesNotRunTheClickRule) {
    startUp();
    ASSERT_TRUE(form->RecordTimeOffset->isChecked());
    form->EditLyricsLocation->setEnabled(true);  // out of line with the unchecked location switch
    form->RecordTimeOffset->setChecked(true);
    form->LyricsLocation->setChecked(false);
    EXPECT_TRUE(form->EditLyricsLocation->isEnabled()) << "no state changed, so the rule did not run";
    form->RecordTimeOffset->setChecked(false);
    EXPECT_FALSE(form->EditLyricsLocation->isEnabled()) << "a change runs the rule for both boxes";
}

TEST_F(SettingsDialog, EscapeDoesNothingAndEnterPressesOnlyTheFocusedButton) {
    startUp();
    showForm();
    form->EditLyricsLocation->setEnabled(true);
    form->EditLyricsLocation->setFocus();
    QTest::keyClick(form->EditLyricsLocation, Qt::Key_Escape);
    EXPECT_TRUE(form->isVisible());
    QTest::keyClick(form->EditLyricsLocation, Qt::Key_Return);
    EXPECT_TRUE(form->isVisible()) << "no default button";
    form->RecordTimeOffsetValue->setCurrentIndex(2);
    form->CancelBtn->setFocus();
    QTest::keyClick(form->CancelBtn, Qt::Key_Return);
    EXPECT_FALSE(form->isVisible());
    EXPECT_EQ(offsetText(), QStringLiteral("-500"));
}

TEST_F(SettingsDialog, ShowingKeepsAChosenOffsetAndTheFolderButtonFollowsTheLocationSwitch) {
    startUp();
    form->RecordTimeOffsetValue->setCurrentIndex(0);
    showForm();
    EXPECT_EQ(offsetText(), QStringLiteral("-300")) << "only a missing choice becomes -500";
    form->RecordTimeOffset->setChecked(true);
    form->LyricsLocation->setChecked(false);
    EXPECT_FALSE(form->GetDirBtn->isEnabled());
    form->RecordTimeOffset->setChecked(false);
    form->LyricsLocation->setChecked(true);
    EXPECT_TRUE(form->GetDirBtn->isEnabled());
}

TEST_F(SettingsDialog, TheFirstFocusIsOkSoEnterRightAfterOpeningClosesIt) {
    startUp();
    showForm();
    QApplication::processEvents();
    EXPECT_EQ(QApplication::focusWidget(), form->OKBtn);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    EXPECT_FALSE(form->isVisible());
}

TEST_F(SettingsDialog, TabGoesFromOkThroughTheEnabledSettings) {
    startUp();
    form->LyricsLocation->setChecked(true);
    showForm();
    form->OKBtn->setFocus();
    QList<QWidget*> order;
    for (int i = 0; i < 7; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        order << QApplication::focusWidget();
    }
    EXPECT_EQ(order, (QList<QWidget*>{form->CancelBtn, form->RecordTimeOffset, form->RecordTimeOffsetValue,
                                      form->LyricsLocation, form->EditLyricsLocation, form->GetDirBtn,
                                      form->OKBtn}));
    EXPECT_EQ(form->CancelBtn->Kind(), bkCustom);
    EXPECT_FALSE(form->OKBtn->Default());
    EXPECT_EQ(form->CancelBtn->NumGlyphs(), 2);
}
