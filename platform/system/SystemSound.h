#pragma once
// Event sounds by their classic names ("SystemAsterisk", "AppGPFault", ...), played asynchronously
// through the desktop's sound theme, or as a beep where the desktop has no player.

#include <QString>
#include <functional>

#include "platform/system/ScopedHook.h"

namespace systemsound {

void playSystemSound(const QString& eventName);

using SystemSoundPlayer = std::function<void(const QString&)>;
SystemSoundPlayer& systemSoundPlayer();

// While it lives, sounds go to `player` (tests record the names instead).
class ScopedSystemSoundPlayer : ScopedHook<SystemSoundPlayer> {
public:
    explicit ScopedSystemSoundPlayer(SystemSoundPlayer player)
        : ScopedHook(systemSoundPlayer(), std::move(player)) {}
};

}  // namespace systemsound
