#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QStringList>

#include "platform/system/SystemSound.h"
#include "platform/widgets/MessageBox.h"
#include "settings/Utility.h"

namespace {

// Installs a runner and a sound player that record what the dialog would have shown.
struct DialogRecorder {
    QStringList buttonTexts;
    QString defaultButton;
    QString escapeButton;
    QString title;
    QPoint position;
    bool staysOnTop = false;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QStringList sounds;

    explicit DialogRecorder(int answer)
        : answerer([this, answer](QMessageBox& dialog) {
              for (QAbstractButton* button : dialog.buttons()) buttonTexts << button->text();
              buttonTexts.sort();
              if (dialog.defaultButton() != nullptr) defaultButton = dialog.defaultButton()->text();
              if (dialog.escapeButton() != nullptr) escapeButton = dialog.escapeButton()->text();
              title = dialog.windowTitle();
              position = dialog.pos();
              staysOnTop = dialog.windowFlags().testFlag(Qt::WindowStaysOnTopHint);
              icon = dialog.icon();
              return answer;
          }),
          player([this](const QString& name) { sounds << name; }) {}
    widgets::ScopedMessageBoxAnswerer answerer;
    systemsound::ScopedSystemSoundPlayer player;
};

}  // namespace

TEST(MessageDialogPlacement, CentresOnTheActiveWindowRoundingTiesToEven) {
    EXPECT_EQ(messageDialogPosition(QRect(100, 200, 400, 300), QSize(200, 100)), QPoint(200, 300));
    // (101 - 100) / 2 = 0.5 rounds to 0; (103 - 100) / 2 = 1.5 rounds to 2.
    EXPECT_EQ(messageDialogPosition(QRect(100, 100, 101, 103), QSize(100, 100)), QPoint(100, 102));
}

TEST(MessageDialogPlacement, NeverAboveOrLeftOfTen) {
    EXPECT_EQ(messageDialogPosition(QRect(0, 0, 100, 80), QSize(300, 200)), QPoint(10, 10));
    EXPECT_EQ(messageDialogPosition(QRect(-50, 500, 100, 80), QSize(300, 200)), QPoint(10, 440));
    EXPECT_EQ(messageDialogPosition(QRect(500, -40, 100, 80), QSize(300, 200)), QPoint(400, 10));
}

TEST(MessageDialog, ConfirmationOffersJaNeinAbbrechenAndReturnsThePressedCode) {
    DialogRecorder recorder(mrNo);
    const int result = ShowMessageDialog(QStringLiteral("Save changes?"), QStringLiteral("Quillon"),
                                         mtConfirmation, mbYes | mbNo | mbCancel);
    EXPECT_EQ(result, 7);
    EXPECT_EQ(recorder.buttonTexts, (QStringList{"&Ja", "&Nein", "Abbrechen"}));
    EXPECT_EQ(recorder.defaultButton, QStringLiteral("&Ja")) << "Yes is the default when OK is not offered";
    EXPECT_EQ(recorder.escapeButton, QStringLiteral("Abbrechen"));
    EXPECT_EQ(recorder.title, QStringLiteral("Quillon"));
    EXPECT_EQ(recorder.icon, QMessageBox::Question);
    EXPECT_TRUE(recorder.staysOnTop);
    EXPECT_TRUE(recorder.sounds.isEmpty()) << "confirmations are silent";
    EXPECT_EQ(mrYes, 6);
    EXPECT_EQ(mrCancel, 2);
}

TEST(MessageDialog, OkIsDefaultWhenOfferedAndWarningsAndErrorsSound) {
    {
        DialogRecorder recorder(mrOk);
        ShowMessageDialog(QStringLiteral("Careful"), QStringLiteral("Title"), mtWarning,
                          buttonSet(mbOK) | mbCancel);
        EXPECT_EQ(recorder.defaultButton, QStringLiteral("OK"));
        EXPECT_EQ(recorder.sounds, (QStringList{"SystemAsterisk"}));
        EXPECT_EQ(recorder.title, QStringLiteral("Title"));
    }
    {
        DialogRecorder recorder(mrOk);
        ShowMessageDialog(QStringLiteral("Broken"), QStringLiteral("Quillon"), mtError, buttonSet(mbOK));
        EXPECT_EQ(recorder.sounds, (QStringList{"AppGPFault"}));
        EXPECT_EQ(recorder.icon, QMessageBox::Critical);
    }
    {
        DialogRecorder recorder(mrRetry);
        ShowMessageDialog(QStringLiteral("Again?"), QStringLiteral("Quillon"), mtInformation,
                          mbRetry | mbAbort);
        EXPECT_EQ(recorder.defaultButton, QStringLiteral("&Wiederholen"));
        EXPECT_TRUE(recorder.sounds.isEmpty());
    }
}

TEST(MessageDialog, OverAWindowAtTheScreensCornerStaysTenPixelsIn) {
    QWidget window;
    window.setGeometry(0, 0, 120, 60);
    window.show();
    window.activateWindow();
    DialogRecorder recorder(mrOk);
    ShowMessageDialog(QStringLiteral("A long message that makes the dialog wider than its window"),
                      QStringLiteral("Quillon"), mtInformation, buttonSet(mbOK));
    EXPECT_GE(recorder.position.x(), 10);
    EXPECT_GE(recorder.position.y(), 10);
}
