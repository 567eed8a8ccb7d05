#include "Donation.h"

TFormDonation* FormDonation = nullptr;

TFormDonation::TFormDonation(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Donation"));
    setFixedSize(280, 155);
}
