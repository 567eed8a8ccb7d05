#pragma once
// TFormUeber: the About dialog.

#include <QDialog>

class TFormUeber : public QDialog {
    Q_OBJECT
public:
    explicit TFormUeber(QWidget* parent = nullptr);
};

extern TFormUeber* FormUeber;
