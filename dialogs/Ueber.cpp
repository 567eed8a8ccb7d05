#include "Ueber.h"

#include <QEvent>
#include <QFrame>
#include <QLabel>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>

#include "DonationPanel.h"
#include "platform/system/WebPages.h"

TFormUeber* FormUeber = nullptr;

namespace {

QFont pixelFont(const QString& family, int pixels, bool bold = false) {
    QFont font(family);
    font.setPixelSize(pixels);
    font.setBold(bold);
    return font;
}

// The licence and the disclaimer: 30 lines, the last one empty.
const char* const kLicenceText =
    "Lizenz\n"
    "\n"
    "Quillon ist Freeware. Du darfst das Programm\n"
    "kostenlos benutzen, kopieren und an andere\n"
    "weitergeben, solange es unverändert bleibt und\n"
    "kein Geld dafür verlangt wird.\n"
    "\n"
    "Die mit Quillon erstellten Lyrics-Dateien\n"
    "gehören Dir. Beachte aber die Rechte der\n"
    "Autoren an den Liedtexten selbst.\n"
    "\n"
    "Haftungsausschluss\n"
    "\n"
    "Das Programm wird so, wie es ist, zur Verfügung\n"
    "gestellt, ohne jede ausdrückliche oder\n"
    "stillschweigende Gewährleistung, auch nicht für\n"
    "die Eignung zu einem bestimmten Zweck.\n"
    "\n"
    "Der Autor haftet nicht für Schäden, die durch\n"
    "die Benutzung oder die Unmöglichkeit der\n"
    "Benutzung des Programms entstehen, auch nicht\n"
    "für verlorene Daten oder Dateien.\n"
    "\n"
    "Die Benutzung erfolgt auf eigene Gefahr.\n"
    "Mit der Benutzung erkennst Du diese\n"
    "Bedingungen an.\n"
    "\n"
    "Fragen, Fehler und Wünsche bitte über die\n"
    "Projektseite melden. Viel Spaß beim Mitsingen!\n";

}  // namespace

TFormUeber::TFormUeber(QWidget* parent) : TFixedDialog(QStringLiteral("Über..."), QSize(297, 438), parent) {
    setObjectName(QStringLiteral("FormUeber"));
    Panel1 = new QFrame(this);
    Panel1->setGeometry(8, 8, 281, 393);
    // A raised inner and a lowered outer bevel: the etched frame.
    Panel1->setFrameStyle(QFrame::Box | QFrame::Sunken);

    ProductName = new QLabel(QStringLiteral("Quillon"), Panel1);
    ProductName->setFont(pixelFont(QStringLiteral("MS Sans Serif"), 13, true));
    ProductName->move(16, 16);
    ProductName->adjustSize();
    Version = new QLabel(QStringLiteral("Version 0.1b"), Panel1);
    Version->move(16, 40);
    Version->adjustSize();
    Date = new QLabel(QStringLiteral("Okt.  2012"), Panel1);
    Date->move(216, 40);
    Date->adjustSize();
    AuthorLabel = new QLabel(QStringLiteral("by:    Lena Quill"), Panel1);
    AuthorLabel->setGeometry(17, 62, 88, 13);
    Label2 = new QLabel(QStringLiteral("quillon-lyrics.org"), Panel1);
    Label2->setGeometry(112, 61, 97, 13);
    QFont link = pixelFont(QStringLiteral("MS Sans Serif"), 11);
    link.setUnderline(true);
    Label2->setFont(link);
    QPalette blue = Label2->palette();
    blue.setColor(QPalette::WindowText, QColor(0, 0, 255));
    Label2->setPalette(blue);
    Label2->setCursor(Qt::PointingHandCursor);
    Label2->installEventFilter(this);

    SpendeBox =
        new TDonationPanel(QStringLiteral("Nutze den PayPal Spende-Button, wenn Du Dich beim"),
                           QStringLiteral("Autor mit einer kleinen Spende bedanken möchtest."), true, Panel1);
    SpendeBox->move(8, 80);

    Memo1 = new QPlainTextEdit(Panel1);
    Memo1->setGeometry(8, 192, 265, 193);
    Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Memo1->setPlainText(QString::fromUtf8(kLicenceText));

    OKButton = new QPushButton(QStringLiteral("OK"), this);
    OKButton->setGeometry(115, 408, 75, 25);
    OKButton->setDefault(true);
    connect(OKButton, &QPushButton::clicked, this, [this] { OKButtonClick(); });
}

void TFormUeber::showEvent(QShowEvent* event) {
    TFixedDialog::showEvent(event);
    FormShow();
    OKButton->setFocus();
}

bool TFormUeber::eventFilter(QObject* watched, QEvent* event) {
    if (watched == Label2 && event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        Label2Click();
        return true;
    }
    return TFixedDialog::eventFilter(watched, event);
}

void TFormUeber::FormShow() {
    Memo1->setReadOnly(true);
}

void TFormUeber::OKButtonClick() {
    accept();
}

void TFormUeber::Label2Click() {
    desktop::openWebPage(this, kProjectPage);
}
