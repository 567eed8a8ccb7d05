#include "Ueber.h"

TFormUeber* FormUeber = nullptr;

TFormUeber::TFormUeber(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Über..."));
    setFixedSize(297, 438);
}
