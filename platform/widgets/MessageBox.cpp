#include "MessageBox.h"

#include <QAbstractButton>
#include <QVariant>

namespace widgets {

MessageBoxAnswerer& messageBoxAnswerer() {
    static MessageBoxAnswerer current;
    return current;
}

int showMessageBox(QMessageBox& box) {
    if (messageBoxAnswerer()) return messageBoxAnswerer()(box);
    const int shown = box.exec();
    if (const QAbstractButton* pressed = box.clickedButton()) {
        const QVariant result = pressed->property(kButtonResultProperty);
        if (result.isValid()) return result.toInt();
    }
    return shown;
}

}  // namespace widgets
