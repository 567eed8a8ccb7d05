#pragma once
// The donation panel that the About and donation dialogs share: two lines of appeal, the picture
// with the flat "Donate" button on its button face, and the three amounts. Choosing an amount opens
// its donation page at once; "Donate" opens the page of the chosen amount.

#include <QGroupBox>
#include <memory>

class QLabel;
class QRadioButton;
class TOutlookBtn;
namespace windowless {
class PictureControl;
class WindowlessHost;
}  // namespace windowless

// The donation page of each amount, and the project's own page.
inline const QString kDonationPage1Euro =
    QStringLiteral("https://www.paypal.com/donate/quillon-project?amount=1&currency_code=EUR");
inline const QString kDonationPage2Euro =
    QStringLiteral("https://www.paypal.com/donate/quillon-project?amount=2&currency_code=EUR");
inline const QString kDonationPage5Euro =
    QStringLiteral("https://www.paypal.com/donate/quillon-project?amount=5&currency_code=EUR");
inline const QString kProjectPage = QStringLiteral("https://quillon-lyrics.org/");

class TDonationPanel : public QGroupBox {
    Q_OBJECT
public:
    // The appeal's two lines differ between the dialogs; so does the pointer over "Donate".
    TDonationPanel(const QString& firstLine, const QString& secondLine, bool handPointer, QWidget* parent);
    ~TDonationPanel() override;

    QLabel* Label1 = nullptr;
    QLabel* Label3 = nullptr;
    windowless::WindowlessHost* PictureHost = nullptr;  // hosts the picture and the flat button
    std::unique_ptr<windowless::PictureControl> Image1;
    std::unique_ptr<TOutlookBtn> DonateBtn;
    QRadioButton* RadioButton1 = nullptr;
    QRadioButton* RadioButton2 = nullptr;
    QRadioButton* RadioButton3 = nullptr;

    void DonateBtnClick();
};
