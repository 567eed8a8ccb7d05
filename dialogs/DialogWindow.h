#pragma once
// What the About and donation dialogs share as windows: a fixed size, a title bar with only the
// system menu and the close box, the button-face background, Tahoma 8 pt, the program's icon, and
// their place centred over the main window each time they are shown.

#include <QDialog>

class TFixedDialog : public QDialog {
    Q_OBJECT
public:
    TFixedDialog(const QString& caption, QSize clientSize, QWidget* parent);

protected:
    void showEvent(QShowEvent* event) override;
};
