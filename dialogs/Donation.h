#pragma once
// TFormDonation: the donation dialog.

#include <QDialog>

class TFormDonation : public QDialog {
    Q_OBJECT
public:
    explicit TFormDonation(QWidget* parent = nullptr);
};

extern TFormDonation* FormDonation;
