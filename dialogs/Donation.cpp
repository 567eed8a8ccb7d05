#include "Donation.h"

#include "DonationPanel.h"
#include "controls/ButtonWithColor.h"

TFormDonation* FormDonation = nullptr;

TFormDonation::TFormDonation(QWidget* parent)
    : TFixedDialog(QStringLiteral("Donation"), QSize(280, 155), parent) {
    setObjectName(QStringLiteral("FormDonation"));
    SpendeBox =
        new TDonationPanel(QStringLiteral("Nutzen den PayPal Spende Button, wenn Du Dich beim"),
                           QStringLiteral("Auto mit eine kleinen Spende bedanken möchtest."), false, this);
    SpendeBox->move(8, 8);
    ColorButton1 = new TColorButton(this);
    ColorButton1->setGeometry(198, 124, 75, 25);
    ColorButton1->SetFont({QStringLiteral("Tahoma"), 11, false, false, false, false, gdi::clBtnText});
    ColorButton1->SetCaption(QStringLiteral("Close"));
    ColorButton1->OnClick = [this](TColorButton*) { ColorButton1Click(); };
}

void TFormDonation::ColorButton1Click() {
    close();
}
