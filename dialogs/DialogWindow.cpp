#include "DialogWindow.h"

#include <QIcon>
#include <QPixmap>

#include "platform/resources/ResourceTable.h"

TFixedDialog::TFixedDialog(const QString& caption, QSize clientSize, QWidget* parent) : QDialog(parent) {
    setWindowTitle(caption);
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);
    setFixedSize(clientSize);
    QFont tahoma(QStringLiteral("Tahoma"));
    tahoma.setPixelSize(11);
    setFont(tahoma);
    QPalette face = palette();
    face.setColor(QPalette::Window, face.color(QPalette::Button));
    setPalette(face);
    setAutoFillBackground(true);
    const gdi::Bitmap icon = resources::loadBitmapResource(QStringLiteral("MAINICON"));
    if (!icon.isEmpty()) setWindowIcon(QIcon(QPixmap::fromImage(icon.toImage())));
}

void TFixedDialog::showEvent(QShowEvent* event) {
    if (QWidget* owner = parentWidget()) {
        const QRect over = owner->window()->frameGeometry();
        move(over.left() + (over.width() - frameGeometry().width()) / 2,
             over.top() + (over.height() - frameGeometry().height()) / 2);
    }
    QDialog::showEvent(event);
}
