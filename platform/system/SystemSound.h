#pragma once
// Event sounds by their classic names ("SystemAsterisk", "AppGPFault", ...), played asynchronously
// through the desktop's sound theme, or as a beep where the desktop has no player.

#include <QString>
#include <functional>

namespace systemsound {

void playSystemSound(const QString& eventName);

// Replaces the player (tests record the names instead); an empty function restores the default.
void setSystemSoundPlayer(std::function<void(const QString&)> player);

}  // namespace systemsound
