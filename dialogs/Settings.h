#pragma once
// TFormSettings: the settings dialog. It shows and edits the live settings (the time offset switch
// and entry, the lyrics location switch and folder): every change takes effect at once, OK stores
// the four values, Cancel reloads them from the store, and the close box does neither.

#include "dialogs/DialogWindow.h"
#include "dialogs/FolderDialogs.h"

class QComboBox;
class QLabel;
class QLineEdit;
class TColorButton;
namespace widgets {
class CheckBox;
}

class TFormSettings : public TFixedDialog {
    Q_OBJECT
public:
    explicit TFormSettings(QWidget* parent = nullptr);
    ~TFormSettings() override;

    widgets::CheckBox* RecordTimeOffset = nullptr;
    QComboBox* RecordTimeOffsetValue = nullptr;
    QLabel* Label1 = nullptr;
    widgets::CheckBox* LyricsLocation = nullptr;
    QLineEdit* EditLyricsLocation = nullptr;
    TColorButton* GetDirBtn = nullptr;
    TColorButton* CancelBtn = nullptr;
    TColorButton* OKBtn = nullptr;
    TBrowseForFolder* BrowseForFolder1 = nullptr;

    void FormShow();
    void RecordTimeOffsetClick();
    void OKBtnClick();
    void CancelBtnClick();
    void GetDirBtnClick();

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void createControls();
    // Brings the controls in line with the live settings (which they edit).
    void showLiveSettings();

    int observer_ = 0;
};

// The settings dialog, created at start-up and alive for the whole run.
extern TFormSettings* FormSettings;
