#include "Settings.h"

#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>

#include "controls/ButtonWithColor.h"
#include "platform/resources/ResourceTable.h"
#include "platform/widgets/Application.h"
#include "platform/widgets/CheckBox.h"
#include "settings/LiveSettings.h"

TFormSettings* FormSettings = nullptr;

namespace {

TColorButton* greyButton(QWidget* parent, const QString& caption, const QRect& place, bool bold = false) {
    auto* button = new TColorButton(parent);
    button->setGeometry(place);
    button->SetColor(gdi::clGray);
    button->SetFont({QStringLiteral("Tahoma"), gdi::FontSpec::pixelsForPoints(8), bold, false, false, false,
                     gdi::clCream});
    button->SetCaption(caption);
    return button;
}

}  // namespace

TFormSettings::TFormSettings(QWidget* parent)
    : TFixedDialog(QStringLiteral("Settings"), QSize(412, 144), parent) {
    setObjectName(QStringLiteral("FormSettings"));
    createControls();
    observer_ = liveSettings().addObserver([this] { showLiveSettings(); });
    showLiveSettings();
}

TFormSettings::~TFormSettings() {
    liveSettings().removeObserver(observer_);
}

void TFormSettings::createControls() {
    // Silver, where the other dialogs take the button face.
    QPalette silver = palette();
    silver.setColor(QPalette::Window, QColor(192, 192, 192));
    setPalette(silver);

    RecordTimeOffset = new widgets::CheckBox(QStringLiteral("Apply time flag with an time offset of"), this);
    RecordTimeOffset->setGeometry(16, 16, 201, 17);
    RecordTimeOffset->setChecked(true);
    RecordTimeOffsetValue = new QComboBox(this);
    RecordTimeOffsetValue->setGeometry(224, 14, 57, 21);
    RecordTimeOffsetValue->addItems({QStringLiteral("-300"), QStringLiteral("-500"), QStringLiteral("-700")});
    RecordTimeOffsetValue->setCurrentIndex(-1);
    Label1 = new QLabel(QStringLiteral("ms"), this);
    Label1->setGeometry(288, 17, 13, 13);
    LyricsLocation =
        new widgets::CheckBox(QStringLiteral("Lyrics location is not the same as audio file"), this);
    LyricsLocation->setGeometry(16, 48, 257, 17);
    EditLyricsLocation = new QLineEdit(this);
    EditLyricsLocation->setGeometry(16, 72, 353, 21);
    EditLyricsLocation->setEnabled(false);

    GetDirBtn = greyButton(this, QStringLiteral(". . ."), {372, 71, 33, 21}, true);
    GetDirBtn->setEnabled(false);
    CancelBtn = greyButton(this, QStringLiteral(" Cancel "), {248, 112, 75, 25});
    const gdi::Bitmap cancelGlyph = resources::loadBitmapResource(QStringLiteral("CANCELGLYPH"));
    CancelBtn->SetGlyph(&cancelGlyph);
    CancelBtn->SetNumGlyphs(2);
    OKBtn = greyButton(this, QStringLiteral("     OK   "), {328, 112, 75, 25});
    const gdi::Bitmap okGlyph = resources::loadBitmapResource(QStringLiteral("OKGLYPH"));
    OKBtn->SetGlyph(&okGlyph);
    BrowseForFolder1 = new TBrowseForFolder(this);

    // The design's tab order: OK, Cancel, then the settings from top to bottom.
    setTabOrder(OKBtn, CancelBtn);
    setTabOrder(CancelBtn, RecordTimeOffset);
    setTabOrder(RecordTimeOffset, RecordTimeOffsetValue);
    setTabOrder(RecordTimeOffsetValue, LyricsLocation);
    setTabOrder(LyricsLocation, EditLyricsLocation);
    setTabOrder(EditLyricsLocation, GetDirBtn);

    using widgets::reportingFailures;
    RecordTimeOffset->OnClick = reportingFailures([this] {
        liveSettings().setOffsetSwitch(RecordTimeOffset->isChecked());
        RecordTimeOffsetClick();
    });
    LyricsLocation->OnClick = reportingFailures([this] {
        liveSettings().setLyricsLocationSwitch(LyricsLocation->isChecked());
        RecordTimeOffsetClick();
    });
    connect(RecordTimeOffsetValue, &QComboBox::currentIndexChanged, this,
            [](int index) { liveSettings().setOffsetIndex(index); });
    connect(EditLyricsLocation, &QLineEdit::textChanged, this,
            [](const QString& text) { liveSettings().setLyricsDirectory(text); });
    OKBtn->OnClick = [this](TColorButton*) { widgets::runReportingFailures([this] { OKBtnClick(); }); };
    CancelBtn->OnClick = [this](TColorButton*) {
        widgets::runReportingFailures([this] { CancelBtnClick(); });
    };
    GetDirBtn->OnClick = [this](TColorButton*) {
        widgets::runReportingFailures([this] { GetDirBtnClick(); });
    };
}

void TFormSettings::showLiveSettings() {
    const LiveSettings& settings = liveSettings();
    // Setting a box to another state runs its click rule, so the enabled states follow.
    RecordTimeOffset->setChecked(settings.offsetSwitch());
    if (RecordTimeOffsetValue->currentIndex() != settings.offsetIndex()) {
        RecordTimeOffsetValue->setCurrentIndex(settings.offsetIndex());
    }
    LyricsLocation->setChecked(settings.lyricsLocationSwitch());
    if (EditLyricsLocation->text() != settings.lyricsDirectory())
        EditLyricsLocation->setText(settings.lyricsDirectory());
}

void TFormSettings::showEvent(QShowEvent* event) {
    TFixedDialog::showEvent(event);
    FormShow();
    // The first control of the tab order has the focus, so Enter right after opening presses OK.
    OKBtn->setFocus(Qt::OtherFocusReason);
}

void TFormSettings::keyPressEvent(QKeyEvent* event) {
    // No button has the cancel role: Escape does nothing.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        event->accept();
        return;
    }
    TFixedDialog::keyPressEvent(event);
}

void TFormSettings::FormShow() {
    if (RecordTimeOffsetValue->currentIndex() < 0) RecordTimeOffsetValue->setCurrentIndex(1);
}

void TFormSettings::RecordTimeOffsetClick() {
    RecordTimeOffsetValue->setEnabled(RecordTimeOffset->isChecked());
    EditLyricsLocation->setEnabled(LyricsLocation->isChecked());
    GetDirBtn->setEnabled(LyricsLocation->isChecked());
}

void TFormSettings::OKBtnClick() {
    liveSettings().store();
    accept();
}

void TFormSettings::CancelBtnClick() {
    liveSettings().load();
    reject();
}

void TFormSettings::GetDirBtnClick() {
    if (BrowseForFolder1->Execute()) EditLyricsLocation->setText(BrowseForFolder1->Path());
}
