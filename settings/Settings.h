#pragma once
// TFormSettings: the settings dialog window (offset, lyrics location).

#include <QDialog>

class TFormSettings : public QDialog {
    Q_OBJECT
public:
    explicit TFormSettings(QWidget* parent = nullptr);
};

// The settings dialog, created at start-up and alive for the whole run.
extern TFormSettings* FormSettings;
