#include "Settings.h"

TFormSettings* FormSettings = nullptr;

TFormSettings::TFormSettings(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Settings"));
    setFixedSize(412, 144);
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
}
