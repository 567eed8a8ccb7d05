#include "MessageDialog.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <algorithm>
#include <cmath>
#include <map>

#include "MessageBox.h"
#include "platform/system/SystemSound.h"

namespace {

struct ButtonInfo {
    TMsgDlgBtn button;
    const char* caption;
    int result;
    QMessageBox::ButtonRole role;
};

// In the order the buttons appear.
constexpr ButtonInfo kButtons[] = {
    {mbYes, "&Ja", mrYes, QMessageBox::YesRole},
    {mbNo, "&Nein", mrNo, QMessageBox::NoRole},
    {mbOK, "OK", mrOk, QMessageBox::AcceptRole},
    {mbCancel, "Abbrechen", mrCancel, QMessageBox::RejectRole},
    {mbAbort, "&Abbrechen", mrAbort, QMessageBox::RejectRole},
    {mbRetry, "&Wiederholen", mrRetry, QMessageBox::AcceptRole},
    {mbIgnore, "&Ignorieren", mrIgnore, QMessageBox::AcceptRole},
    {mbAll, "&Alle", mrAll, QMessageBox::AcceptRole},
    {mbNoToAll, "N&ein für alle", mrNoToAll, QMessageBox::NoRole},
    {mbYesToAll, "Ja für &alle", mrYesToAll, QMessageBox::YesRole},
    {mbHelp, "&Hilfe", mrNone, QMessageBox::HelpRole},
};

QMessageBox::Icon iconOf(TMsgDlgType kind) {
    switch (kind) {
        case mtWarning:
            return QMessageBox::Warning;
        case mtError:
            return QMessageBox::Critical;
        case mtInformation:
            return QMessageBox::Information;
        case mtConfirmation:
            return QMessageBox::Question;
        default:
            return QMessageBox::NoIcon;
    }
}

QWidget* activeWindowOrMain() {
    if (QWidget* active = QApplication::activeWindow()) return active;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (widget->isVisible() && !widget->isModal()) return widget;
    }
    return nullptr;
}

}  // namespace

QPoint messageDialogPosition(const QRect& activeWindow, const QSize& dialogSize) {
    // nearbyint rounds to nearest with ties to even in the default rounding mode.
    int left = static_cast<int>(
        std::nearbyint(activeWindow.left() + (activeWindow.width() - dialogSize.width()) / 2.0));
    int top = static_cast<int>(
        std::nearbyint(activeWindow.top() + (activeWindow.height() - dialogSize.height()) / 2.0));
    if (top < 10) top = 10;
    if (left < 10) left = 10;
    return {left, top};
}

void ForceForegroundWindow() {
    // X11 and Wayland have no per-thread input queues to attach to the foreground owner, so raising
    // and activating the window is the whole work here.
    QWidget* window = QApplication::activeWindow();
    if (window == nullptr) {
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            if (widget->isVisible()) {
                window = widget;
                break;
            }
        }
    }
    if (window == nullptr) return;
    window->raise();
    window->activateWindow();
}

int ShowMessageDialog(const QString& message, const QString& caption, TMsgDlgType kind,
                      TMsgDlgButtons buttons) {
    ForceForegroundWindow();
    QWidget* active = activeWindowOrMain();

    QMessageBox dialog(active);
    dialog.setIcon(iconOf(kind));
    dialog.setText(message);
    dialog.setWindowTitle(caption);
    dialog.setWindowFlag(Qt::WindowStaysOnTopHint, true);

    std::map<QAbstractButton*, int> results;
    QPushButton* defaultButton = nullptr;
    QPushButton* escapeButton = nullptr;
    std::map<TMsgDlgBtn, QPushButton*> made;
    for (const ButtonInfo& info : kButtons) {
        if ((buttons & buttonSet(info.button)) == 0) continue;
        QPushButton* button = dialog.addButton(QString::fromUtf8(info.caption), info.role);
        button->setProperty(widgets::kButtonResultProperty, info.result);
        results[button] = info.result;
        made[info.button] = button;
    }
    // The default button is OK when offered, else Yes, else Retry; Escape answers Cancel, else No,
    // else OK.
    for (TMsgDlgBtn candidate : {mbOK, mbYes, mbRetry}) {
        if (made.count(candidate) != 0) {
            defaultButton = made[candidate];
            break;
        }
    }
    for (TMsgDlgBtn candidate : {mbCancel, mbNo, mbOK}) {
        if (made.count(candidate) != 0) {
            escapeButton = made[candidate];
            break;
        }
    }
    if (defaultButton != nullptr) dialog.setDefaultButton(defaultButton);
    if (escapeButton != nullptr) dialog.setEscapeButton(escapeButton);

    dialog.adjustSize();
    QRect reference;
    if (active != nullptr) {
        reference = active->frameGeometry();
    } else if (QScreen* screen = QGuiApplication::primaryScreen()) {
        reference = screen->availableGeometry();
    }
    dialog.move(messageDialogPosition(reference, dialog.size()));

    if (kind == mtWarning) systemsound::playSystemSound(QStringLiteral("SystemAsterisk"));
    if (kind == mtError) systemsound::playSystemSound(QStringLiteral("AppGPFault"));

    const int result = widgets::showMessageBox(dialog);
    // Closed without a button (the close box): the escape button's answer.
    if (dialog.clickedButton() == nullptr && result == 0) {
        return escapeButton != nullptr ? results[escapeButton] : mrCancel;
    }
    return result;
}
