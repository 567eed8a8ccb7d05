#include "DonationPanel.h"

#include <QLabel>
#include <QRadioButton>

#include "controls/OutlookBtn.h"
#include "platform/resources/ResourceTable.h"
#include "platform/system/WebPages.h"
#include "platform/widgets/Application.h"
#include "platform/windowless/PictureControl.h"
#include "platform/windowless/WindowlessHost.h"

namespace {

QFont tahoma(int pixels) {
    QFont font(QStringLiteral("Tahoma"));
    font.setPixelSize(pixels);
    return font;
}

}  // namespace

TDonationPanel::TDonationPanel(const QString& firstLine, const QString& secondLine, bool handPointer,
                               QWidget* parent)
    : QGroupBox(parent) {
    setObjectName(QStringLiteral("SpendeBox"));
    resize(265, 109);

    const auto appealLine = [this](const QString& text, int top) {
        auto* label = new QLabel(text, this);
        label->setGeometry(9, top, 248, 13);
        label->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
        label->setFont(tahoma(9));
        return label;
    };
    Label1 = appealLine(firstLine, 10);
    Label3 = appealLine(secondLine, 22);

    // The picture and the flat button are windowless: a host of the picture's size carries both.
    PictureHost = new windowless::WindowlessHost(this);
    PictureHost->setGeometry(68, 40, 127, 48);
    Image1 = std::make_unique<windowless::PictureControl>(PictureHost);
    Image1->setBounds(0, 0, 127, 48);
    Image1->setPicture(resources::loadBitmapResource(QStringLiteral("DONATE")));
    Image1->setTransparent(true);
    DonateBtn = std::make_unique<TOutlookBtn>(PictureHost);
    DonateBtn->setStyle(bsNone);
    DonateBtn->setBounds(85 - 68, 43 - 40, 95, 22);
    DonateBtn->setFont({QStringLiteral("Tahoma"), 17, true, false, false, false, gdi::rgb(0, 0, 128)});
    DonateBtn->setCaption(QStringLiteral("Donate"));
    DonateBtn->setAccessibleName(QStringLiteral("Donate"));
    if (handPointer) DonateBtn->setCursor(Qt::PointingHandCursor);
    DonateBtn->OnClick = [this](windowless::WindowlessControl*) {
        widgets::runReportingFailures([this] { DonateBtnClick(); });
    };

    const auto amount = [this](const QString& caption, int left) {
        auto* radio = new QRadioButton(caption, this);
        radio->setGeometry(left, 90, 41, 17);
        radio->setFont(tahoma(11));
        // A radio button reports a click only when it becomes selected.
        connect(radio, &QRadioButton::toggled, this, [this](bool selected) {
            if (selected) DonateBtnClick();
        });
        return radio;
    };
    RadioButton1 = amount(QStringLiteral("1 €"), 68);
    RadioButton2 = amount(QStringLiteral("2 €"), 116);
    RadioButton3 = amount(QStringLiteral("5 €"), 164);
    // The design's selection, made before the handlers could see it.
    RadioButton2->blockSignals(true);
    RadioButton2->setChecked(true);
    RadioButton2->blockSignals(false);
}

// The flat controls go before the host widget that Qt deletes with the panel.
TDonationPanel::~TDonationPanel() = default;

void TDonationPanel::DonateBtnClick() {
    QString address;
    if (RadioButton1->isChecked()) address = kDonationPage1Euro;
    if (RadioButton2->isChecked()) address = kDonationPage2Euro;
    if (RadioButton3->isChecked()) address = kDonationPage5Euro;
    desktop::openWebPage(window(), address);
}
