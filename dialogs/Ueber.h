#pragma once
// TFormUeber: the About dialog: product name, version and date, the author with a link to the
// project's page, the donation panel, and the licence and disclaimer.

#include "DialogWindow.h"

class QFrame;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class TDonationPanel;

class TFormUeber : public TFixedDialog {
    Q_OBJECT
public:
    explicit TFormUeber(QWidget* parent = nullptr);

    QFrame* Panel1 = nullptr;
    QLabel* ProductName = nullptr;
    QLabel* Version = nullptr;
    QLabel* Date = nullptr;
    QLabel* AuthorLabel = nullptr;
    QLabel* Label2 = nullptr;
    TDonationPanel* SpendeBox = nullptr;
    QPlainTextEdit* Memo1 = nullptr;
    QPushButton* OKButton = nullptr;

    void FormShow();
    void OKButtonClick();
    void Label2Click();

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
};

extern TFormUeber* FormUeber;
