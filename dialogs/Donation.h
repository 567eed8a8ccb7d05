#pragma once
// TFormDonation: the donation dialog: the donation panel on its own and a "Close" button.

#include "DialogWindow.h"

class TColorButton;
class TDonationPanel;

class TFormDonation : public TFixedDialog {
    Q_OBJECT
public:
    explicit TFormDonation(QWidget* parent = nullptr);

    TDonationPanel* SpendeBox = nullptr;
    TColorButton* ColorButton1 = nullptr;

    void ColorButton1Click();
};

extern TFormDonation* FormDonation;
