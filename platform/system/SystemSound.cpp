#include "SystemSound.h"

#include <QApplication>
#include <QProcess>
#include <QStandardPaths>

namespace systemsound {

namespace {

std::function<void(const QString&)>& customPlayer() {
    static std::function<void(const QString&)> player;
    return player;
}

// The freedesktop sound-theme names for the classic events.
QString themeSoundFor(const QString& eventName) {
    if (eventName == QLatin1String("SystemAsterisk")) return QStringLiteral("dialog-information");
    if (eventName == QLatin1String("AppGPFault")) return QStringLiteral("dialog-error");
    if (eventName == QLatin1String("SystemExclamation")) return QStringLiteral("dialog-warning");
    return QStringLiteral("bell");
}

}  // namespace

SystemSoundPlayer& systemSoundPlayer() {
    return customPlayer();
}

void playSystemSound(const QString& eventName) {
    if (customPlayer()) {
        customPlayer()(eventName);
        return;
    }
    const QString player = QStandardPaths::findExecutable(QStringLiteral("canberra-gtk-play"));
    if (!player.isEmpty() &&
        QProcess::startDetached(player, {QStringLiteral("-i"), themeSoundFor(eventName)})) {
        return;
    }
    QApplication::beep();
}

}  // namespace systemsound
