#include "MessageBox.h"

#include <QAbstractButton>
#include <QVariant>
#include <utility>

namespace widgets {

namespace {
std::function<int(QMessageBox&)>& answerer() {
    static std::function<int(QMessageBox&)> current;
    return current;
}
}  // namespace

int showMessageBox(QMessageBox& box) {
    if (answerer()) return answerer()(box);
    const int shown = box.exec();
    if (const QAbstractButton* pressed = box.clickedButton()) {
        const QVariant result = pressed->property(kButtonResultProperty);
        if (result.isValid()) return result.toInt();
    }
    return shown;
}

ScopedMessageBoxAnswerer::ScopedMessageBoxAnswerer(std::function<int(QMessageBox&)> newAnswerer)
    : previous_(std::exchange(answerer(), std::move(newAnswerer))) {}

ScopedMessageBoxAnswerer::~ScopedMessageBoxAnswerer() {
    answerer() = std::move(previous_);
}

}  // namespace widgets
