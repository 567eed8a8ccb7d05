#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>

#include "controls/ButtonWithColor.h"
#include "controls/OutlookBtn.h"
#include "dialogs/Donation.h"
#include "dialogs/DonationPanel.h"
#include "dialogs/Ueber.h"
#include "platform/system/UserName.h"
#include "platform/system/WebPages.h"
#include "platform/windowless/WindowlessHost.h"
#include "support/MouseDriver.h"
#include "support/QtPrinters.h"

namespace {

// Records the pages the dialogs open instead of starting a browser.
struct OpenedPages {
    QStringList pages;
    desktop::ScopedWebPageOpener opener{[this](const QString& page) { pages << page; }};
};

void clickDonate(TDonationPanel& panel) {
    testsupport::MouseDriver mouse(panel.PictureHost);
    const gdi::Rect button = panel.DonateBtn->boundsRect();
    mouse.click(button.left + button.width() / 2, button.top + button.height() / 2);
}

}  // namespace

TEST(AboutDialog, EnterClosesItAndTheMemoIsReadOnlyFromTheFirstShowOn) {
    TFormUeber about;
    EXPECT_EQ(about.windowTitle(), QStringLiteral("Über..."));
    EXPECT_EQ(about.size(), QSize(297, 438));
    EXPECT_EQ(about.Memo1->document()->blockCount(), 30);
    EXPECT_FALSE(about.Memo1->isReadOnly()) << "editable until first shown";
    EXPECT_EQ(about.Date->text(), QStringLiteral("Okt.  2012"));
    const QString licence = about.Memo1->toPlainText();
    QTimer::singleShot(0, &about, [&about] {
        about.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&about));
        QTest::keyClick(about.Memo1, Qt::Key_X);
        about.Memo1->setFocus();
        QTest::keyClick(about.Memo1, Qt::Key_Return);
    });
    EXPECT_EQ(about.exec(), QDialog::Accepted);
    EXPECT_TRUE(about.Memo1->isReadOnly());
    EXPECT_EQ(about.Memo1->toPlainText(), licence) << "typing is refused";
}

TEST(AboutDialog, TheLinkOpensTheProjectPage) {
    OpenedPages opened;
    TFormUeber about;
    about.show();
    QTest::mouseClick(about.Label2, Qt::LeftButton, {}, QPoint(10, 6));
    EXPECT_EQ(opened.pages, QStringList{kProjectPage});
}

TEST(DonationPanel, AnAmountOpensItsPageAtOnceAndDonateOpensTheChosenAmount) {
    OpenedPages opened;
    TFormUeber about;
    about.show();
    TDonationPanel& panel = *about.SpendeBox;
    EXPECT_TRUE(panel.RadioButton2->isChecked());
    EXPECT_EQ(panel.Label1->text(), QStringLiteral("Nutze den PayPal Spende-Button, wenn Du Dich beim"));
    EXPECT_EQ(panel.DonateBtn->cursor(), Qt::PointingHandCursor);

    QTest::mouseClick(panel.RadioButton3, Qt::LeftButton, {}, QPoint(6, 8));
    EXPECT_EQ(opened.pages, QStringList{kDonationPage5Euro});
    clickDonate(panel);
    EXPECT_EQ(opened.pages, (QStringList{kDonationPage5Euro, kDonationPage5Euro}));

    QTest::mouseClick(panel.RadioButton2, Qt::LeftButton, {}, QPoint(6, 8));
    QTest::mouseClick(panel.RadioButton2, Qt::LeftButton, {}, QPoint(6, 8));
    EXPECT_EQ(opened.pages.size(), 3) << "the selected amount clicked again opens nothing";
    EXPECT_EQ(opened.pages.last(), kDonationPage2Euro);
}

TEST(DonationPanel, TheDesignsSelectionOpensNothingAndDonateOpensTwoEuros) {
    OpenedPages opened;
    TFormDonation donation;
    EXPECT_TRUE(opened.pages.isEmpty());
    donation.show();
    TDonationPanel& panel = *donation.SpendeBox;
    EXPECT_EQ(panel.Label3->text(), QStringLiteral("Auto mit eine kleinen Spende bedanken möchtest."));
    EXPECT_EQ(panel.DonateBtn->cursor(), Qt::ArrowCursor);
    QTest::mouseClick(panel.RadioButton2, Qt::LeftButton, {}, QPoint(6, 8));
    EXPECT_TRUE(opened.pages.isEmpty());
    clickDonate(panel);
    EXPECT_EQ(opened.pages, QStringList{kDonationPage2Euro});
}

TEST(DonationPanel, ThePictureLeavesOutItsKeyColourAndDonateLiesOnItsButtonFace) {
    TFormDonation donation;
    TDonationPanel& panel = *donation.SpendeBox;
    const gdi::Bitmap shown = panel.PictureHost->renderToBitmap();
    const gdi::ColorRef key = gdi::rgb(255, 0, 128);
    for (int y = 0; y < shown.height(); ++y) {
        for (int x = 0; x < shown.width(); ++x) ASSERT_NE(shown.pixelColor(x, y), key) << x << "," << y;
    }
    // Navy caption pixels inside the orange face.
    int navy = 0;
    for (int y = 3; y < 25; ++y) {
        for (int x = 17; x < 112; ++x) navy += shown.pixelColor(x, y) == gdi::rgb(0, 0, 128);
    }
    EXPECT_GT(navy, 30);
}

TEST(DonationDialog, CloseClosesIt) {
    TFormDonation donation;
    EXPECT_EQ(donation.windowTitle(), QStringLiteral("Donation"));
    QTimer::singleShot(0, &donation, [&donation] { donation.ColorButton1->click(); });
    donation.exec();
    EXPECT_FALSE(donation.isVisible());
}
